// SPDX-License-Identifier: Apache-2.0
// The date of birth as the records hold it: year, month and day taken from
// the card's YYYYMMDD text by character.
#pragma once

#include <string>

#include "pelorin_api.h"

// Characters 1 to 4, 5 and 6, and 7 to the end; shorter texts give empty parts.
BIRTH_INFO splitBirthDate(const std::string& date);
