// SPDX-License-Identifier: Apache-2.0
#include "card_data_frame.h"

#include <cstring>
#include <string>

#include "card_codes.h"
#include "card_file.h"
#include "card_info.h"
#include "data_frame.h"
#include "text_layout.h"

namespace {

using cardproto::characterAt;

std::u16string recordText(const uint8_t* field, size_t size)
{
    std::u16string text;
    for (size_t at = 0; at + 1 < size && characterAt(field, at) != 0; at += 2)
        text += characterAt(field, at);
    return text;
}

const char16_t* wordOfCode(const cardproto::TextField& field, int code, cardproto::CardKind kind)
{
    if (field.use == cardproto::FieldUse::NationCode)
        return cardproto::nationName(code);
    if (kind == cardproto::kResidentCard || kind == cardproto::kResidencePermit)
        return code == 1 || code == 2 ? cardproto::residentGenderWord(code) : nullptr;
    return cardproto::genderWord(code);
}

// The code whose word the record holds, as the card writes it (two digits for
// an ethnic group); blanks when no code has that word.
std::u16string codeOf(const cardproto::TextField& field, const std::u16string& word,
                      cardproto::CardKind kind)
{
    for (int code = 0; code < 100; ++code) {
        const char16_t* candidate = wordOfCode(field, code, kind);
        if (candidate == nullptr || *candidate == 0 || word != candidate)
            continue;
        std::string digits = std::to_string(code);
        if (field.use == cardproto::FieldUse::NationCode && code < 10)
            digits = "0" + digits;
        return std::u16string(digits.begin(), digits.end());
    }
    return u"";
}

void put(uint8_t* at, size_t size, const std::u16string& text)
{
    for (size_t i = 0; i < size / 2; ++i) {
        const char16_t unit = i < text.size() ? text[i] : u' ';
        at[2 * i] = uint8_t(unit & 0xFF);
        at[2 * i + 1] = uint8_t(unit >> 8);
    }
}

void writeTextBlock(const CardInfoStruct& info, uint8_t (&block)[cardproto::kTextBlockSize])
{
    const auto kind = cardproto::CardKind(info.cardType);
    const auto* record = reinterpret_cast<const uint8_t*>(&info);
    const cardproto::FieldTable table = cardproto::fieldsOf(kind);
    for (size_t i = 0; i < table.count; ++i) {
        const cardproto::TextField& field = table.fields[i];
        const std::u16string text = recordText(record + field.recordAt, field.recordSize);
        put(block + field.at, field.size,
            field.use == cardproto::FieldUse::Text ? text : codeOf(field, text, kind));
    }
    put(block + cardproto::kKindCharacter.at, cardproto::kKindCharacter.size,
        std::u16string(1, cardproto::kindCharacterOf(kind)));
}

}  // namespace

bool cardDataFrame(const QString& cardPath, cardproto::Bytes& frame, QString& problem)
{
    SimulatedCard card;
    if (!loadCardFile(cardPath, card, problem))
        return false;
    const int fp = card.fingerprints.size();
    if (card.photo.size() != int(cardproto::kPhotoBlockSize) || (fp != 0 && fp != 512 && fp != 1024)) {
        problem = QStringLiteral("a reader sends a 1024-byte photo payload and 0, 512 or 1024 bytes "
                                 "of fingerprints; this card has %1 and %2")
                      .arg(card.photo.size())
                      .arg(fp);
        return false;
    }
    uint8_t text[cardproto::kTextBlockSize];
    writeTextBlock(card.info, text);
    frame = cardproto::buildDataFrame(text, reinterpret_cast<const uint8_t*>(card.photo.constData()),
                                      reinterpret_cast<const uint8_t*>(card.fingerprints.constData()),
                                      size_t(fp));
    return true;
}
