// SPDX-License-Identifier: Apache-2.0
// Writing the fields of a CardInfoStruct by name, as card files give them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "kvsdecompose.h"
#include "text_layout.h"

namespace cardproto {

// Writes `text` into the field; a text longer than the field is cut to the
// whole characters that fit; the rest of the field is zeroed.
void writeFieldText(CardInfoStruct& info, const TextField& field, const std::u16string& text);
// Writes exact bytes (at most the field's size) and zeroes the rest of the field.
void writeFieldBytes(CardInfoStruct& info, const TextField& field, const uint8_t* bytes, size_t size);

}  // namespace cardproto
