// SPDX-License-Identifier: Apache-2.0
// The line to a reader: a serial port or a USB reader's bulk pipes. A line
// moves bytes; the frames are the session's business.
#pragma once

#include <cstddef>
#include <cstdint>

class ReaderLine {
public:
    enum class Outcome { Done, TimedOut, Lost };

    virtual ~ReaderLine() = default;
    // Sends all `size` bytes within `timeoutMs`.
    virtual Outcome send(const uint8_t* data, size_t size, int timeoutMs) = 0;
    // Waits at most `timeoutMs` for bytes and stores up to `capacity` of them;
    // `received` tells how many.
    virtual Outcome receive(uint8_t* buffer, size_t capacity, int timeoutMs, size_t& received) = 0;
    // Drops bytes that arrived unasked, left over from an earlier exchange.
    virtual void discardInput() {}
    // How long `bytes` take on the line; nothing worth counting on USB.
    virtual int wireTimeMs(size_t /*bytes*/) const { return 0; }
};
