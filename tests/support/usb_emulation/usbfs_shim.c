// SPDX-License-Identifier: Apache-2.0
/* Preload library for the emulated reader. It fills two gaps of umockdev's
 * usbfs emulation, injects the device faults a test asks for through the
 * environment variable PELORIN_USB_FAULT, and, when PELORIN_USB_TRACE names a
 * file, appends to it one line per release of an interface, close of a device
 * node and exit of a libusb context. It must come before umockdev's own
 * preload library in LD_PRELOAD. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <stdarg.h>
#include <string.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <libusb-1.0/libusb.h>

static int fault_is(const char *name)
{
    const char *fault = getenv("PELORIN_USB_FAULT");
    return fault != NULL && strcmp(fault, name) == 0;
}

static int is_usb_node(const char *path)
{
    return path != NULL && strncmp(path, "/dev/bus/usb/", 13) == 0;
}

static int usb_fd = -1;

static void trace(const char *event)
{
    const char *file = getenv("PELORIN_USB_TRACE");
    int (*real_open)(const char *, int, ...) = dlsym(RTLD_NEXT, "open");
    int fd;
    if (file == NULL)
        return;
    fd = real_open(file, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0)
        return;
    if (write(fd, event, strlen(event)) < 0 || write(fd, "\n", 1) < 0) {
        /* a lost trace line shows up in the test's comparison */
    }
    close(fd);
}

static int remember_usb_fd(const char *path, int fd)
{
    if (fd >= 0 && is_usb_node(path))
        usb_fd = fd;
    return fd;
}

int close(int fd)
{
    static int (*next)(int);
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "close");
    if (fd >= 0 && fd == usb_fd) {
        usb_fd = -1;
        trace("close");
    }
    return next(fd);
}

static int fail_open(const char *path)
{
    if (!is_usb_node(path))
        return 0;
    if (fault_is("open_access")) {
        errno = EACCES;
        return 1;
    }
    if (fault_is("open_io")) {
        errno = EIO;
        return 1;
    }
    return 0;
}

int open(const char *path, int flags, ...)
{
    static int (*next)(const char *, int, ...);
    va_list ap;
    mode_t mode;
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "open");
    va_start(ap, flags);
    mode = va_arg(ap, mode_t);
    va_end(ap);
    if (fail_open(path))
        return -1;
    return remember_usb_fd(path, next(path, flags, mode));
}

int open64(const char *path, int flags, ...)
{
    static int (*next)(const char *, int, ...);
    va_list ap;
    mode_t mode;
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "open64");
    va_start(ap, flags);
    mode = va_arg(ap, mode_t);
    va_end(ap);
    if (fail_open(path))
        return -1;
    return remember_usb_fd(path, next(path, flags, mode));
}

/* libusb opens its device nodes through the fortified entry point. */
int __open_2(const char *path, int flags)
{
    static int (*next)(const char *, int);
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "__open_2");
    if (fail_open(path))
        return -1;
    return remember_usb_fd(path, next(path, flags));
}

int ioctl(int fd, unsigned long request, ...)
{
    static int (*next)(int, unsigned long, ...);
    va_list ap;
    void *arg;
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "ioctl");
    va_start(ap, request);
    arg = va_arg(ap, void *);
    va_end(ap);

    if (request == USBDEVFS_GETDRIVER) {
        /* No kernel driver is bound to an emulated interface. */
        errno = ENODATA;
        return -1;
    }
    if (request == USBDEVFS_DISCONNECT_CLAIM || request == USBDEVFS_CLAIMINTERFACE) {
        if (fault_is("claim")) {
            errno = EBUSY;
            return -1;
        }
        if (request == USBDEVFS_DISCONNECT_CLAIM) {
            unsigned int interface = ((struct usbdevfs_disconnect_claim *)arg)->interface;
            return next(fd, USBDEVFS_CLAIMINTERFACE, &interface);
        }
    }
    if (request == USBDEVFS_RELEASEINTERFACE)
        trace("release");
    if (request == USBDEVFS_RESET && fault_is("reset")) {
        errno = EIO;
        return -1;
    }
    return next(fd, request, arg);
}

/* libusb itself never fails these three on Linux short of running out of
 * memory, so the faults are injected at the function. */
int libusb_init(libusb_context **ctx)
{
    static int (*next)(libusb_context **);
    if (fault_is("init"))
        return LIBUSB_ERROR_OTHER;
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "libusb_init");
    return next(ctx);
}

void libusb_exit(libusb_context *ctx)
{
    static void (*next)(libusb_context *);
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "libusb_exit");
    next(ctx);
    trace("exit");
}

ssize_t libusb_get_device_list(libusb_context *ctx, libusb_device ***list)
{
    static ssize_t (*next)(libusb_context *, libusb_device ***);
    if (fault_is("device_list"))
        return LIBUSB_ERROR_NO_MEM;
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "libusb_get_device_list");
    return next(ctx, list);
}

int libusb_get_device_descriptor(libusb_device *dev, struct libusb_device_descriptor *desc)
{
    static int (*next)(libusb_device *, struct libusb_device_descriptor *);
    if (fault_is("descriptor"))
        return LIBUSB_ERROR_IO;
    if (next == NULL)
        next = dlsym(RTLD_NEXT, "libusb_get_device_descriptor");
    return next(dev, desc);
}
