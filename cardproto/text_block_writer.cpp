// SPDX-License-Identifier: Apache-2.0
#include "text_block_writer.h"

#include <string>

#include "text_layout.h"
#include "utf16.h"

namespace cardproto {

namespace {

// The code whose word the record holds, as the card writes it (two digits for
// an ethnic group); blanks when no code has that word. Code 0 is tried last,
// so that a resident card's "女" gets the 2 that cards carry.
std::u16string codeOf(const TextField& field, const std::u16string& word, CardKind kind)
{
    for (int tried = 1; tried <= 100; ++tried) {
        const int code = tried % 100;
        const char16_t* candidate = codeWord(field.use, code, kind);
        if (candidate == nullptr || *candidate == 0 || word != candidate)
            continue;
        std::string digits = std::to_string(code);
        if (field.use == FieldUse::NationCode && code < 10)
            digits = "0" + digits;
        return std::u16string(digits.begin(), digits.end());
    }
    return u"";
}

}  // namespace

void writeTextBlock(const CardInfoStruct& info, uint8_t (&block)[kTextBlockSize])
{
    const auto kind = CardKind(info.cardType);
    const auto* record = reinterpret_cast<const uint8_t*>(&info);
    const FieldTable table = fieldsOf(kind);
    for (size_t i = 0; i < table.count; ++i) {
        const TextField& field = table.fields[i];
        const std::u16string text = charactersOf(record + field.recordAt, field.recordSize / 2u);
        writeCharacters(block + field.at, field.size / 2u,
                        field.use == FieldUse::Text ? text : codeOf(field, text, kind), u' ');
    }
    writeCharacters(block + kKindCharacter.at, kKindCharacter.size / 2u,
                    std::u16string(1, kindCharacterOf(kind)), u' ');
}

}  // namespace cardproto
