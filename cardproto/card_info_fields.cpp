// SPDX-License-Identifier: Apache-2.0
#include "card_info_fields.h"

#include <algorithm>
#include <cstring>

#include "utf16.h"

namespace cardproto {

namespace {

uint8_t* fieldStart(CardInfoStruct& info, const TextField& field)
{
    return reinterpret_cast<uint8_t*>(&info) + field.recordAt;
}

}  // namespace

void writeFieldText(CardInfoStruct& info, const TextField& field, const std::u16string& text)
{
    writeCharacters(fieldStart(info, field), field.recordSize / 2u, text, 0);
}

void writeFieldBytes(CardInfoStruct& info, const TextField& field, const uint8_t* bytes, size_t size)
{
    uint8_t* out = fieldStart(info, field);
    std::memset(out, 0, field.recordSize);
    std::memcpy(out, bytes, std::min<size_t>(size, field.recordSize));
}

}  // namespace cardproto
