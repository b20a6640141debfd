// SPDX-License-Identifier: Apache-2.0
#include "card_photo.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "pelorin_api.h"

namespace CardPhoto {

namespace {
const QSize kPhotoSize(102, 126);
}

QPixmap load(const unsigned char* headImage)
{
    // The field is card data: a header declaring a huge picture must not make us
    // allocate or decode it, so the size is checked before any pixel is read.
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(headImage),
                                               HEAD_IMAGE_BMP_SIZE);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (reader.size() != kPhotoSize)
        return QPixmap();
    const QImage image = reader.read();
    if (image.isNull())
        return QPixmap();
    return QPixmap::fromImage(image, Qt::AutoColor);
}

}  // namespace CardPhoto
