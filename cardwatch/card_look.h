// SPDX-License-Identifier: Apache-2.0
// One look at the reader for a program that watches on its own thread.
#pragma once

#include "card_presence.h"

#include <functional>

// Checks whether a card is there and calls `read` (which returns its
// READ_RESULT) only when one is and none has been announced: an empty reader
// costs no reads, an announced card no second read. `result` is the result
// the event is about (the failure of a Failed).
CardPresence::Event lookAtReader(CardPresence& presence, const std::function<int()>& read, int& result);
