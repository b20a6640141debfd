// SPDX-License-Identifier: Apache-2.0
// The codes a card's text block holds and the words the records show for
// them: genders, ethnic groups, the kind character.
#pragma once

#include <cstdint>

namespace cardproto {

// The card kinds as CardInfoStruct's cardType numbers them.
enum CardKind : int32_t {
    kResidentCard = 1,
    kResidencePermit = 2,
    kForeignerCard2017 = 3,
    kForeignerCardNew = 4,
};

// The kind told by the character at bytes 248 and 249 of the text block.
CardKind cardKindOfCharacter(char16_t kindCharacter);
// The character a card of that kind holds there (a blank on a resident card).
char16_t kindCharacterOf(CardKind kind);

// Gender words of the national code table (0, 1, 2, 9); null for other codes.
const char16_t* genderWord(int code);
// Resident cards and residence permits know only two words: 1 is male,
// every other code female.
const char16_t* residentGenderWord(int code);
// The ethnic group's name without the suffix "族"; empty for unlisted numbers.
const char16_t* nationName(int number);

}  // namespace cardproto
