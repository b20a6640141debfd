// SPDX-License-Identifier: Apache-2.0
// Whether a card lies on the reader, without reading it: the library's own
// check, which waits for a read in progress to end first.
#pragma once

#include "pelorin_kit.h"

// READ_OK when a card does, READ_NO_DATA when none does, another READ_RESULT
// when the reader cannot tell.
inline int checkForCard()
{
    return pelorin_kit::checkForCard();
}
