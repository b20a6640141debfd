// SPDX-License-Identifier: Apache-2.0
#include "card_copy.h"

#include "card_faces.h"
#include "card_fonts.h"
#include "card_kinds.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace {

const qreal kDotsPerInch = 300;
const qreal kDotsPerMillimetre = kDotsPerInch / 25.4;
const QSizeF kPageMillimetres(210, 297);  // A4 portrait
const QSizeF kCardMillimetres(85.60, 53.98);
// Where a photocopier puts a card laid in the corner of its glass: both
// faces at the same left margin, the back below the front.
const QPointF kFrontMillimetres(20, 20);
const qreal kGapMillimetres = 20;

// The watermark: rows of the text, repeated, close enough that no part of a
// face is left free of it, light enough that the face stays legible.
const qreal kWatermarkHeightMillimetres = 3.0;
const qreal kWatermarkRowMillimetres = 6.0;
const qreal kWatermarkOpacity = 0.35;
const QColor kWatermarkColour(170, 0, 0);
const QString kWatermarkGap = QStringLiteral("\u3000");  // between repetitions

struct Faces {
    QImage front;
    QImage back;
};

Faces facesOf(const CardRead& read)
{
    const CardFaces::PrintResolution print(kDotsPerInch);
    return CardKinds::visitRecord(read.idType, read.records(), [](auto kind, const auto& record) {
        return Faces{kind.front(record).toImage(), kind.back(record).toImage()};
    });
}

QRectF dots(const QRectF& millimetres)
{
    return QRectF(millimetres.topLeft() * kDotsPerMillimetre, millimetres.size() * kDotsPerMillimetre);
}

void paintWatermark(QPainter& painter, const QRectF& face, const QString& watermark)
{
    painter.save();
    painter.setClipRect(face);
    painter.setOpacity(kWatermarkOpacity);
    painter.setPen(kWatermarkColour);
    QFont font;
    font.setFamily(CardFonts::fieldFamily());
    font.setPixelSize(qRound(kWatermarkHeightMillimetres * kDotsPerMillimetre));
    painter.setFont(font);
    const QString unit = watermark + kWatermarkGap;
    const qreal unitWidth = qMax<qreal>(1, painter.fontMetrics().horizontalAdvance(unit));
    // Enough repetitions to cross the face from any of the starts below.
    const QString row = unit.repeated(static_cast<int>(face.width() / unitWidth) + 2);
    const qreal step = kWatermarkRowMillimetres * kDotsPerMillimetre;
    int index = 0;
    for (qreal baseline = face.top() + step / 2; baseline < face.bottom() + step; baseline += step, ++index) {
        // Each row starts further left than the one above, so that the gaps
        // between repetitions do not line up down the face.
        const qreal shift = unitWidth * ((index * 3) % 8) / 8;
        painter.drawText(QPointF(face.left() - shift, baseline), row);
    }
    painter.restore();
}

void paintPage(QPainter& painter, const Faces& faces, const QString& watermark)
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF front = dots(QRectF(kFrontMillimetres, kCardMillimetres));
    const QRectF back = front.translated(0, (kCardMillimetres.height() + kGapMillimetres) * kDotsPerMillimetre);
    for (const auto& [place, face] : {std::pair<QRectF, const QImage&>{front, faces.front}, {back, faces.back}}) {
        if (face.isNull())
            continue;
        painter.drawImage(place, face);
        if (!watermark.isEmpty())
            paintWatermark(painter, place, watermark);
    }
}

QByteArray pdf(const Faces& faces, const QString& watermark)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("pelorin"));
    writer.setResolution(static_cast<int>(kDotsPerInch));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&writer))
        return QByteArray();
    paintPage(painter, faces, watermark);
    if (!painter.end())
        return QByteArray();
    return bytes;
}

QByteArray png(const Faces& faces, const QString& watermark)
{
    const QSizeF size = kPageMillimetres * kDotsPerMillimetre;
    QImage page(qRound(size.width()), qRound(size.height()), QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(qRound(kDotsPerMillimetre * 1000));
    page.setDotsPerMeterY(qRound(kDotsPerMillimetre * 1000));
    QPainter painter(&page);
    paintPage(painter, faces, watermark);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return page.save(&buffer, "PNG") ? bytes : QByteArray();
}

}  // namespace

std::optional<CopyFormat> copyFormatNamed(const QString& name)
{
    if (name.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        return CopyFormat::Pdf;
    if (name.compare(QLatin1String("png"), Qt::CaseInsensitive) == 0)
        return CopyFormat::Png;
    return std::nullopt;
}

std::optional<CopyFormat> copyFormatOfFile(const QString& fileName)
{
    return copyFormatNamed(QFileInfo(fileName).suffix());
}

QByteArray cardCopy(const CardRead& read, CopyFormat format, const QString& watermark)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return QByteArray();
    const Faces faces = facesOf(read);
    if (faces.front.isNull() && faces.back.isNull())
        return QByteArray();
    return format == CopyFormat::Pdf ? pdf(faces, watermark) : png(faces, watermark);
}
