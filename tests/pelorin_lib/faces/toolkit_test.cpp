// SPDX-License-Identifier: Apache-2.0
// Drawing toolkit at 96 dots per inch (the suite runs on its own Xvfb screen).
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "card_fonts.h"
#include <pelorin/makecardimg.h>
#include "read_harness.h"
#include <pelorin/tools.h>

namespace {

QString repeated(const QString& unit, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += unit;
    return text;
}

}  // namespace

TEST(ToolkitScale, ScreenGivesExactly96DotsPerInch)
{
    ASSERT_DOUBLE_EQ(Tools::getmm2Pixel(), 96.0 / 25.4);
    const QPointF p = MakeCardImg::getPixelPosFromMMPos(QPointF(25.4, 12.7));
    EXPECT_DOUBLE_EQ(p.x(), 96.0);
    EXPECT_DOUBLE_EQ(p.y(), 48.0);
}

TEST(ToolkitScale, PointSizesTruncateTowardZero)
{
    EXPECT_DOUBLE_EQ(Tools::getPixelHeightFromPoint(9), 12.0);
    // 15.999999999999998: the font gets 15 pixels, not 16.
    EXPECT_LT(Tools::getPixelHeightFromPoint(12), 16.0);
    EXPECT_EQ(static_cast<int>(Tools::getPixelHeightFromPoint(12)), 15);
    EXPECT_EQ(static_cast<int>(Tools::getPixelHeightFromPoint(8)), 10);
    EXPECT_EQ(static_cast<int>(Tools::getPixelHeightFromPoint(11)), 14);
}

TEST(ToolkitScale, CardSizeAndRatioOnTheScreen)
{
    const QSizeF card = MakeCardImg::getCardRealPixelSize();
    EXPECT_NEAR(card.width(), 323.53, 0.01);
    EXPECT_NEAR(card.height(), 204.09, 0.01);
    EXPECT_NEAR(MakeCardImg::getRealScaleRatio(":/Pics/IDCardFront.bmp"),
                (323.5275 / 400 + 204.0945 / 254) / 2, 1e-4);
}

TEST(ToolkitText, TextWidthIsHalfTheBoundingWidthPlusNine)
{
    const QString text = QStringLiteral("12");
    QFont font;
    font.setFamily(CardFonts::fieldFamily());
    font.setPixelSize(12);
    const int w = QFontMetrics(font).boundingRect(text).width();
    ASSERT_GT(w, 0);
    EXPECT_DOUBLE_EQ(Tools::getTextPixelWidth(CardFonts::fieldFamily(), 9, text), w / 2 + 9);
}

TEST(ToolkitText, BottomRightAnchorPutsTheMiddleNineLeftOfThePoint)
{
    QPixmap canvas(200, 60);
    canvas.fill(Qt::white);
    Tools::drawStringInPixmapFromBottomRight(canvas, QStringLiteral("1234"), Qt::black,
                                             CardFonts::fieldFamily(), 9, 30.0, 10.0);
    const QImage image = canvas.toImage();
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
    ASSERT_GE(right, 0);
    const qreal anchor = 30.0 * 96.0 / 25.4;
    EXPECT_NEAR((left + right) / 2.0, anchor - 9, 2.5);
}

TEST(ToolkitText, FromTopPutsTheBaselineOneFontHeightBelow)
{
    // A full-height glyph drawn from the top at y = 0 mm ends near 12 px (9 pt).
    QPixmap canvas(100, 60);
    canvas.fill(Qt::white);
    Tools::drawStringInPixmapFromTop(canvas, QStringLiteral("H"), Qt::black,
                                     CardFonts::fieldFamily(), 9, 2.0, 0.0, 20.0);
    const QImage image = canvas.toImage();
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                bottom = y;
    EXPECT_NEAR(bottom, 12 + 20 - 1, 1);
}

TEST(ToolkitText, DrawingOnANullPixmapDoesNothing)
{
    QPixmap none;
    EXPECT_TRUE(Tools::drawStringInPixmapFromBottom(none, QStringLiteral("x"), Qt::black,
                                                    CardFonts::fieldFamily(), 9, 1.0, 1.0));
    EXPECT_TRUE(none.isNull());
}

TEST(ToolkitWrap, WidthUnitWrapOfTheAddressCases)
{
    QString chinese22 = repeated(QStringLiteral("中"), 22);
    EXPECT_EQ(Tools::autoWrapEx(chinese22),
              QStringList({repeated("中", 11), repeated("中", 11), QString()}));
    QString digits21 = repeated("1", 21);
    EXPECT_EQ(Tools::autoWrapEx(digits21), QStringList({digits21}));
    QString digits25 = repeated("1", 25);
    EXPECT_EQ(Tools::autoWrapEx(digits25), QStringList({repeated("1", 21), repeated("1", 4)}));
    QString mixed = repeated("中", 10) + "123";
    EXPECT_EQ(Tools::autoWrapEx(mixed), QStringList({repeated("中", 10) + "1", "23"}));
    // 10 units and then a Chinese character reach 11 exactly.
    QString tenThenChinese = repeated("1", 20) + "中中";
    EXPECT_EQ(Tools::autoWrapEx(tenThenChinese), QStringList({repeated("1", 20) + "中", "中"}));
    QString empty;
    EXPECT_EQ(Tools::autoWrapEx(empty), QStringList({QString()}));
    EXPECT_EQ(chinese22.size(), 22);  // the argument is left as it was
}

TEST(ToolkitWrap, FixedCountWrap)
{
    QString text22 = repeated("a", 22);
    EXPECT_EQ(Tools::autoWrap(text22, 11), QStringList({repeated("a", 11), repeated("a", 11)}));
    QString text23 = repeated("a", 23);
    EXPECT_EQ(Tools::autoWrap(text23, 11).size(), 3);
    QString empty;
    EXPECT_EQ(Tools::autoWrap(empty, 11), QStringList({QString()}));
    QString name25 = repeated("N", 25);
    EXPECT_EQ(Tools::autoWrap(name25, 25).size(), 1);
    QString name26 = repeated("N", 26);
    EXPECT_EQ(Tools::autoWrap(name26, 25), QStringList({name25, "N"}));
    // A count that could never shorten the text must not loop forever.
    QString text3 = "abc";
    EXPECT_EQ(Tools::autoWrap(text3, 0), QStringList({"a", "b", "c"}));
}

TEST(ToolkitWrap, ChineseCharacterRangeEnds)
{
    EXPECT_TRUE(Tools::isChineseCharacter(QChar(0x3400)));
    EXPECT_TRUE(Tools::isChineseCharacter(QChar(0x4DBF)));
    EXPECT_TRUE(Tools::isChineseCharacter(QChar(0x4E00)));
    EXPECT_TRUE(Tools::isChineseCharacter(QChar(0x9FFF)));
    EXPECT_FALSE(Tools::isChineseCharacter(QChar(0x4DC0)));
    EXPECT_FALSE(Tools::isChineseCharacter(QChar(0x33FF)));
    EXPECT_FALSE(Tools::isChineseCharacter(QChar(0xA000)));
    EXPECT_FALSE(Tools::isChineseCharacter(QChar('1')));
}

TEST(ToolkitPhoto, OnlyExactWhitesBecomeTransparent)
{
    QImage photo(4, 1, QImage::Format_RGB32);
    photo.setPixel(0, 0, qRgb(255, 255, 255));
    photo.setPixel(1, 0, qRgb(254, 254, 254));
    photo.setPixel(2, 0, qRgb(253, 253, 253));
    photo.setPixel(3, 0, qRgb(255, 255, 254));
    const QPixmap source = QPixmap::fromImage(photo);
    const QImage result =
        Tools::convertHeadImgCNBgToTransparent(source).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(result.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(result.pixel(1, 0)), 0);
    EXPECT_EQ(result.pixel(2, 0), qRgba(253, 253, 253, 255));
    EXPECT_EQ(result.pixel(3, 0), qRgba(255, 255, 254, 255));
    // The argument is not changed.
    EXPECT_EQ(source.toImage().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_TRUE(Tools::convertHeadImgCNBgToTransparent(QPixmap()).isNull());
}

TEST(ToolkitPhoto, PasteInMillimetresLandsAtTheScaledPoint)
{
    QPixmap base(120, 60);
    base.fill(Qt::white);
    QPixmap dot(2, 2);
    dot.fill(Qt::red);
    EXPECT_TRUE(Tools::drawSubPixmapEx(base, dot, 25.4, 12.7));
    const QImage image = base.toImage();
    EXPECT_EQ(image.pixel(96, 48), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(95, 47), qRgb(255, 255, 255));
    QPixmap none;
    EXPECT_FALSE(Tools::drawSubPixmap(base, none, 0, 0));
}

TEST(ToolkitFiles, LoadingMeasuringAndEncoding)
{
    EXPECT_EQ(Tools::getBmpSize(":/Pics/IDCardFront.bmp"), QSize(400, 254));
    EXPECT_EQ(Tools::getBmpSize("/nonexistent/missing.bmp"), QSize(-1, -1));

    QPixmap picture(30, 20);
    picture.fill(Qt::blue);
    const QString base64 = Tools::convertPixmapToBase64ViaJpg(picture);
    ASSERT_FALSE(base64.isEmpty());
    EXPECT_FALSE(base64.contains('\n'));
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(QByteArray::fromBase64(base64.toLatin1()), "JPG"));
    EXPECT_EQ(decoded.size(), QSize(30, 20));
}

TEST(ToolkitFiles, FailuresAreLogged)
{
    LogTail log;
    EXPECT_TRUE(Tools::bmpFileToPixmap(":/Pics/missing.bmp").isNull());
    EXPECT_TRUE(Tools::convertPixmapToBase64ViaJpg(QPixmap()).isEmpty());
    const QStringList lines = log.messages();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("[tools.cpp(")) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[0].endsWith("<bmpFileToPixmap>] cannot load image!")) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[1].endsWith("<convertPixmapToBase64ViaJpg>] image data invalid!"))
        << qPrintable(lines[1]);
}
