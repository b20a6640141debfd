// SPDX-License-Identifier: Apache-2.0
#include "usb_device.h"

namespace usb {

Search openFirst(libusb_context* context, uint16_t vid, uint16_t pid)
{
    Search search;
    libusb_device** devices = nullptr;
    const ssize_t count = libusb_get_device_list(context, &devices);
    if (count < 0) {
        search.outcome = Search::NoList;
        search.code = int(count);
        return search;  // there is no list to free
    }
    libusb_device* found = nullptr;
    for (int i = 0; devices[i] != nullptr; ++i) {
        libusb_device_descriptor descriptor;
        if (libusb_get_device_descriptor(devices[i], &descriptor) < 0) {
            search.outcome = Search::BadDescriptor;
            search.position = i + 1;
            break;
        }
        if (descriptor.idVendor == vid && descriptor.idProduct == pid) {
            found = devices[i];
            break;
        }
    }
    if (found != nullptr) {
        const int rc = libusb_open(found, &search.handle);
        search.outcome = rc < 0 ? Search::OpenFailed : Search::Opened;
        search.code = rc;
        if (rc < 0)
            search.handle = nullptr;
    }
    libusb_free_device_list(devices, 1);
    return search;
}

bool attached(uint16_t vid, uint16_t pid)
{
    libusb_context* context = nullptr;
    if (libusb_init(&context) < 0)
        return false;
    libusb_device** devices = nullptr;
    const ssize_t count = libusb_get_device_list(context, &devices);
    bool found = false;
    for (ssize_t i = 0; i < count && !found; ++i) {
        libusb_device_descriptor descriptor;
        found = libusb_get_device_descriptor(devices[i], &descriptor) == 0 &&
                descriptor.idVendor == vid && descriptor.idProduct == pid;
    }
    if (count >= 0)
        libusb_free_device_list(devices, 1);
    libusb_exit(context);
    return found;
}

int claimReader(libusb_device_handle* handle)
{
    libusb_set_auto_detach_kernel_driver(handle, 1);
    return libusb_claim_interface(handle, 0);
}

int bulk(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data, int length,
         unsigned int timeoutMs, int& transferred)
{
    transferred = 0;
    return libusb_bulk_transfer(handle, endpoint, data, length, &transferred, timeoutMs);
}

bool sendAll(libusb_device_handle* handle, unsigned char endpoint, const unsigned char* data, int length,
             unsigned int timeoutMs, int& code)
{
    int written = 0;
    // libusb takes the buffer as writable for both directions; an OUT transfer only reads it.
    code = bulk(handle, endpoint, const_cast<unsigned char*>(data), length, timeoutMs, written);
    return code == 0 && written == length;
}

}  // namespace usb
