// SPDX-License-Identifier: Apache-2.0
// The residence permit's faces, laid out in the pixels of their templates.
#include "permit_faces.h"

#include <QPixmap>

#include "card_faces.h"
#include "card_fonts.h"
#include "face_drawing.h"
#include "face_text.h"
#include "tools.h"

using namespace FaceDrawing;

QString PermitFaces::backTemplate(const ID_TEXT_INFO_HMT& text, int& firstBaseline)
{
    const QString prefix = FaceText::fromField(text.idCode).left(2);
    if (prefix == QLatin1String("81") || prefix == QLatin1String("82")) {
        firstBaseline = 224;
        return QStringLiteral(":/Pics/hm_back.bmp");
    }
    if (prefix == QLatin1String("83")) {
        // The Taiwan template prints its rows one pixel higher.
        firstBaseline = 223;
        return QStringLiteral(":/Pics/tw_back.bmp");
    }
    return QString();
}

const QPixmap& CardFaces::hmtFront(const IDCARD_INFO_ALL_HMT& card)
{
    const ID_TEXT_INFO_HMT& text = card.idTextInfoHMT;
    const QString field = CardFonts::fieldFamily();
    QPixmap& face = pixelTemplate(QStringLiteral(":/Pics/hmt_front.bmp"));

    Tools::drawStringInPixmap(face, FaceText::spreadName(FaceText::fromField(text.name)),
                              kTextColour, field, 18, 98, 64);
    Tools::drawStringInPixmap(face, FaceText::fromField(text.gender), kTextColour, field, 14, 98,
                              100);
    Tools::drawStringInPixmap(face, FaceText::fromField(text.birth.year), kTextColour, field, 16,
                              98, 136);
    // A value that lost its zero moves right, so the digits stay over the same place.
    bool dropped = false;
    const QString month = FaceText::dropLeadingZero(FaceText::fromField(text.birth.month), &dropped);
    Tools::drawStringInPixmap(face, month, kTextColour, field, 16, dropped ? 174 : 171, 136);
    const QString day = FaceText::dropLeadingZero(FaceText::fromField(text.birth.day), &dropped);
    Tools::drawStringInPixmap(face, day, kTextColour, field, 16, dropped ? 216 : 212, 136);

    QString address = FaceText::fromField(text.address);
    drawLines(face, Tools::autoWrap(address, 11), spacedFont(field, 16, 2.0), QPointF(98, 174), 24);

    QPixmap photo = photoInBox(card.idInfoTailOther.headImage, false, kLargePhotoBox, face);
    Tools::drawSubPixmap(face, photo, 310, 53);

    Tools::drawStringInPixmap(face, FaceText::fromField(text.idCode), kTextColour, numberFont(),
                              QPointF(175, 269));
    return face;
}

const QPixmap& CardFaces::hmtBack(const IDCARD_INFO_ALL_HMT& card)
{
    const ID_TEXT_INFO_HMT& text = card.idTextInfoHMT;
    int firstBaseline = 0;
    const QString templatePath = PermitFaces::backTemplate(text, firstBaseline);
    if (templatePath.isEmpty()) {
        static const QPixmap none;
        return none;
    }
    const QString field = CardFonts::fieldFamily();
    QPixmap& face = pixelTemplate(templatePath);
    Tools::drawStringInPixmap(face, FaceText::fromField(text.dept), kTextColour, field, 14, 223,
                              firstBaseline);
    Tools::drawStringInPixmap(face,
                              FaceText::validPeriod(FaceText::fromField(text.validPeriod.start),
                                                    FaceText::fromField(text.validPeriod.end)),
                              kTextColour, field, 14, 223, firstBaseline + 23);
    Tools::drawStringInPixmap(face, FaceText::fromField(text.passCheckCode), kTextColour, field, 14,
                              223, firstBaseline + 44);
    return face;
}
