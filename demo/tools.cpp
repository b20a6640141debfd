// SPDX-License-Identifier: Apache-2.0
#include "tools.h"

#include <QByteArray>
#include <QImage>

QPixmap Tools::base64ToJpg(const QString &base64Text)
{
    // fromBase64 skips anything outside the alphabet, so line breaks or stray
    // characters in the text do no harm.
    const QByteArray jpegBytes = QByteArray::fromBase64(base64Text.toLocal8Bit());
    QImage image;
    if (!image.loadFromData(jpegBytes, "JPG"))
        return QPixmap();
    return QPixmap::fromImage(image);
}
