// SPDX-License-Identifier: Apache-2.0
// The foreigner permanent residence card's faces, both layouts, laid out in
// the pixels of their templates.
#include <QFont>
#include <QFontMetricsF>
#include <QPixmap>
#include <QStringList>

#include "card_faces.h"
#include "card_fonts.h"
#include "face_drawing.h"
#include "face_text.h"
#include "tools.h"

using namespace FaceDrawing;

namespace {

const int kForeignerFieldPixels = 14;
const int kNameUnitsPerLine = 25;
const qreal kNameLineStep = 18;
const int kSmallestNamePixels = 8;
const qreal kNameGapBeforePhoto = 4;

// Pixel positions of the items of a foreigner card front.
struct ForeignerFrontLayout {
    QString templatePath;
    QPointF nameEN, nameCN, gender, birth, nationality, validPeriod, acceptanceDept;
    QPoint photo;
    QPointF idCode;
};

// The texts of a foreigner card front, already transformed.
struct ForeignerFrontTexts {
    QString nameEN, nameCN, gender, birth, nationality, validPeriod, acceptanceDept, idCode;
};

template <typename ForeignerText>
ForeignerFrontTexts foreignerTexts(const ForeignerText& text)
{
    ForeignerFrontTexts texts;
    texts.nameEN = FaceText::fromField(text.nameEN);
    texts.nameCN = FaceText::fromField(text.nameCN);
    texts.gender = FaceText::bilingualSex(FaceText::fromField(text.gender));
    texts.birth = FaceText::fromField(text.birth.year) + QLatin1Char('.') +
                  FaceText::fromField(text.birth.month) + QLatin1Char('.') +
                  FaceText::fromField(text.birth.day);
    texts.nationality = FaceText::bilingualNationality(FaceText::fromField(text.nationality));
    texts.validPeriod = FaceText::validPeriod(FaceText::fromField(text.validPeriod.start),
                                              FaceText::fromField(text.validPeriod.end));
    texts.idCode = FaceText::fromField(text.idCode);
    return texts;
}

QFont foreignerFieldFont(int pixelSize)
{
    return spacedFont(CardFonts::fieldFamily(), pixelSize, 1.0);
}

bool linesFit(const QFont& font, const QStringList& lines, qreal room)
{
    const QFontMetricsF metrics(font);
    for (const QString& line : lines)
        if (metrics.horizontalAdvance(line) > room)
            return false;
    return true;
}

// The English name has room for two lines above the Chinese name. A name of up
// to two full lines is drawn like every other field; a longer one is split into
// two halves, drawn at the largest size at which both end before the photo.
void drawEnglishName(QPixmap& face, QString name, const ForeignerFrontLayout& layout)
{
    QStringList lines = Tools::autoWrap(name, kNameUnitsPerLine);
    QFont font = foreignerFieldFont(kForeignerFieldPixels);
    if (lines.size() > 2) {
        int half = (name.size() + 1) / 2;
        if (name.at(half - 1).isHighSurrogate())
            ++half;
        // Every character advances at least the letter spacing of one pixel, so
        // nothing past the picture's width in units could show anyway.
        lines = QStringList{name.left(half).left(face.width()), name.mid(half).left(face.width())};
        const qreal room = layout.photo.x() - layout.nameEN.x() - kNameGapBeforePhoto;
        for (int size = kForeignerFieldPixels - 1;
             size >= kSmallestNamePixels && !linesFit(font, lines, room); --size)
            font = foreignerFieldFont(size);
    }
    drawLines(face, lines, font, layout.nameEN, kNameLineStep);
}

const QPixmap& composeForeignerFront(const ForeignerFrontTexts& texts, const unsigned char* headImage,
                                     const ForeignerFrontLayout& layout)
{
    QPixmap& face = pixelTemplate(layout.templatePath);
    const QFont fieldFont = foreignerFieldFont(kForeignerFieldPixels);
    drawEnglishName(face, texts.nameEN, layout);
    Tools::drawStringInPixmap(face, texts.nameCN, kTextColour, fieldFont, layout.nameCN);
    Tools::drawStringInPixmap(face, texts.gender, kTextColour, fieldFont, layout.gender);
    Tools::drawStringInPixmap(face, texts.birth, kTextColour, fieldFont, layout.birth);
    Tools::drawStringInPixmap(face, texts.nationality, kTextColour, fieldFont, layout.nationality);
    Tools::drawStringInPixmap(face, texts.validPeriod, kTextColour, fieldFont, layout.validPeriod);
    Tools::drawStringInPixmap(face, texts.acceptanceDept, kTextColour, fieldFont,
                              layout.acceptanceDept);
    QPixmap photo = photoInBox(headImage, true, kLargePhotoBox, face);
    Tools::drawSubPixmap(face, photo, layout.photo.x(), layout.photo.y());
    Tools::drawStringInPixmap(face, texts.idCode, kTextColour, numberFont(), layout.idCode);
    return face;
}

}  // namespace

const QPixmap& CardFaces::foreignNewFront(const IDCARD_INFO_ALL_FOREIGN_NEW& card)
{
    const ForeignerFrontLayout layout{QStringLiteral(":/Pics/fnew_front.bmp"),
                                      QPointF(47, 74), QPointF(47, 112), QPointF(47, 152),
                                      QPointF(153, 152), QPointF(47, 195), QPointF(47, 242),
                                      QPointF(), QPoint(315, 58), QPointF(153, 271)};
    // The new layout has no accepting authority: its text stays empty and draws nothing.
    return composeForeignerFront(foreignerTexts(card.idTextInfoForeignNew), card.idInfoTailOther.headImage,
                                 layout);
}

const QPixmap& CardFaces::foreign2017Front(const IDCARD_INFO_ALL_FOREIGN_2017& card)
{
    const ForeignerFrontLayout layout{QStringLiteral(":/Pics/f2017_front.bmp"),
                                      QPointF(48, 51), QPointF(48, 89), QPointF(48, 125),
                                      QPointF(154, 125), QPointF(48, 166), QPointF(48, 203),
                                      QPointF(48, 243), QPoint(316, 58), QPointF(154, 265)};
    const ID_TEXT_INFO_FOREIGN_2017& text = card.idTextInfoForeign2017;
    ForeignerFrontTexts texts = foreignerTexts(text);
    texts.acceptanceDept = FaceText::fromField(text.acceptanceDept);
    return composeForeignerFront(texts, card.idInfoTailOther.headImage, layout);
}

const QPixmap& CardFaces::foreignNewBack()
{
    return pixelTemplate(QStringLiteral(":/Pics/fnew_back.bmp"));
}

const QPixmap& CardFaces::foreign2017Back()
{
    return pixelTemplate(QStringLiteral(":/Pics/f2017_back.bmp"));
}
