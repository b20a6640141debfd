// SPDX-License-Identifier: Apache-2.0
// Builds a card's 256-byte text block: fields of little-endian UTF-16 units,
// padded with blanks as the card stores them.
#pragma once

#include <QString>
#include <array>

#include "utf16.h"

class TextBlock {
public:
    TextBlock() { m_bytes.fill(0); }

    TextBlock& put(int offset, int size, const QString& text)
    {
        cardproto::writeCharacters(m_bytes.data() + offset, size_t(size / 2), text.toStdU16String(), u' ');
        return *this;
    }

    unsigned char* data() { return m_bytes.data(); }

private:
    std::array<unsigned char, 256> m_bytes;
};
