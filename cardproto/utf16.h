// SPDX-License-Identifier: Apache-2.0
// The card's text as it is stored, in the text block and in CardInfoStruct
// alike: little-endian 16-bit characters without a byte-order mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cardproto {

// The character at byte `at`.
char16_t characterAt(const uint8_t* bytes, size_t at);
// The `units` characters at `bytes` up to the first zero character.
std::u16string charactersOf(const uint8_t* bytes, size_t units);
// Writes `text`, cut to `units` characters, and `fill` for the rest of them.
void writeCharacters(uint8_t* out, size_t units, const std::u16string& text, char16_t fill);

}  // namespace cardproto
