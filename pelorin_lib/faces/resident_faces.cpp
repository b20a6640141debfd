// SPDX-License-Identifier: Apache-2.0
// The resident identity card's faces, laid out in millimetres and points.
#include <QPixmap>
#include <QStringList>

#include "card_faces.h"
#include "card_fonts.h"
#include "face_drawing.h"
#include "face_text.h"
#include "makecardimg.h"
#include "tools.h"

using FaceDrawing::kTextColour;

namespace {

const int kNamePoints = 11;
const int kFieldPoints = 9;
const int kLongAddressPoints = 8;
const int kIdCodePoints = 12;
const int kAddressUnitsAtFieldSize = 30;
const qreal kPhotoBoxWidthMM = 26.0;
const qreal kPhotoBoxHeightMM = 32.0;

void drawResidentAddress(QPixmap& face, QString address)
{
    const QStringList lines = Tools::autoWrapEx(address);
    const int points = address.size() <= kAddressUnitsAtFieldSize ? kFieldPoints : kLongAddressPoints;
    const qreal h = Tools::getPixelHeightFromPoint(points);
    const qreal gap = Tools::getmm2Pixel();
    const qreal firstTop = MakeCardImg::getPixelPosFromMMPos(QPointF(17.0, 28.0)).y();
    for (int i = 0; i < lines.size(); ++i) {
        const qreal yDelta = i * (h + gap);
        if (firstTop + yDelta > face.height())
            break;
        Tools::drawStringInPixmapFromTop(face, lines.at(i), kTextColour, CardFonts::fieldFamily(),
                                         points, 17.0, 28.0, yDelta);
    }
}

}  // namespace

const QPixmap& CardFaces::cnFront(const IDCARD_INFO_ALL_CN& card)
{
    const ID_TEXT_INFO_CN& text = card.idTextInfoCN;
    const QString field = CardFonts::fieldFamily();
    QPixmap& face = FaceDrawing::scaledTemplate(QStringLiteral(":/Pics/IDCardFront.bmp"));

    Tools::drawStringInPixmapFromBottom(face, FaceText::spreadName(FaceText::fromField(text.name)),
                                        kTextColour, field, kNamePoints, 17.0, 10.8);
    Tools::drawStringInPixmapFromBottom(face, FaceText::fromField(text.gender), kTextColour, field,
                                        kFieldPoints, 17.0, 17.3);
    Tools::drawStringInPixmapFromBottom(face, FaceText::fromField(text.nation), kTextColour, field,
                                        kFieldPoints, 34.0, 17.3);
    Tools::drawStringInPixmapFromBottom(face, FaceText::fromField(text.birth.year), kTextColour,
                                        field, kFieldPoints, 17.0, 23.8);
    Tools::drawStringInPixmapFromBottomRight(
        face, FaceText::dropLeadingZero(FaceText::fromField(text.birth.month)), kTextColour, field,
        kFieldPoints, 33.0, 23.8);
    Tools::drawStringInPixmapFromBottomRight(
        face, FaceText::dropLeadingZero(FaceText::fromField(text.birth.day)), kTextColour, field,
        kFieldPoints, 41.0, 23.8);
    drawResidentAddress(face, FaceText::fromField(text.address));

    const qreal factor = Tools::getmm2Pixel();
    const QSize photoBox(static_cast<int>(kPhotoBoxWidthMM * factor),
                         static_cast<int>(kPhotoBoxHeightMM * factor));
    QPixmap photo = FaceDrawing::photoInBox(card.idInfoTailCN.headImage, true, photoBox, face);
    Tools::drawSubPixmapEx(face, photo, 54.0, 8.0);

    Tools::drawIDCodeStringInPixmapFromBottom(face, FaceText::fromField(text.idCode), kTextColour,
                                              CardFonts::numberFamily(), kIdCodePoints, 30.0, 48.0);
    return face;
}

const QPixmap& CardFaces::cnBack(const IDCARD_INFO_ALL_CN& card)
{
    const ID_TEXT_INFO_CN& text = card.idTextInfoCN;
    const QString field = CardFonts::fieldFamily();
    QPixmap& face = FaceDrawing::scaledTemplate(QStringLiteral(":/Pics/IDCardBack.bmp"));
    Tools::drawStringInPixmapFromTop(face, FaceText::fromField(text.dept), kTextColour, field,
                                     kFieldPoints, 36.0, 38.3);
    Tools::drawStringInPixmapFromTop(face,
                                     FaceText::validPeriod(FaceText::fromField(text.validPeriod.start),
                                                           FaceText::fromField(text.validPeriod.end)),
                                     kTextColour, field, kFieldPoints, 36.0, 45.3);
    return face;
}
