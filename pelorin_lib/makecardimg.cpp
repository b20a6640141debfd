// SPDX-License-Identifier: Apache-2.0
#include "makecardimg.h"

#include <QDebug>
#include <QFont>
#include <QFontMetricsF>
#include <QPixmap>
#include <QStringList>

#include "card_faces.h"
#include "card_fonts.h"
#include "card_photo.h"
#include "card_templates.h"
#include "face_text.h"
#include "tools.h"

namespace {

const QColor kTextColour = Qt::black;
const qreal kMillimetresPerInch = 25.4;
const qreal kCardWidthMM = 85.6;
const qreal kCardHeightMM = 54.0;
const int kNumberFontWeight = 63;

// ---- Resident identity card: laid out in millimetres and points -----------------

const int kNamePoints = 11;
const int kFieldPoints = 9;
const int kLongAddressPoints = 8;
const int kIdCodePoints = 12;
const int kAddressUnitsAtFieldSize = 30;
const qreal kPhotoBoxWidthMM = 26.0;
const qreal kPhotoBoxHeightMM = 32.0;

// ---- Permit and foreigner cards: laid out in pixels on 494 x 312 templates --------

const QSize kPixelTemplateSize(494, 312);
const QSize kLargePhotoBox(140, 210);
const int kForeignerFieldPixels = 14;
const int kNameUnitsPerLine = 25;
const qreal kNameLineStep = 18;
const int kSmallestNamePixels = 8;
const qreal kNameGapBeforePhoto = 4;

QPixmap& scaledTemplate(const QString& path)
{
    const QSizeF card = MakeCardImg::getCardRealPixelSize();
    return CardTemplates::canvas(path, QSize(static_cast<int>(card.width() + 2.0),
                                             static_cast<int>(card.height() + 1.0)));
}

// A template drawn on in its own pixels. For print it is enlarged to the
// card's width at the print resolution, and the picture's pixel ratio keeps
// every position and size in template pixels.
QPixmap& pixelTemplate(const QString& path)
{
    const qreal dotsPerInch = CardFaces::PrintResolution::dotsPerInch();
    if (dotsPerInch <= 0)
        return CardTemplates::canvas(path);
    const qreal ratio = kCardWidthMM / kMillimetresPerInch * dotsPerInch / kPixelTemplateSize.width();
    return CardTemplates::canvas(path, kPixelTemplateSize * ratio, ratio);
}

// The photo fitted into its box on face, as sharp as the face's pixels
// allow; null when the photo does not decode.
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

// Draws the lines one below the other; lines that would start below the picture
// are not drawn, so an absurdly long field costs no more than a full picture.
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

// The back template of a residence permit by its identity number, and the
// baseline of its first row; empty when the number names none.
QString hmtBackTemplate(const ID_TEXT_INFO_HMT& text, int& firstBaseline)
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

template <typename Record>
QString base64Face(Record* record, const QPixmap& (*compose)(const Record&))
{
    return record ? Tools::convertPixmapToBase64ViaJpg(compose(*record)) : QString();
}

}  // namespace

QPointF MakeCardImg::getPixelPosFromMMPos(QPointF pointPos)
{
    return QPointF(pointPos.x() * Tools::getmm2Pixel(), pointPos.y() * Tools::getmm2Pixel());
}

QSizeF MakeCardImg::getCardRealPixelSize()
{
    const qreal width = kCardWidthMM * Tools::getmm2Pixel();
    const qreal height = kCardHeightMM * Tools::getmm2Pixel();
    qDebug() << "Card pixWidthScreen=" << width << "Card pixHeightScreen=" << height;
    return QSizeF(width, height);
}

qreal MakeCardImg::getRealScaleRatio(QString bmpFilePath)
{
    const qreal factor = Tools::getmm2Pixel();
    const QSizeF picture(Tools::getBmpSize(bmpFilePath));
    return (kCardWidthMM * factor / picture.width() + kCardHeightMM * factor / picture.height()) / 2;
}

const QPixmap& CardFaces::cnFront(const IDCARD_INFO_ALL_CN& card)
{
    const ID_TEXT_INFO_CN& text = card.idTextInfoCN;
    const QString field = CardFonts::fieldFamily();
    QPixmap& face = scaledTemplate(QStringLiteral(":/Pics/IDCardFront.bmp"));

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
    QPixmap photo = photoInBox(card.idInfoTailCN.headImage, true, photoBox, face);
    Tools::drawSubPixmapEx(face, photo, 54.0, 8.0);

    Tools::drawIDCodeStringInPixmapFromBottom(face, FaceText::fromField(text.idCode), kTextColour,
                                              CardFonts::numberFamily(), kIdCodePoints, 30.0, 48.0);
    return face;
}

const QPixmap& CardFaces::cnBack(const IDCARD_INFO_ALL_CN& card)
{
    const ID_TEXT_INFO_CN& text = card.idTextInfoCN;
    const QString field = CardFonts::fieldFamily();
    QPixmap& face = scaledTemplate(QStringLiteral(":/Pics/IDCardBack.bmp"));
    Tools::drawStringInPixmapFromTop(face, FaceText::fromField(text.dept), kTextColour, field,
                                     kFieldPoints, 36.0, 38.3);
    Tools::drawStringInPixmapFromTop(face,
                                     FaceText::validPeriod(FaceText::fromField(text.validPeriod.start),
                                                           FaceText::fromField(text.validPeriod.end)),
                                     kTextColour, field, kFieldPoints, 36.0, 45.3);
    return face;
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
    const QString templatePath = hmtBackTemplate(text, firstBaseline);
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

QString MakeCardImg::makeIDCardCNFrontBase64(IDCARD_INFO_ALL_CN* idcard_info_all_cn)
{
    return base64Face(idcard_info_all_cn, CardFaces::cnFront);
}

QString MakeCardImg::makeIDCardCNBackBase64(IDCARD_INFO_ALL_CN* idcard_info_all_cn)
{
    return base64Face(idcard_info_all_cn, CardFaces::cnBack);
}

QString MakeCardImg::makeIDCardHmtFrontBase64(IDCARD_INFO_ALL_HMT* idcard_info_all_hmt)
{
    return base64Face(idcard_info_all_hmt, CardFaces::hmtFront);
}

QString MakeCardImg::makeIDCardHmtBackBase64(IDCARD_INFO_ALL_HMT* idcard_info_all_hmt)
{
    // A number without a back template gives no picture and no log line.
    int firstBaseline = 0;
    if (!idcard_info_all_hmt || hmtBackTemplate(idcard_info_all_hmt->idTextInfoHMT, firstBaseline).isEmpty())
        return QString();
    return base64Face(idcard_info_all_hmt, CardFaces::hmtBack);
}

QString MakeCardImg::makeIDCardFNewFrontBase64(IDCARD_INFO_ALL_FOREIGN_NEW* idcard_info_all_fnew)
{
    return base64Face(idcard_info_all_fnew, CardFaces::foreignNewFront);
}

QString MakeCardImg::makeIDCardF2017FrontBase64(IDCARD_INFO_ALL_FOREIGN_2017* idcard_info_all_f2017)
{
    return base64Face(idcard_info_all_f2017, CardFaces::foreign2017Front);
}

QString MakeCardImg::makeIDCardFNewBackBase64(IDCARD_INFO_ALL_FOREIGN_NEW*)
{
    return Tools::convertPixmapToBase64ViaJpg(CardFaces::foreignNewBack());
}

QString MakeCardImg::makeIDCardF2017BackBase64(IDCARD_INFO_ALL_FOREIGN_2017*)
{
    return Tools::convertPixmapToBase64ViaJpg(CardFaces::foreign2017Back());
}
