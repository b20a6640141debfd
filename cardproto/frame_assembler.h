// Puts response frames together from bytes that arrive in pieces: bytes
// before a preamble are noise and dropped, and a length field no response can
// have makes the assembler look for the next preamble.
#pragma once

#include "frame.h"

namespace cardproto {

class FrameAssembler {
public:
    // Takes the next bytes from the line.
    void feed(const uint8_t* data, size_t size);
    // True once a whole frame (preamble to check byte) has arrived.
    bool hasFrame() const;
    // The whole frame; only valid while hasFrame() is true.
    Bytes frame() const;
    // Forgets everything received so far.
    void clear();

private:
    void resynchronise();

    Bytes m_bytes;
};

}  // namespace cardproto
