// SPDX-License-Identifier: Apache-2.0
// The text block a card of that CardInfoStruct holds: the inverse of
// fillCardInfo, texts padded with blanks, gender and ethnic group as their
// codes, the kind character in its place.
#pragma once

#include <cstdint>

#include "data_frame.h"
#include "kvsdecompose.h"

namespace cardproto {

void writeTextBlock(const CardInfoStruct& info, uint8_t (&block)[kTextBlockSize]);

}  // namespace cardproto
