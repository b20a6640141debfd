// SPDX-License-Identifier: Apache-2.0
// The card's dates as the records and faces show them, taken from the card's
// YYYYMMDD text by character.
#pragma once

#include <QString>
#include <string>

#include "pelorin_api.h"

// Characters 1 to 4, 5 and 6, and 7 to the end; shorter texts give empty parts.
BIRTH_INFO splitBirthDate(const std::string& date);
// Characters 1 to 4, ".", 5 and 6, ".", 7 to the end: "2020.03.15".
QString dottedDate(const QString& date);
