// SPDX-License-Identifier: Apache-2.0
#include "bmp_writer.h"

#include <QByteArray>
#include <QFile>

namespace {

void putLe(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool writeBmp(const QImage& image, int bitsPerPixel, const QString& path)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int bytesPerPixel = bitsPerPixel / 8;
    const int rowBytes = (rgb.width() * bytesPerPixel + 3) / 4 * 4;
    const quint32 pixelBytes = static_cast<quint32>(rowBytes) * rgb.height();

    QByteArray out;
    out.append("BM");
    putLe(out, 54 + pixelBytes, 4);
    putLe(out, 0, 4);
    putLe(out, 54, 4);
    putLe(out, 40, 4);
    putLe(out, rgb.width(), 4);
    putLe(out, rgb.height(), 4);
    putLe(out, 1, 2);
    putLe(out, bitsPerPixel, 2);
    for (int i = 0; i < 6; ++i)  // compression, image size, resolutions, colour counts
        putLe(out, 0, 4);

    for (int y = rgb.height() - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        QByteArray row;
        for (int x = 0; x < rgb.width(); ++x) {
            row.append(static_cast<char>(qBlue(line[x])));
            row.append(static_cast<char>(qGreen(line[x])));
            row.append(static_cast<char>(qRed(line[x])));
            if (bytesPerPixel == 4)
                row.append(static_cast<char>(0xFF));
        }
        row.append(QByteArray(rowBytes - row.size(), '\0'));
        out.append(row);
    }

    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}
