// SPDX-License-Identifier: Apache-2.0
// Where each field sits in a card's 256-byte text block, per card kind, and
// which CardInfoStruct field it fills. Every field holds little-endian 16-bit
// characters, so a field of n bytes holds n / 2 of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "card_codes.h"
#include "data_frame.h"
#include "kvsdecompose.h"

namespace cardproto {

enum class FieldUse {
    Text,        // copied as it stands
    GenderCode,  // a digit, stored as the gender's word
    NationCode,  // two digits, stored as the ethnic group's name
};

struct TextField {
    uint16_t at;
    uint16_t size;
    FieldUse use;
    uint16_t recordAt;  // the CardInfoStruct field it fills
    uint16_t recordSize;
    const char* name;   // that field's name, as card files give it
};

// The character that tells the card's kind ("Y", "I", "J", else resident).
constexpr TextField kKindCharacter = {248, 2, FieldUse::Text, 0, 0, ""};

#define CARDPROTO_FILLS(f) uint16_t(offsetof(CardInfoStruct, f)), uint16_t(sizeof(CardInfoStruct::f)), #f

namespace resident {
constexpr TextField name{0, 30, FieldUse::Text, CARDPROTO_FILLS(sfz_name)};
constexpr TextField gender{30, 2, FieldUse::GenderCode, CARDPROTO_FILLS(sfz_gender)};
constexpr TextField nation{32, 4, FieldUse::NationCode, CARDPROTO_FILLS(sfz_nation)};
constexpr TextField birthDate{36, 16, FieldUse::Text, CARDPROTO_FILLS(sfz_birthday)};
constexpr TextField address{52, 70, FieldUse::Text, CARDPROTO_FILLS(sfz_address)};
constexpr TextField idNumber{122, 36, FieldUse::Text, CARDPROTO_FILLS(sfz_idNumber)};
constexpr TextField issuer{158, 30, FieldUse::Text, CARDPROTO_FILLS(sfz_issueOrganization)};
constexpr TextField validFrom{188, 16, FieldUse::Text, CARDPROTO_FILLS(sfz_validDateStart)};
constexpr TextField validUntil{204, 16, FieldUse::Text, CARDPROTO_FILLS(sfz_validDateEnd)};
constexpr TextField reserved{220, 36, FieldUse::Text, CARDPROTO_FILLS(sfz_reserved)};
constexpr TextField kFields[] = {name,     gender, nation,    birthDate,  address,
                                 idNumber, issuer, validFrom, validUntil, reserved};
}  // namespace resident

namespace residencePermit {
constexpr TextField name{0, 30, FieldUse::Text, CARDPROTO_FILLS(gat_name)};
constexpr TextField gender{30, 2, FieldUse::GenderCode, CARDPROTO_FILLS(gat_gender)};
constexpr TextField reserved1{32, 4, FieldUse::Text, CARDPROTO_FILLS(gat_reserved1)};
constexpr TextField birthDate{36, 16, FieldUse::Text, CARDPROTO_FILLS(gat_birthday)};
constexpr TextField address{52, 70, FieldUse::Text, CARDPROTO_FILLS(gat_address)};
constexpr TextField idNumber{122, 36, FieldUse::Text, CARDPROTO_FILLS(gat_idNumber)};
constexpr TextField issuer{158, 30, FieldUse::Text, CARDPROTO_FILLS(gat_issueOrganization)};
constexpr TextField validFrom{188, 16, FieldUse::Text, CARDPROTO_FILLS(gat_validDateStart)};
constexpr TextField validUntil{204, 16, FieldUse::Text, CARDPROTO_FILLS(gat_validDateEnd)};
constexpr TextField passNumber{220, 18, FieldUse::Text, CARDPROTO_FILLS(gat_passCheckId)};
constexpr TextField issueCount{238, 4, FieldUse::Text, CARDPROTO_FILLS(gat_issuesNumber)};
constexpr TextField reserved2{242, 6, FieldUse::Text, CARDPROTO_FILLS(gat_reserved2)};
constexpr TextField kind{248, 2, FieldUse::Text, CARDPROTO_FILLS(gat_cardType)};
constexpr TextField reserved3{250, 6, FieldUse::Text, CARDPROTO_FILLS(gat_reserved3)};
constexpr TextField kFields[] = {name,       gender,     reserved1,  birthDate, address,
                                 idNumber,   issuer,     validFrom,  validUntil, passNumber,
                                 issueCount, reserved2,  kind,       reserved3};
}  // namespace residencePermit

namespace foreigner2017 {
constexpr TextField nameEnglish{0, 120, FieldUse::Text, CARDPROTO_FILLS(yjzOld_nameEnglish)};
constexpr TextField gender{120, 2, FieldUse::GenderCode, CARDPROTO_FILLS(yjzOld_gender)};
constexpr TextField idNumber{122, 30, FieldUse::Text, CARDPROTO_FILLS(yjzOld_idNumber)};
constexpr TextField nationality{152, 6, FieldUse::Text, CARDPROTO_FILLS(yjzOld_nationality)};
constexpr TextField nameChinese{158, 30, FieldUse::Text, CARDPROTO_FILLS(yjzOld_nameChinese)};
constexpr TextField validFrom{188, 16, FieldUse::Text, CARDPROTO_FILLS(yjzOld_validDateStart)};
constexpr TextField validUntil{204, 16, FieldUse::Text, CARDPROTO_FILLS(yjzOld_validDateEnd)};
constexpr TextField birthDate{220, 16, FieldUse::Text, CARDPROTO_FILLS(yjzOld_birthday)};
constexpr TextField cardVersion{236, 4, FieldUse::Text, CARDPROTO_FILLS(yjzOld_cardVersion)};
constexpr TextField issuer{240, 8, FieldUse::Text, CARDPROTO_FILLS(yjzOld_issueOrganization)};
constexpr TextField kind{248, 2, FieldUse::Text, CARDPROTO_FILLS(yjzOld_cardType)};
constexpr TextField reserved{250, 6, FieldUse::Text, CARDPROTO_FILLS(yjzOld_reserved)};
constexpr TextField kFields[] = {nameEnglish, gender,     idNumber,  nationality,
                                 nameChinese, validFrom,  validUntil, birthDate,
                                 cardVersion, issuer,     kind,       reserved};
}  // namespace foreigner2017

namespace foreignerNew {
constexpr TextField nameChinese{0, 30, FieldUse::Text, CARDPROTO_FILLS(yjz_nameChinese)};
constexpr TextField gender{30, 2, FieldUse::GenderCode, CARDPROTO_FILLS(yjz_gender)};
constexpr TextField renewalCount{32, 4, FieldUse::Text, CARDPROTO_FILLS(yjz_renewalNumber)};
constexpr TextField birthDate{36, 16, FieldUse::Text, CARDPROTO_FILLS(yjz_birthday)};
constexpr TextField nameEnglish{52, 70, FieldUse::Text, CARDPROTO_FILLS(yjz_nameEnglish)};
constexpr TextField idNumber{122, 36, FieldUse::Text, CARDPROTO_FILLS(yjz_idNumber)};
constexpr TextField reserved{158, 30, FieldUse::Text, CARDPROTO_FILLS(yjz_reserved)};
constexpr TextField validFrom{188, 16, FieldUse::Text, CARDPROTO_FILLS(yjz_validDateStart)};
constexpr TextField validUntil{204, 16, FieldUse::Text, CARDPROTO_FILLS(yjz_validDateEnd)};
constexpr TextField nameEnglishMore{220, 22, FieldUse::Text, CARDPROTO_FILLS(yjz_nameEnglishAdd)};
constexpr TextField nationality{242, 6, FieldUse::Text, CARDPROTO_FILLS(yjz_nationality)};
constexpr TextField kind{248, 2, FieldUse::Text, CARDPROTO_FILLS(yjz_cardType)};
constexpr TextField related{250, 6, FieldUse::Text, CARDPROTO_FILLS(yjz_releatedItems)};
constexpr TextField kFields[] = {nameChinese, gender,     renewalCount, birthDate, nameEnglish,
                                 idNumber,    reserved,   validFrom,    validUntil,
                                 nameEnglishMore, nationality, kind,    related};
}  // namespace foreignerNew

// The CardInfoStruct fields no text block fills (empty in the block).
constexpr TextField kOutsideTextBlock[] = {{0, 0, FieldUse::Text, CARDPROTO_FILLS(yjz_historicalNumber)},
                                           {0, 0, FieldUse::Text, CARDPROTO_FILLS(padding)}};

#undef CARDPROTO_FILLS

// True when the fields follow each other without gap or overlap, cover the
// whole block, and each copied field fits the record field it fills.
template <size_t N>
constexpr bool tilesTextBlock(const TextField (&fields)[N])
{
    size_t next = 0;
    for (const TextField& field : fields) {
        if (field.at != next || (field.use == FieldUse::Text && field.size > field.recordSize))
            return false;
        next += field.size;
    }
    return next == kTextBlockSize;
}
static_assert(tilesTextBlock(resident::kFields), "resident card layout");
static_assert(tilesTextBlock(residencePermit::kFields), "residence permit layout");
static_assert(tilesTextBlock(foreigner2017::kFields), "foreigner card 2017 layout");
static_assert(tilesTextBlock(foreignerNew::kFields), "foreigner card new layout");
static_assert(resident::reserved.at <= kKindCharacter.at &&
                  kKindCharacter.at + kKindCharacter.size <= resident::reserved.at + resident::reserved.size,
              "the resident card keeps its kind character in its reserved tail");

struct FieldTable {
    const TextField* fields;
    size_t count;
};

// Each card kind with the character its text block carries and its fields.
struct CardLayout {
    CardKind kind;
    char16_t kindCharacter;  // a blank on a resident card
    FieldTable fields;
    const char16_t* (*genderWord)(int code);  // the gender code's word, or null
};

template <size_t N>
constexpr FieldTable tableOf(const TextField (&fields)[N])
{
    return {fields, N};
}

constexpr CardLayout kCardLayouts[] = {
    {kResidentCard, u' ', tableOf(resident::kFields), residentGenderWord},
    {kResidencePermit, u'J', tableOf(residencePermit::kFields), residentGenderWord},
    {kForeignerCard2017, u'I', tableOf(foreigner2017::kFields), genderWord},
    {kForeignerCardNew, u'Y', tableOf(foreignerNew::kFields), genderWord},
};

// The layout of a kind; the resident card's for a number that names none.
const CardLayout& layoutOf(CardKind kind);
// The fields of a card kind's text block, in block order.
inline FieldTable fieldsOf(CardKind kind)
{
    return layoutOf(kind).fields;
}

// The kind told by the character at bytes 248 and 249 of the text block.
CardKind cardKindOfCharacter(char16_t kindCharacter);
// The character a card of that kind holds there.
inline char16_t kindCharacterOf(CardKind kind)
{
    return layoutOf(kind).kindCharacter;
}

// The word a code field of a card of that kind stands for: the ethnic group's
// name or the gender's word of the kind; null for a gender code without a word.
const char16_t* codeWord(FieldUse use, int code, CardKind kind);

// The CardInfoStruct field of that name, of any kind or outside the text
// block; null for an unknown name.
const TextField* cardInfoFieldNamed(const std::string& name);

}  // namespace cardproto
