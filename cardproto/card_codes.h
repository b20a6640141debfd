// SPDX-License-Identifier: Apache-2.0
// The codes a card's text block holds and the words the records show for
// them: genders, ethnic groups, the kind character.
#pragma once

#include <cstdint>
#include <string>

namespace cardproto {

// The card kinds as CardInfoStruct's cardType numbers them.
enum CardKind : int32_t {
    kResidentCard = 1,
    kResidencePermit = 2,
    kForeignerCard2017 = 3,
    kForeignerCardNew = 4,
};

// Gender words of the national code table (0, 1, 2, 9); null for other codes.
const char16_t* genderWord(int code);
// Resident cards and residence permits know only two words: 1 is male,
// every other code female.
const char16_t* residentGenderWord(int code);
// Between the Chinese part of a bilingual text and its English or code part.
constexpr const char* kLanguageSeparator = " / ";
// A gender word with its English letter, as the foreigner cards print it:
// "男 / M" for "男", "女 / F" for "女" (UTF-8); null for any other text.
const char* bilingualGender(const std::string& word);
// A country as the new foreigner card's raw text gives it and the faces
// print it: its name, the separator, its three-letter code.
std::string bilingualCountry(const std::string& name, const std::string& code);
// The ethnic group's name without the suffix "族"; empty for unlisted numbers.
const char16_t* nationName(int number);

}  // namespace cardproto
