// SPDX-License-Identifier: Apache-2.0
// Keeping what a read opens off descriptors 0, 1 and 2.
#pragma once

// While it lives, those of descriptors 0, 1 and 2 that the host has closed
// are held open on /dev/null (close-on-exec). Descriptors are handed out
// lowest first: otherwise the event descriptors of the threads Qt starts
// for the library, which stay open, and the files a read opens would become
// the host's standard input, output or error.
class StandardDescriptorsHeld {
public:
    StandardDescriptorsHeld();
    ~StandardDescriptorsHeld();
    StandardDescriptorsHeld(const StandardDescriptorsHeld&) = delete;
    StandardDescriptorsHeld& operator=(const StandardDescriptorsHeld&) = delete;

private:
    int m_held[3];
    int m_count = 0;
};
