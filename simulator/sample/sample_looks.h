// SPDX-License-Identifier: Apache-2.0
// The looks of the invented card holders, one per sample card.
#pragma once

#include "sample_photo.h"

#include <string>
#include <vector>

namespace kvssample {

struct NamedLook {
    std::string name;  // also the stem of the photo file: "<name>_photo.bmp"
    FaceLook look;
};

// The built-in card of the simulated reader.
const FaceLook& builtinLook();

// The fixture cards: cn, hmt, fnew, f2017.
const std::vector<NamedLook>& fixtureLooks();

}  // namespace kvssample
