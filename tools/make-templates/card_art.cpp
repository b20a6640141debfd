// SPDX-License-Identifier: Apache-2.0
#include "card_art.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

namespace {

const QColor kMargin(248, 248, 246);
const QColor kEdge(196, 200, 204);
const QColor kEmblemRed(206, 32, 41);
const QColor kEmblemGold(250, 210, 60);
const int kMarginPixels = 2;

QPolygonF star(QPointF centre, qreal outer, qreal rotation)
{
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 == 0) ? outer : outer * 0.382;
        const qreal a = rotation + i * M_PI / 5 - M_PI / 2;
        points << QPointF(centre.x() + r * qCos(a), centre.y() + r * qSin(a));
    }
    return points;
}

QFont cardFont(int pixelSize, bool bold, qreal letterSpacing)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

}  // namespace

void paintCardBody(QPainter& painter, QSize size, const CardPalette& palette)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(QPoint(0, 0), size), kMargin);
    const QRectF card(kMarginPixels, kMarginPixels, size.width() - 2 * kMarginPixels,
                      size.height() - 2 * kMarginPixels);
    // ISO cards have 3.18 mm corners: about 15 pixels on these pictures.
    QPainterPath shape;
    shape.addRoundedRect(card, 15, 15);
    QLinearGradient paper(card.topLeft(), card.bottomRight());
    paper.setColorAt(0, palette.paperTop);
    paper.setColorAt(1, palette.paperBottom);
    painter.fillPath(shape, paper);
    painter.setPen(QPen(kEdge, 1));
    painter.drawPath(shape);
    painter.setClipPath(shape);
}

void paintGuilloche(QPainter& painter, const QRectF& area, const QColor& colour)
{
    painter.save();
    painter.setPen(QPen(colour, 0.6));
    painter.setBrush(Qt::NoBrush);
    for (qreal base = area.top(); base < area.bottom(); base += 9) {
        QPainterPath wave;
        wave.moveTo(area.left(), base);
        for (qreal x = area.left(); x <= area.right(); x += 2)
            wave.lineTo(x, base + 3 * qSin((x - area.left()) / 14.0 + base / 20.0));
        painter.drawPath(wave);
    }
    const QPointF centre = area.center();
    for (int petal = 0; petal < 24; ++petal) {
        painter.save();
        painter.translate(centre);
        painter.rotate(petal * 15.0);
        painter.drawEllipse(QPointF(area.height() * 0.18, 0), area.height() * 0.18,
                            area.height() * 0.07);
        painter.restore();
    }
    painter.restore();
}

void paintEmblem(QPainter& painter, QPointF centre, qreal radius)
{
    painter.save();
    painter.setPen(QPen(kEmblemGold, radius * 0.08));
    painter.setBrush(kEmblemRed);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kEmblemGold);
    const QPointF bigStar(centre.x(), centre.y() - radius * 0.3);
    painter.drawPolygon(star(bigStar, radius * 0.36, 0));
    // Four small stars in an arc on both sides of the big one.
    const qreal arc[4][2] = {{-0.62, 0.12}, {-0.38, -0.16}, {0.38, -0.16}, {0.62, 0.12}};
    for (const auto& offset : arc)
        painter.drawPolygon(star(QPointF(bigStar.x() + radius * offset[0],
                                         bigStar.y() + radius * offset[1]),
                                 radius * 0.12, 0));
    // A gate with steps under the stars.
    painter.setBrush(kEmblemGold);
    const qreal w = radius * 0.9;
    painter.drawRect(QRectF(centre.x() - w / 2, centre.y() + radius * 0.42, w, radius * 0.1));
    painter.drawRect(QRectF(centre.x() - w / 3, centre.y() + radius * 0.56, w * 2 / 3, radius * 0.16));
    painter.restore();
}

void paintWall(QPainter& painter, const QRectF& band, const QColor& colour)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    QPainterPath hills;
    hills.moveTo(band.left(), band.bottom());
    for (qreal x = band.left(); x <= band.right(); x += 3)
        hills.lineTo(x, band.center().y() + band.height() * 0.35 * qSin((x - band.left()) / 40.0));
    painter.setPen(QPen(colour.lighter(125), 1.0));
    painter.drawPath(hills);
    // The wall follows the ridge and carries a tower every so often.
    painter.setPen(QPen(colour, 1.4));
    QPainterPath wall;
    const qreal top = band.top() + band.height() * 0.25;
    for (qreal x = band.left(); x <= band.right(); x += 3) {
        const qreal y = top + band.height() * 0.3 * qSin((x - band.left()) / 40.0);
        if (x == band.left())
            wall.moveTo(x, y);
        else
            wall.lineTo(x, y);
    }
    painter.drawPath(wall);
    for (qreal x = band.left() + 20; x < band.right() - 10; x += 55) {
        const qreal y = top + band.height() * 0.3 * qSin((x - band.left()) / 40.0);
        painter.drawRect(QRectF(x - 5, y - band.height() * 0.3, 10, band.height() * 0.3));
        for (int merlon = 0; merlon < 3; ++merlon)
            painter.drawLine(QPointF(x - 5 + merlon * 4, y - band.height() * 0.3),
                             QPointF(x - 5 + merlon * 4, y - band.height() * 0.38));
    }
    painter.restore();
}

void paintLabel(QPainter& painter, const QString& text, QPointF baseline, int pixelSize,
                const QColor& colour, bool bold, qreal letterSpacing)
{
    painter.save();
    painter.setFont(cardFont(pixelSize, bold, letterSpacing));
    painter.setPen(colour);
    painter.drawText(baseline, text);
    painter.restore();
}

void paintParagraph(QPainter& painter, const QString& text, const QRectF& box, int pixelSize,
                    const QColor& colour)
{
    painter.save();
    painter.setFont(cardFont(pixelSize, false, 0.0));
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    painter.restore();
}
