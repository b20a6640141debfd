// SPDX-License-Identifier: Apache-2.0
// What every card face composer draws with: the card's physical size, the
// templates scaled for the screen or the print resolution, the photo fitted
// into its box, the fonts and line drawing of the fields.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointF>
#include <QSize>
#include <QStringList>

namespace FaceDrawing {

const QColor kTextColour = Qt::black;
const qreal kCardWidthMM = 85.6;
const qreal kCardHeightMM = 54.0;
// The photo box of the permit and foreigner cards, in template pixels.
const QSize kLargePhotoBox(140, 210);

// A template scaled to the card's size in screen pixels (the resident card,
// laid out in millimetres and points).
QPixmap& scaledTemplate(const QString& path);
// A template drawn on in its own pixels (permit and foreigner cards, laid out
// on 494 x 312 templates). For print it is enlarged to the card's width at
// the print resolution, and the picture's pixel ratio keeps every position
// and size in template pixels.
QPixmap& pixelTemplate(const QString& path);

// The photo fitted into its box on face, as sharp as the face's pixels
// allow; null when the photo does not decode.
QPixmap photoInBox(const unsigned char* headImage, bool transparentBackground, QSize box,
                   const QPixmap& face);

QFont spacedFont(const QString& family, int pixelSize, qreal letterSpacing);
// The identity number's font on the pixel templates.
QFont numberFont();

// Draws the lines one below the other; lines that would start below the picture
// are not drawn, so an absurdly long field costs no more than a full picture.
void drawLines(QPixmap& face, const QStringList& lines, const QFont& font, QPointF firstBaseline,
               qreal lineStep);

}  // namespace FaceDrawing
