// SPDX-License-Identifier: Apache-2.0
// Card photo encoder: a 102 x 126 RGB picture becomes a 1024-byte payload
// that unpack turns back into a likeness of it. The whole picture is the
// object (face model 0), so no mask segment is written.
#pragma once

#include <cstdint>
#include <vector>

#include "PayloadBuilder.h"

// rgb: 102 x 126 pixels, top row first, red, green, blue each.
Bytes Encode_Photo(const std::vector<uint8_t>& rgb, int level = 4);
