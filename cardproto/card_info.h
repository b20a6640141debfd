// SPDX-License-Identifier: Apache-2.0
// Turns a card's raw text block into the CardInfoStruct of the reader-access
// library: the kind from the kind character, texts as UCS-2 without the
// blanks that pad them on the card, gender and ethnic group as words.
#pragma once

#include <cstdint>

#include "kvsdecompose.h"

namespace cardproto {

// Fills every field of `info` from the kTextBlockSize bytes at `text`.
void fillCardInfo(const uint8_t* text, CardInfoStruct& info);

}  // namespace cardproto
