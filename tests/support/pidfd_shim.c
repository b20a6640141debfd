// SPDX-License-Identifier: Apache-2.0
/* Preload library for test programs run under qemu-user. Its clone()
 * refuses CLONE_PIDFD, which the host kernel has: Qt asks the kernel whether
 * process file descriptors exist (waitid on P_PIDFD), then starts every
 * QProcess with clone(CLONE_PIDFD) and fails. Answering that question with
 * ENOSYS makes Qt start its processes with fork() instead. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/syscall.h>

enum { P_PIDFD_ID_TYPE = 3 };

long syscall(long number, ...)
{
    static long (*next)(long, ...);
    long arg[6];
    va_list list;
    va_start(list, number);
    for (int i = 0; i < 6; ++i)
        arg[i] = va_arg(list, long);
    va_end(list);
    if (number == SYS_waitid && arg[0] == P_PIDFD_ID_TYPE) {
        errno = ENOSYS;
        return -1;
    }
    if (next == NULL)
        next = (long (*)(long, ...))dlsym(RTLD_NEXT, "syscall");
    return next(number, arg[0], arg[1], arg[2], arg[3], arg[4], arg[5]);
}

/* The emulator puts this library in the program's LD_PRELOAD; the programs
 * it starts are host programs (shells, setpriv, python3) that cannot load it. */
__attribute__((constructor)) static void leave_the_environment(void)
{
    unsetenv("LD_PRELOAD");
}
