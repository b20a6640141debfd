// SPDX-License-Identifier: Apache-2.0
// The emulated reader's end of a serial line: a pseudo-terminal whose other
// end is reached through a fixed path (a symbolic link to /dev/pts/N), so a
// reader configuration can name it. Writes go out at the line's speed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class PtyPort {
public:
    PtyPort(std::string linkPath, int baud) : m_linkPath(std::move(linkPath)), m_baud(baud) {}
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Creates the pseudo-terminal and points the link at it.
    bool open(std::string& problem);
    // Closes the line as an unplugged adapter does, then opens a new one.
    bool replug(std::string& problem);
    // Waits up to `timeoutMs` for bytes from the host; the count read, 0 on
    // time-out, -1 when the line failed.
    long receive(uint8_t* buffer, size_t capacity, int timeoutMs);
    // Sends the bytes paced at the line's speed (ten bits a byte).
    bool send(const uint8_t* data, size_t size);

private:
    void close();

    std::string m_linkPath;
    int m_baud;
    int m_master = -1;
    int m_slave = -1;  // kept open so the line stays up between the host's opens
};
