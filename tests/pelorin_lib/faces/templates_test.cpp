// SPDX-License-Identifier: Apache-2.0
// Embedded templates and the fonts the faces are drawn with.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QRawFont>
#include <QResource>
#include <QtEndian>

#include "card_fonts.h"

namespace {

struct TemplateSpec {
    const char* path;
    int width;
    int height;
    int bitsPerPixel;
    qint64 fileSize;
};

const TemplateSpec kTemplates[] = {
    {":/Pics/IDCardFront.bmp", 400, 254, 32, 406454}, {":/Pics/IDCardBack.bmp", 400, 254, 32, 406454},
    {":/Pics/hmt_front.bmp", 494, 312, 24, 463062},   {":/Pics/hm_back.bmp", 494, 312, 24, 463062},
    {":/Pics/tw_back.bmp", 494, 312, 24, 463062},     {":/Pics/fnew_front.bmp", 494, 312, 24, 463062},
    {":/Pics/fnew_back.bmp", 494, 312, 24, 463062},   {":/Pics/f2017_front.bmp", 494, 312, 24, 463062},
    {":/Pics/f2017_back.bmp", 494, 312, 24, 463062},
};

quint32 le32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 le16(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

}  // namespace

TEST(Templates, NineBitmapsWithExactHeadersStoredUncompressed)
{
    for (const TemplateSpec& spec : kTemplates) {
        SCOPED_TRACE(spec.path);
        QResource resource(spec.path);
        ASSERT_TRUE(resource.isValid());
        EXPECT_EQ(resource.compressionAlgorithm(), QResource::NoCompression);
        QFile file(spec.path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_EQ(bytes.size(), spec.fileSize);
        EXPECT_EQ(bytes.left(2), QByteArray("BM"));
        EXPECT_EQ(le32(bytes, 2), quint32(spec.fileSize));
        EXPECT_EQ(le32(bytes, 10), 54u);
        EXPECT_EQ(le32(bytes, 14), 40u);
        EXPECT_EQ(int(le32(bytes, 18)), spec.width);
        EXPECT_EQ(int(le32(bytes, 22)), spec.height);  // positive: bottom-up rows
        EXPECT_EQ(le16(bytes, 26), 1);
        EXPECT_EQ(le16(bytes, 28), spec.bitsPerPixel);
        EXPECT_EQ(le32(bytes, 30), 0u);
        if (spec.bitsPerPixel == 32) {
            int opaque = 0;
            for (int at = 54 + 3; at < bytes.size(); at += 4)
                opaque += static_cast<unsigned char>(bytes[at]) == 255;
            EXPECT_EQ(opaque, spec.width * spec.height);
        }
        const QImage image(spec.path);
        EXPECT_EQ(image.size(), QSize(spec.width, spec.height));
    }
}

TEST(Templates, CardCornersAreRoundOnALightMargin)
{
    const QImage image(":/Pics/hmt_front.bmp");
    // The corner pixel is margin, a little further in along the diagonal is card.
    EXPECT_GT(qGray(image.pixel(0, 0)), 235);
    EXPECT_EQ(image.pixel(1, 1), image.pixel(image.width() - 2, image.height() - 2));
    EXPECT_NE(image.pixel(2, 2), image.pixel(20, 20));
}

TEST(Templates, IconIsA72PixelRgbaPng)
{
    QImageReader reader(":/Pics/icon.png");
    EXPECT_EQ(reader.format(), QByteArray("png"));
    const QImage icon = reader.read();
    EXPECT_EQ(icon.size(), QSize(72, 72));
    EXPECT_TRUE(icon.hasAlphaChannel());
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
}

TEST(Templates, BothCardFontNamesDrawChinese)
{
    for (const QString& family : {CardFonts::fieldFamily(), CardFonts::numberFamily()}) {
        SCOPED_TRACE(family.toStdString());
        QFont font(family);
        font.setPixelSize(12);
        const QFontInfo info(font);
        EXPECT_EQ(info.family(), CardFonts::standInFamily());
        const QString sample = QStringLiteral("姓名公民身份号码");
        for (const QChar ch : sample)
            EXPECT_TRUE(QFontMetrics(font).inFont(ch));
        EXPECT_TRUE(QRawFont::fromFont(font).supportsCharacter(QChar(0x8EAB)));
    }
}
