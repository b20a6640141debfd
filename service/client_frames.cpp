// SPDX-License-Identifier: Apache-2.0
#include "client_frames.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr unsigned char kMaskBit = 0x80;
constexpr int kMaskKeyBytes = 4;
// Frames larger than this are refused by the WebSocket layer anyway; past it
// the offsets could overflow.
constexpr quint64 kLargestFollowed = quint64(1) << 40;

// Header bytes up to the end of the payload length: 2, or 4 or 10 with an
// extended length; 2 while only the first byte is known.
int lengthFieldEnd(const unsigned char* header, int known)
{
    if (known < 2)
        return 2;
    const int shortLength = header[1] & 0x7f;
    return shortLength == 126 ? 4 : shortLength == 127 ? 10 : 2;
}

}  // namespace

bool ClientFrames::allMasked(const QByteArray& bytes, qint64 at)
{
    const qint64 end = at + bytes.size();
    while (!m_unmasked && m_nextHeader >= 0) {
        // The WebSocket layer may take a header's first bytes before the
        // rest has arrived: what was seen of it is kept.
        const qint64 unseen = m_nextHeader + m_headerBytes;
        if (unseen >= end)
            break;
        if (unseen < at) {
            m_nextHeader = -1;  // part of a header went by unseen
            break;
        }
        const int wanted = lengthFieldEnd(m_header, m_headerBytes) - m_headerBytes;
        const int taken = static_cast<int>(std::min<qint64>(wanted, end - unseen));
        std::memcpy(m_header + m_headerBytes, bytes.constData() + (unseen - at), static_cast<size_t>(taken));
        m_headerBytes += taken;
        if (m_headerBytes >= 2 && (m_header[1] & kMaskBit) == 0) {
            m_unmasked = true;
            break;
        }
        const int lengthEnd = lengthFieldEnd(m_header, m_headerBytes);
        if (m_headerBytes < lengthEnd)
            continue;
        quint64 payload = m_header[1] & 0x7f;
        if (lengthEnd > 2) {
            payload = 0;
            for (int i = 2; i < lengthEnd; ++i)
                payload = (payload << 8) | m_header[i];
        }
        m_headerBytes = 0;
        if (payload > kLargestFollowed) {
            m_nextHeader = std::numeric_limits<qint64>::max();
            break;
        }
        m_nextHeader += lengthEnd + kMaskKeyBytes + static_cast<qint64>(payload);
    }
    return !m_unmasked;
}
