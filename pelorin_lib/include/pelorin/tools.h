// SPDX-License-Identifier: Apache-2.0
// Tools: static helpers of the card face composer (drawing toolkit) and the
// country-code lookup shared by the read path.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <string>

class Tools {
public:
    // Chinese country name of a three-letter code; empty when the code is unknown.
    static std::string convertNationCodeToName(std::string strNationCode);
    // Three-letter code of the first row with exactly this Chinese name; empty when none.
    static std::string convertNationNameToCode(const std::string& strNationName);

    // Pixels per millimetre on the primary screen, read afresh on every call.
    static qreal getmm2Pixel();
    // Pixel height of a font of pointVal typographic points.
    static qreal getPixelHeightFromPoint(int pointVal);
    // Half the bounding width of strText plus nine pixels (right anchoring).
    static qreal getTextPixelWidth(QString strFontName, int pointVal, QString strText);

    static bool drawStringInPixmap(QPixmap& pmBase, QString strToDraw, QColor strColor,
                                   QFont font, QPointF drawBeginPos);
    static bool drawStringInPixmap(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                   QString sTxtFontName, int nTxtFontSize, int nTxtPosX,
                                   int nTxtPosY);
    static bool drawStringInPixmapFromTop(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                          QString sTxtFontName, int nTxtFontSize,
                                          qreal nTxtPosXInMM, qreal nTxtPosYInMM);
    static bool drawStringInPixmapFromTop(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                          QString sTxtFontName, int nTxtFontSize,
                                          qreal nTxtPosXInMM, qreal nTxtPosYInMM,
                                          qreal yDeltaInPixel);
    static bool drawStringInPixmapFromBottom(QPixmap& pmBase, QString strToDraw, QColor clrTxt,
                                             QString sTxtFontName, int nTxtFontSize,
                                             qreal nTxtPosXInMM, qreal nTxtPosYInMM);
    static bool drawIDCodeStringInPixmapFromBottom(QPixmap& pmBase, QString strToDraw,
                                                   QColor clrTxt, QString sTxtFontName,
                                                   int nTxtFontSize, qreal nTxtPosXInMM,
                                                   qreal nTxtPosYInMM);
    static bool drawStringInPixmapFromBottomRight(QPixmap& pmBase, QString strToDraw,
                                                  QColor clrTxt, QString sTxtFontName,
                                                  int nTxtFontSize, qreal nTxtPosXInMM,
                                                  qreal nTxtPosYInMM);

    // Lines of at most nMaxTxtCntPerLine UTF-16 units; strRaw is not modified.
    static QStringList autoWrap(QString& strRaw, int nMaxTxtCntPerLine);
    // Lines of at most 11 width units (Chinese character 1.0, anything else 0.5).
    static QStringList autoWrapEx(QString& strRaw);
    static bool isChineseCharacter(QChar ch);

    // Copy of the photo with its white background made transparent.
    static QPixmap convertHeadImgCNBgToTransparent(const QPixmap& pixmap);
    static bool drawSubPixmap(QPixmap& pmBase, QPixmap& pmSub, qreal nTxtPosX, qreal nTxtPosY);
    static bool drawSubPixmapEx(QPixmap& pmBase, QPixmap& pmSub, qreal nTxtPosX,
                                qreal nTxtPosY);

    // Base64 text of the picture encoded as JPEG; empty on failure.
    static QString convertPixmapToBase64ViaJpg(const QPixmap& pixmap);
    static QPixmap bmpFileToPixmap(QString bmpFilePath);
    static QSize getBmpSize(QString bmpFilePath);

private:
    static QFont fontOfPoints(const QString& family, int pointVal);
    static void drawAtBaseline(QPixmap& pmBase, const QString& strToDraw, const QColor& clrTxt,
                               const QFont& font, QPointF baselineStart);
};
