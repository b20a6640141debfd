// A card's 256-byte text block as the card holds it, written back from the
// CardInfoStruct a card file describes: texts padded with blanks, gender and
// ethnic group as their codes, the kind character in its place.
#pragma once

#include <cstdint>

#include "kvsdecompose.h"
#include "text_layout.h"

void writeTextBlock(const CardInfoStruct& info, uint8_t (&block)[cardproto::kTextBlockSize]);
