// SPDX-License-Identifier: Apache-2.0
// The checks a desk makes before it accepts a card, computed from the card's
// record alone: a read that went wrong unnoticed, or a chip that disagrees
// with itself, shows up here.
#pragma once

#include "card_read.h"

#include <QDate>
#include <QJsonObject>

#include <optional>

// Each check is empty where it does not apply to the card's kind or a
// field it needs is missing.
struct CardChecks {
    // The 18-character number ends in the ISO 7064 MOD 11-2 check character
    // of its first 17 digits (resident card, residence permit, new
    // foreigner card).
    std::optional<bool> idNumberValid;
    // Characters 7 to 14 of the number are the birth date; the 17th is odd
    // for a man, even for a woman (resident card, residence permit).
    std::optional<bool> birthMatchesIdNumber;
    std::optional<bool> genderMatchesIdNumber;
    // The validity period ended before `today`; false for a card valid for
    // the long term.
    std::optional<bool> expired;
    // Whole years from the birth date to `today`.
    std::optional<int> ageYears;
};

// The checks of the card in `read` on the local date `today`.
CardChecks checkCard(const CardRead& read, const QDate& today);

// The checks as JSON under the names above, null where one is empty.
QJsonObject checksJson(const CardChecks& checks);
