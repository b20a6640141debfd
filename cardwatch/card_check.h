// SPDX-License-Identifier: Apache-2.0
// Whether a card lies on the reader, without reading it.
#pragma once

// READ_OK when a card does, READ_NO_DATA when none does, another READ_RESULT
// when the reader cannot tell. Waits for a read in progress to end first.
int checkForCard();
