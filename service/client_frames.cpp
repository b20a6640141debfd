// SPDX-License-Identifier: Apache-2.0
#include "client_frames.h"

#include <algorithm>
#include <limits>

namespace {

constexpr char kMaskBit = '\x80';
constexpr int kMaskKeyBytes = 4;
// Frames larger than this are refused by the WebSocket layer anyway; past it
// the offsets could overflow.
constexpr quint64 kLargestFollowed = quint64(1) << 40;

// Header bytes up to the end of the payload length: 2, or 4 or 10 with an
// extended length; 2 while only the first byte is known.
int lengthFieldEnd(const QByteArray& header)
{
    if (header.size() < 2)
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
        const qint64 unseen = m_nextHeader + m_header.size();
        if (unseen >= end)
            break;
        if (unseen < at) {
            m_nextHeader = -1;  // part of a header went by unseen
            break;
        }
        const int wanted = lengthFieldEnd(m_header) - m_header.size();
        m_header += bytes.mid(static_cast<int>(unseen - at), static_cast<int>(std::min<qint64>(wanted, end - unseen)));
        if (m_header.size() >= 2 && (m_header[1] & kMaskBit) == 0) {
            m_unmasked = true;
            break;
        }
        if (m_header.size() < lengthFieldEnd(m_header))
            continue;
        quint64 payload = static_cast<quint64>(m_header[1] & 0x7f);
        if (m_header.size() > 2) {
            payload = 0;
            for (int i = 2; i < m_header.size(); ++i)
                payload = (payload << 8) | static_cast<unsigned char>(m_header[i]);
        }
        if (payload > kLargestFollowed) {
            m_nextHeader = std::numeric_limits<qint64>::max();
            m_header.clear();
            break;
        }
        m_nextHeader += m_header.size() + kMaskKeyBytes + static_cast<qint64>(payload);
        m_header.clear();
    }
    return !m_unmasked;
}
