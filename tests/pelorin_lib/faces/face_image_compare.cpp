// SPDX-License-Identifier: Apache-2.0
#include "face_image_compare.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QSizeF>

#include <cstdlib>

#include <pelorin/makecardimg.h>
#include <pelorin/tools.h>

namespace {

// JPEG noise stays well below this; text and photo pixels go far above it.
const int kInkThreshold = 72;

bool clearlyChanged(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) > kInkThreshold ||
           std::abs(qGreen(a) - qGreen(b)) > kInkThreshold ||
           std::abs(qBlue(a) - qBlue(b)) > kInkThreshold;
}

}  // namespace

QImage decodeFace(const QString& base64)
{
    QByteArray jpeg = QByteArray::fromBase64(base64.toLatin1());
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

QImage blankFace(const QString& templatePath, bool scaledToScreen)
{
    QPixmap blank = Tools::bmpFileToPixmap(templatePath);
    if (scaledToScreen) {
        const QSizeF card = MakeCardImg::getCardRealPixelSize();
        blank = blank.scaled(int(card.width() + 2.0), int(card.height() + 1.0),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return decodeFace(Tools::convertPixmapToBase64ViaJpg(blank));
}

int changedPixels(const QImage& face, const QImage& blank, const QRect& region)
{
    int count = 0;
    const QRect inside = region & face.rect() & blank.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += clearlyChanged(face.pixel(x, y), blank.pixel(x, y));
    return count;
}

int changedOutside(const QImage& face, const QImage& blank, const QList<QRect>& drawn)
{
    int count = 0;
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            bool allowed = false;
            for (const QRect& r : drawn)
                allowed = allowed || r.contains(x, y);
            count += !allowed && clearlyChanged(face.pixel(x, y), blank.pixel(x, y));
        }
    }
    return count;
}

int firstChangedColumn(const QImage& face, const QImage& blank, const QRect& region)
{
    const QRect inside = region & face.rect();
    for (int x = inside.left(); x <= inside.right(); ++x)
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            if (clearlyChanged(face.pixel(x, y), blank.pixel(x, y)))
                return x;
    return -1;
}

QRect changedBounds(const QImage& face, const QImage& blank, const QRect& region)
{
    QRect bounds;
    const QRect inside = region & face.rect() & blank.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (clearlyChanged(face.pixel(x, y), blank.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}
