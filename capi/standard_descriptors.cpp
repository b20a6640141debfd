// SPDX-License-Identifier: Apache-2.0
#include "standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

StandardDescriptorsHeld::StandardDescriptorsHeld()
{
    while (m_count < 3) {
        const int fd = open("/dev/null", O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return;
        if (fd > STDERR_FILENO) {
            close(fd);  // all three are open
            return;
        }
        m_held[m_count++] = fd;
    }
}

StandardDescriptorsHeld::~StandardDescriptorsHeld()
{
    while (m_count > 0)
        close(m_held[--m_count]);
}
