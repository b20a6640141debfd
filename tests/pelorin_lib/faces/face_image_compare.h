// SPDX-License-Identifier: Apache-2.0
// Comparing a composed face with its bare template, both through the same
// JPEG encoder, to find where something was drawn.
#pragma once

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>

// The base64 JPEG text as a picture; null when it does not decode as JPEG.
QImage decodeFace(const QString& base64);
// The template as the faces start from it, passed through the JPEG encoder.
QImage blankFace(const QString& templatePath, bool scaledToScreen);
// Pixels of the region whose colour differs clearly (ink, photo) between the two.
int changedPixels(const QImage& face, const QImage& blank, const QRect& region);
// Clearly changed pixels outside all the given regions.
int changedOutside(const QImage& face, const QImage& blank, const QList<QRect>& drawn);
// Leftmost column of the region with a changed pixel, or -1.
int firstChangedColumn(const QImage& face, const QImage& blank, const QRect& region);
// Bounding box of the clearly changed pixels of the region (null when none).
QRect changedBounds(const QImage& face, const QImage& blank, const QRect& region);
