// SPDX-License-Identifier: Apache-2.0
#include "card_info.h"

#include <algorithm>
#include <cstring>

#include "card_codes.h"
#include "text_layout.h"

namespace cardproto {

namespace {

void writeUnits(uint8_t* out, size_t units, const char16_t* text)
{
    for (size_t i = 0; i < units && text[i] != 0; ++i) {
        out[2 * i] = uint8_t(text[i] & 0xFF);
        out[2 * i + 1] = uint8_t(text[i] >> 8);
    }
}

// Up to the first zero character, without the blanks that pad the field.
size_t textUnits(const uint8_t* field, size_t units)
{
    size_t length = 0;
    while (length < units && characterAt(field, 2 * length) != 0)
        ++length;
    while (length > 0 && characterAt(field, 2 * (length - 1)) == u' ')
        --length;
    return length;
}

// The field's number, read as the digits after any leading blanks; 0 when
// there are none.
int fieldNumber(const uint8_t* field, size_t units)
{
    size_t i = 0;
    while (i < units && characterAt(field, 2 * i) == u' ')
        ++i;
    int number = 0;
    for (; i < units; ++i) {
        const char16_t c = characterAt(field, 2 * i);
        if (c < u'0' || c > u'9')
            break;
        number = number * 10 + (c - u'0');
    }
    return number;
}

const char16_t* codeWord(const TextField& field, int number, CardKind kind)
{
    if (field.use == FieldUse::NationCode)
        return nationName(number);
    if (kind == kResidentCard || kind == kResidencePermit)
        return residentGenderWord(number);
    return genderWord(number);
}

void fillFields(const uint8_t* text, CardKind kind, CardInfoStruct& info)
{
    auto* record = reinterpret_cast<uint8_t*>(&info);
    const FieldTable table = fieldsOf(kind);
    for (size_t i = 0; i < table.count; ++i) {
        const TextField& field = table.fields[i];
        uint8_t* out = record + field.recordAt;
        const uint8_t* in = text + field.at;
        const size_t units = std::min(field.size, field.recordSize) / 2u;
        if (field.use == FieldUse::Text) {
            std::memcpy(out, in, 2 * textUnits(in, units));
            continue;
        }
        const char16_t* word = codeWord(field, fieldNumber(in, field.size / 2u), kind);
        if (word != nullptr)
            writeUnits(out, field.recordSize / 2u, word);
    }
}

}  // namespace

char16_t characterAt(const uint8_t* bytes, size_t at)
{
    return char16_t(bytes[at] | (bytes[at + 1] << 8));
}

void fillCardInfo(const uint8_t* text, CardInfoStruct& info)
{
    std::memset(&info, 0, sizeof info);
    const CardKind kind = cardKindOfCharacter(characterAt(text, kKindCharacter.at));
    info.cardType = kind;
    fillFields(text, kind, info);
}

}  // namespace cardproto
