// SPDX-License-Identifier: Apache-2.0
#include "card_info.h"

#include <algorithm>
#include <cstring>

#include "text_layout.h"
#include "utf16.h"

namespace cardproto {

namespace {

// Up to the first zero character, without the blanks that pad the field.
std::u16string paddedText(const uint8_t* field, size_t units)
{
    std::u16string text = charactersOf(field, units);
    while (!text.empty() && text.back() == u' ')
        text.pop_back();
    return text;
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

void fillFields(const uint8_t* text, CardKind kind, CardInfoStruct& info)
{
    auto* record = reinterpret_cast<uint8_t*>(&info);
    const FieldTable table = fieldsOf(kind);
    for (size_t i = 0; i < table.count; ++i) {
        const TextField& field = table.fields[i];
        uint8_t* out = record + field.recordAt;
        const uint8_t* in = text + field.at;
        if (field.use == FieldUse::Text) {
            const std::u16string value = paddedText(in, std::min(field.size, field.recordSize) / 2u);
            writeCharacters(out, value.size(), value, 0);
            continue;
        }
        const char16_t* word = codeWord(field.use, fieldNumber(in, field.size / 2u), kind);
        if (word != nullptr) {
            const std::u16string value(word);
            writeCharacters(out, std::min<size_t>(value.size(), field.recordSize / 2u), value, 0);
        }
    }
}

}  // namespace

void fillCardInfo(const uint8_t* text, CardInfoStruct& info)
{
    std::memset(&info, 0, sizeof info);
    const CardKind kind = cardKindOfCharacter(characterAt(text, kKindCharacter.at));
    info.cardType = kind;
    fillFields(text, kind, info);
}

}  // namespace cardproto
