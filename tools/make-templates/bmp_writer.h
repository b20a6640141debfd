// SPDX-License-Identifier: Apache-2.0
// Writes uncompressed Windows bitmaps with exactly the header and bit depth asked for.
#pragma once

#include <QImage>
#include <QString>

// Bottom-up rows padded to four bytes after a 54-byte header; 24 or 32 bits per
// pixel (the fourth byte is 255). Returns false when the file cannot be written.
bool writeBmp(const QImage& image, int bitsPerPixel, const QString& path);
