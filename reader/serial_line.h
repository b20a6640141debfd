// SPDX-License-Identifier: Apache-2.0
// A reader on a serial port (a USB-serial adapter such as /dev/ttyUSB0):
// raw 8N1 at the configured speed, non-blocking, with a time-out per call.
#pragma once

#include <memory>
#include <string>

#include "reader_line.h"

class SerialLine : public ReaderLine {
public:
    // Opens and sets up the port; null with the reason in `problem` when it cannot.
    static std::unique_ptr<SerialLine> open(const std::string& path, int baud, std::string& problem);
    // True for the speeds a port can be set to.
    static bool supportedSpeed(int baud);
    ~SerialLine() override;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    Outcome send(const uint8_t* data, size_t size, int timeoutMs) override;
    Outcome receive(uint8_t* buffer, size_t capacity, int timeoutMs, size_t& received) override;
    void discardInput() override;
    int wireTimeMs(size_t bytes) const override;

private:
    SerialLine(int fd, int baud) : m_fd(fd), m_baud(baud) {}
    int m_fd;
    int m_baud;
};
