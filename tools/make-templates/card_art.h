// SPDX-License-Identifier: Apache-2.0
// Drawing pieces the card templates are made of: card body, security pattern,
// emblem, wall landscape and printed labels.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

struct CardPalette {
    QColor paperTop;
    QColor paperBottom;
    QColor pattern;
};

// Light margin, rounded card with a soft gradient; leaves the painter clipped to the card.
void paintCardBody(QPainter& painter, QSize size, const CardPalette& palette);
// Fine wave lines and a rosette, the security background.
void paintGuilloche(QPainter& painter, const QRectF& area, const QColor& colour);
// Red disc with a large and four small gold stars and a gold ring.
void paintEmblem(QPainter& painter, QPointF centre, qreal radius);
// Stylised wall with towers running over a band of hills.
void paintWall(QPainter& painter, const QRectF& band, const QColor& colour);
// One line of printed text with its baseline starting at the point.
void paintLabel(QPainter& painter, const QString& text, QPointF baseline, int pixelSize,
                const QColor& colour, bool bold = false, qreal letterSpacing = 0.0);
// Left-aligned paragraph wrapped inside the rectangle.
void paintParagraph(QPainter& painter, const QString& text, const QRectF& box, int pixelSize,
                    const QColor& colour);
