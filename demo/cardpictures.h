// SPDX-License-Identifier: Apache-2.0
// Puts the holder's photo and the two card faces of a read on a page.
#pragma once

#include <pelorin/pelorin_api.h>

#include <QPixmap>

class QLabel;

// The photo is loaded from the record's bitmap file bytes; a photo that is no
// picture leaves headLabel empty.
void showCardPictures(const unsigned char (&headImage)[HEAD_IMAGE_BMP_SIZE], QLabel *headLabel,
                      const QPixmap &frontImg, QLabel *frontLabel,
                      const QPixmap &backImg, QLabel *backLabel);
