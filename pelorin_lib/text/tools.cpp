// SPDX-License-Identifier: Apache-2.0
#include "tools.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <atomic>

#include "card_faces.h"
#include "dbglog.h"
#include "face_glyphs.h"
#include "makecardimg.h"
#include "pelorin_api.h"

namespace {

const qreal kMillimetresPerInch = 25.4;
const qreal kMillimetresPerPoint = 0.35277777777777775;
// Used when there is no screen to measure (no display, or no GUI application yet).
const qreal kFallbackDotsPerInch = 96.0;

const qreal kChineseCharacterUnits = 1.0;
const qreal kOtherCharacterUnits = 0.5;
const qreal kAddressLineUnits = 11.0;
const qreal kAddressLineUnitsBeforeLast = 10.5;

// Right-anchored text ends about this far left of its point.
const qreal kRightAnchorPixels = 9;

// Letter spacing and weight of the identity number on the resident card.
const int kIdCodeWeight = 63;
const qreal kIdCodeLetterSpacing = 0.48;

const QRgb kPhotoWhite = qRgba(255, 255, 255, 255);
const QRgb kPhotoNearWhite = qRgba(254, 254, 254, 255);
const QRgb kPhotoTransparent = qRgba(254, 254, 254, 0);

}  // namespace

std::string Tools::convertNationNameToCode(const std::string& strNationName)
{
    for (const auto& row : COUNTRY_CODE_LIST) {
        if (row[2] == strNationName)
            return row[1];
    }
    return std::string();
}

qreal Tools::getmm2Pixel()
{
    // A copy for print draws the faces for the printer, not for the screen.
    if (const qreal printDotsPerInch = CardFaces::PrintResolution::dotsPerInch())
        return printDotsPerInch / kMillimetresPerInch;
    // The attribute only counts before the application object exists; setting it
    // later makes Qt warn on every conversion and changes nothing.
    if (!QCoreApplication::instance())
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    const QScreen* screen =
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                     : nullptr;
    if (!screen) {
        // Once per process: the conversion runs dozens of times per face.
        static std::atomic_bool reported{false};
        if (!reported.exchange(true))
            safe_write_fmt("[%s(%d)<%s>] no primary screen, taking %.0f dots per inch\n", LOG_AT,
                           kFallbackDotsPerInch);
        return kFallbackDotsPerInch / kMillimetresPerInch;
    }
    return screen->physicalDotsPerInchX() / kMillimetresPerInch;
}

qreal Tools::getPixelHeightFromPoint(int pointVal)
{
    return pointVal * kMillimetresPerPoint * getmm2Pixel();
}

QFont Tools::fontOfPoints(const QString& family, int pointVal)
{
    QFont font;
    font.setFamily(family);
    font.setPixelSize(static_cast<int>(getPixelHeightFromPoint(pointVal)));
    return font;
}

qreal Tools::getTextPixelWidth(QString strFontName, int pointVal, QString strText)
{
    const int w = QFontMetrics(fontOfPoints(strFontName, pointVal)).boundingRect(strText).width();
    return kRightAnchorPixels * CardFaces::PrintResolution::designPixel() - w / 2 + w;
}

void Tools::drawAtBaseline(QPixmap& pmBase, const QString& strToDraw, const QColor& clrTxt,
                           const QFont& font, QPointF baselineStart)
{
    if (pmBase.isNull() || strToDraw.isEmpty())
        return;
    FaceGlyphs::check(strToDraw, font);
    QPainter painter(&pmBase);
    painter.setFont(font);
    painter.setPen(clrTxt);
    painter.drawText(baselineStart, strToDraw);
}

bool Tools::drawStringInPixmap(QPixmap& pmBase, QString strToDraw, QColor strColor, QFont font,
                               QPointF drawBeginPos)
{
    drawAtBaseline(pmBase, strToDraw, strColor, font, drawBeginPos);
    return true;
}

bool Tools::drawStringInPixmap(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                               QString sTxtFontName, int nTxtFontSize, int nTxtPosX, int nTxtPosY)
{
    QFont font;
    font.setFamily(sTxtFontName);
    font.setPixelSize(nTxtFontSize);
    // Whole pixels, as the integer drawText of QPainter takes them.
    drawAtBaseline(pmBase, strToDraw, clrTxt, font, QPointF(nTxtPosX, nTxtPosY));
    return true;
}

bool Tools::drawStringInPixmapFromTop(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                      QString sTxtFontName, int nTxtFontSize, qreal nTxtPosXInMM,
                                      qreal nTxtPosYInMM)
{
    return drawStringInPixmapFromTop(pmBase, strToDraw, clrTxt, sTxtFontName, nTxtFontSize,
                                     nTxtPosXInMM, nTxtPosYInMM, 0.0);
}

bool Tools::drawStringInPixmapFromTop(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                      QString sTxtFontName, int nTxtFontSize, qreal nTxtPosXInMM,
                                      qreal nTxtPosYInMM, qreal yDeltaInPixel)
{
    const qreal h = getPixelHeightFromPoint(nTxtFontSize);
    const QPointF p = MakeCardImg::getPixelPosFromMMPos(QPointF(nTxtPosXInMM, nTxtPosYInMM));
    drawAtBaseline(pmBase, strToDraw, clrTxt, fontOfPoints(sTxtFontName, nTxtFontSize),
                   QPointF(p.x(), p.y() + h + yDeltaInPixel));
    return true;
}

bool Tools::drawStringInPixmapFromBottom(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                         QString sTxtFontName, int nTxtFontSize,
                                         qreal nTxtPosXInMM, qreal nTxtPosYInMM)
{
    const QPointF p = MakeCardImg::getPixelPosFromMMPos(QPointF(nTxtPosXInMM, nTxtPosYInMM));
    drawAtBaseline(pmBase, strToDraw, clrTxt, fontOfPoints(sTxtFontName, nTxtFontSize), p);
    return true;
}

bool Tools::drawIDCodeStringInPixmapFromBottom(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                               QString sTxtFontName, int nTxtFontSize,
                                               qreal nTxtPosXInMM, qreal nTxtPosYInMM)
{
    QFont font = fontOfPoints(sTxtFontName, nTxtFontSize);
    font.setWeight(kIdCodeWeight);
    font.setLetterSpacing(QFont::AbsoluteSpacing,
                          kIdCodeLetterSpacing * CardFaces::PrintResolution::designPixel());
    const QPointF p = MakeCardImg::getPixelPosFromMMPos(QPointF(nTxtPosXInMM, nTxtPosYInMM));
    drawAtBaseline(pmBase, strToDraw, clrTxt, font, p);
    return true;
}

bool Tools::drawStringInPixmapFromBottomRight(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                              QString sTxtFontName, int nTxtFontSize,
                                              qreal nTxtPosXInMM, qreal nTxtPosYInMM)
{
    const QPointF p = MakeCardImg::getPixelPosFromMMPos(QPointF(nTxtPosXInMM, nTxtPosYInMM));
    const qreal halfWidth = getTextPixelWidth(sTxtFontName, nTxtFontSize, strToDraw);
    drawAtBaseline(pmBase, strToDraw, clrTxt, fontOfPoints(sTxtFontName, nTxtFontSize),
                   QPointF(p.x() - halfWidth, p.y()));
    return true;
}

QStringList Tools::autoWrap(QString& strRaw, int nMaxTxtCntPerLine)
{
    QStringList lines;
    // A non-positive count would never shorten the text; treat it as one unit per line.
    const int perLine = qMax(1, nMaxTxtCntPerLine);
    int begin = 0;
    while (strRaw.size() - begin > perLine) {
        lines.append(strRaw.mid(begin, perLine));
        begin += perLine;
    }
    lines.append(strRaw.mid(begin));
    return lines;
}

QStringList Tools::autoWrapEx(QString& strRaw)
{
    QStringList lines;
    int lineBegin = 0;
    qreal units = 0.0;
    for (int i = lineBegin; i < strRaw.size(); ++i) {
        units += isChineseCharacter(strRaw.at(i)) ? kChineseCharacterUnits : kOtherCharacterUnits;
        const bool moreFollow = i + 1 < strRaw.size();
        if ((units == kAddressLineUnitsBeforeLast && moreFollow) || units == kAddressLineUnits) {
            lines.append(strRaw.mid(lineBegin, i + 1 - lineBegin));
            lineBegin = i + 1;
            units = 0.0;
        }
    }
    lines.append(strRaw.mid(lineBegin));
    return lines;
}

bool Tools::isChineseCharacter(QChar ch)
{
    const ushort u = ch.unicode();
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF);
}

QPixmap Tools::convertHeadImgCNBgToTransparent(const QPixmap& pixmap)
{
    QImage image = pixmap.toImage();
    if (image.isNull())
        return QPixmap();
    if (image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] == kPhotoWhite || row[x] == kPhotoNearWhite)
                row[x] = kPhotoTransparent;
        }
    }
    return QPixmap::fromImage(image, Qt::AutoColor);
}

bool Tools::drawSubPixmap(QPixmap& pmBase, QPixmap& pmSub, qreal nTxtPosX, qreal nTxtPosY)
{
    if (pmBase.isNull() || pmSub.isNull())
        return false;
    QPainter painter(&pmBase);
    painter.drawPixmap(QPointF(nTxtPosX, nTxtPosY), pmSub);
    return true;
}

bool Tools::drawSubPixmapEx(QPixmap& pmBase, QPixmap& pmSub, qreal nTxtPosX, qreal nTxtPosY)
{
    const qreal x = nTxtPosX * getmm2Pixel();
    const qreal y = nTxtPosY * getmm2Pixel();
    return drawSubPixmap(pmBase, pmSub, x, y);
}

QString Tools::convertPixmapToBase64ViaJpg(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage();
    if (image.isNull()) {
        safe_write_fmt("[%s(%d)<%s>] image data invalid!", LOG_AT);
        return QString();
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) {
        safe_write_fmt("[%s(%d)<%s>] buffer.open fail!\n", LOG_AT);
        return QString();
    }
    if (!image.save(&buffer, "JPG", -1)) {
        safe_write_fmt("[%s(%d)<%s>] image.save fail!\n", LOG_AT);
        return QString();
    }
    const QString text = QString::fromLatin1(bytes.toBase64());
    buffer.close();
    return text;
}

QPixmap Tools::bmpFileToPixmap(QString bmpFilePath)
{
    QImage image;
    if (!image.load(bmpFilePath)) {
        safe_write_fmt("[%s(%d)<%s>] cannot load image!\n", LOG_AT);
        return QPixmap();
    }
    return QPixmap::fromImage(image, Qt::AutoColor);
}

QSize Tools::getBmpSize(QString bmpFilePath)
{
    QImage image;
    if (!image.load(bmpFilePath))
        return QSize();
    return image.size();
}
