// SPDX-License-Identifier: Apache-2.0
#include "face_drawing.h"

#include "card_faces.h"
#include "card_fonts.h"
#include "card_photo.h"
#include "card_templates.h"
#include "makecardimg.h"
#include "tools.h"

namespace FaceDrawing {

namespace {

const qreal kMillimetresPerInch = 25.4;
const QSize kPixelTemplateSize(494, 312);
const int kNumberFontWeight = 63;

}  // namespace

QPixmap& scaledTemplate(const QString& path)
{
    const QSizeF card = MakeCardImg::getCardRealPixelSize();
    return CardTemplates::canvas(path, QSize(static_cast<int>(card.width() + 2.0),
                                             static_cast<int>(card.height() + 1.0)));
}

QPixmap& pixelTemplate(const QString& path)
{
    const qreal dotsPerInch = CardFaces::PrintResolution::dotsPerInch();
    if (dotsPerInch <= 0)
        return CardTemplates::canvas(path);
    const qreal ratio = kCardWidthMM / kMillimetresPerInch * dotsPerInch / kPixelTemplateSize.width();
    return CardTemplates::canvas(path, kPixelTemplateSize * ratio, ratio);
}

QPixmap photoInBox(const unsigned char* headImage, bool transparentBackground, QSize box,
                   const QPixmap& face)
{
    QPixmap photo = CardPhoto::load(headImage);
    if (photo.isNull())
        return photo;
    if (transparentBackground)
        photo = Tools::convertHeadImgCNBgToTransparent(photo);
    const qreal ratio = face.devicePixelRatioF();
    photo = photo.scaled(box * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    photo.setDevicePixelRatio(ratio);
    return photo;
}

QFont spacedFont(const QString& family, int pixelSize, qreal letterSpacing)
{
    QFont font;
    font.setFamily(family);
    font.setPixelSize(pixelSize);
    font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

QFont numberFont()
{
    QFont font = spacedFont(CardFonts::numberFamily(), 19, 3.0);
    font.setWeight(kNumberFontWeight);
    return font;
}

void drawLines(QPixmap& face, const QStringList& lines, const QFont& font, QPointF firstBaseline,
               qreal lineStep)
{
    for (int i = 0; i < lines.size(); ++i) {
        const QPointF baseline(firstBaseline.x(), firstBaseline.y() + i * lineStep);
        if (baseline.y() - lineStep > face.height())
            break;
        Tools::drawStringInPixmap(face, lines.at(i), kTextColour, font, baseline);
    }
}

}  // namespace FaceDrawing
