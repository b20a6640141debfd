// SPDX-License-Identifier: Apache-2.0
// The card data frame a reader sends for the card of a card file: the text
// block as the card holds it (texts padded with blanks, gender and ethnic
// group as their codes, the kind character in its place), the photo payload
// and the fingerprints.
#pragma once

#include <QString>

#include "frame.h"

// False with the reason in `problem` for a card file that cannot be read or
// whose photo is not the 1024-byte payload a reader sends.
bool cardDataFrame(const QString& cardPath, cardproto::Bytes& frame, QString& problem);
