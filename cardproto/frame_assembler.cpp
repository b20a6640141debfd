// SPDX-License-Identifier: Apache-2.0
#include "frame_assembler.h"

#include <algorithm>

namespace cardproto {

namespace {

// How many leading bytes of `bytes` agree with the preamble (at most five).
size_t preambleMatch(const uint8_t* bytes, size_t size)
{
    const size_t n = std::min(size, sizeof kPreamble);
    return std::equal(bytes, bytes + n, kPreamble) ? n : 0;
}

bool plausibleLength(size_t length)
{
    return length >= kShortestLengthField && length + kHeaderSize <= kLongestFrame;
}

}  // namespace

void FrameAssembler::feed(const uint8_t* data, size_t size)
{
    m_bytes.insert(m_bytes.end(), data, data + size);
    resynchronise();
}

void FrameAssembler::dropFrame()
{
    if (!hasFrame())
        return;
    m_bytes.erase(m_bytes.begin(), m_bytes.begin() + long(frameSize()));
    resynchronise();
}

void FrameAssembler::resynchronise()
{
    size_t start = 0;
    while (start < m_bytes.size()) {
        const size_t rest = m_bytes.size() - start;
        const uint8_t* at = m_bytes.data() + start;
        if (preambleMatch(at, rest) == std::min(rest, sizeof kPreamble) &&
            (rest < kHeaderSize || plausibleLength(lengthField(at))))
            break;
        ++start;
    }
    m_bytes.erase(m_bytes.begin(), m_bytes.begin() + long(start));
}

size_t FrameAssembler::frameSize() const
{
    return m_bytes.size() < kHeaderSize ? 0 : lengthField(m_bytes.data()) + kHeaderSize;
}

bool FrameAssembler::hasFrame() const
{
    return m_bytes.size() >= kHeaderSize && m_bytes.size() >= frameSize();
}

Bytes FrameAssembler::frame() const
{
    return Bytes(m_bytes.begin(), m_bytes.begin() + long(frameSize()));
}

}  // namespace cardproto
