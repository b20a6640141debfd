// SPDX-License-Identifier: Apache-2.0
// Puts response frames together from bytes that arrive in pieces: bytes
// before a preamble are noise and dropped, and a length field no response can
// have makes the assembler look for the next preamble. Bytes after a whole
// frame are kept: they may start the next frame.
#pragma once

#include "frame.h"

namespace cardproto {

class FrameAssembler {
public:
    // Takes the next bytes from the line.
    void feed(const uint8_t* data, size_t size);
    // True once a whole frame (preamble to check byte) has arrived.
    bool hasFrame() const;
    // The first whole frame; only valid while hasFrame() is true.
    Bytes frame() const;
    // Forgets the first whole frame and goes on with what followed it.
    void dropFrame();

private:
    void resynchronise();
    // The length of the frame the bytes begin with, once its header is there.
    size_t frameSize() const;

    Bytes m_bytes;
};

}  // namespace cardproto
