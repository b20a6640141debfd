// SPDX-License-Identifier: Apache-2.0
// The holder's photo of a card record as a picture.
#pragma once

#include <QPixmap>

namespace CardPhoto {

// The 38862-byte photo field as a picture; null when it does not decode or
// declares a size other than the card photo's 102 x 126 pixels.
QPixmap load(const unsigned char* headImage);

}  // namespace CardPhoto
