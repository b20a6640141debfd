// SPDX-License-Identifier: Apache-2.0
// Builds a card's 256-byte text block: fields of little-endian UTF-16 units,
// padded with blanks as the card stores them.
#pragma once

#include <QString>
#include <array>

class TextBlock {
public:
    TextBlock() { m_bytes.fill(0); }

    TextBlock& put(int offset, int size, const QString& text)
    {
        for (int i = 0; i < size / 2; ++i) {
            const ushort unit = i < text.size() ? text.at(i).unicode() : ushort(' ');
            m_bytes[offset + 2 * i] = uchar(unit & 0xFF);
            m_bytes[offset + 2 * i + 1] = uchar(unit >> 8);
        }
        return *this;
    }

    unsigned char* data() { return m_bytes.data(); }

private:
    std::array<unsigned char, 256> m_bytes;
};
