// SPDX-License-Identifier: Apache-2.0
#include "descriptor_room.h"

#include <sys/eventfd.h>
#include <unistd.h>

bool descriptorsToSpare()
{
    // Taken and given back at once; an event descriptor needs no file, and
    // the process's and the system's limits both count.
    int taken[kReadDescriptors];
    int count = 0;
    while (count < kReadDescriptors && (taken[count] = eventfd(0, EFD_CLOEXEC)) >= 0)
        ++count;
    for (int i = 0; i < count; ++i)
        close(taken[i]);
    return count == kReadDescriptors;
}
