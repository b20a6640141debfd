// SPDX-License-Identifier: Apache-2.0
#include "utf16.h"

namespace cardproto {

char16_t characterAt(const uint8_t* bytes, size_t at)
{
    return char16_t(bytes[at] | (bytes[at + 1] << 8));
}

std::u16string charactersOf(const uint8_t* bytes, size_t units)
{
    std::u16string text;
    for (size_t i = 0; i < units && characterAt(bytes, 2 * i) != 0; ++i)
        text += characterAt(bytes, 2 * i);
    return text;
}

void writeCharacters(uint8_t* out, size_t units, const std::u16string& text, char16_t fill)
{
    for (size_t i = 0; i < units; ++i) {
        const char16_t unit = i < text.size() ? text[i] : fill;
        out[2 * i] = uint8_t(unit & 0xFF);
        out[2 * i + 1] = uint8_t(unit >> 8);
    }
}

}  // namespace cardproto
