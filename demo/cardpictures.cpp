// SPDX-License-Identifier: Apache-2.0
#include "cardpictures.h"

#include <QLabel>

void showCardPictures(const unsigned char (&headImage)[HEAD_IMAGE_BMP_SIZE], QLabel *headLabel,
                      const QPixmap &frontImg, QLabel *frontLabel,
                      const QPixmap &backImg, QLabel *backLabel)
{
    // No format hint: the reader hands over a complete bitmap file.
    QPixmap photo;
    photo.loadFromData(headImage, HEAD_IMAGE_BMP_SIZE);
    headLabel->setPixmap(photo);
    frontLabel->setPixmap(frontImg);
    backLabel->setPixmap(backImg);
}
