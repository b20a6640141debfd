// SPDX-License-Identifier: Apache-2.0
// The demo's conversion of the library's face text into a picture.
#include "tools.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QByteArray jpegBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 10));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

}  // namespace

TEST(Base64ToJpg, DecodesJpegText)
{
    const QString text = QString::fromLatin1(jpegBytes(428, 270).toBase64());
    const QPixmap picture = Tools::base64ToJpg(text);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(428, 270));
    const QColor centre = picture.toImage().pixelColor(214, 135);
    EXPECT_NEAR(centre.green(), 200, 6);
    EXPECT_NEAR(centre.red(), 10, 6);
}

// Characters outside the base64 alphabet (line breaks, blanks) are skipped.
TEST(Base64ToJpg, SkipsLineBreaks)
{
    QString text = QString::fromLatin1(jpegBytes(64, 32).toBase64());
    for (int pos = 76; pos < text.size(); pos += 77)
        text.insert(pos, QLatin1Char('\n'));
    text.prepend(QStringLiteral(" \r\n"));
    const QPixmap picture = Tools::base64ToJpg(text);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(64, 32));
}

TEST(Base64ToJpg, NoJpegGivesNullPicture)
{
    EXPECT_TRUE(Tools::base64ToJpg(QString()).isNull());
    EXPECT_TRUE(Tools::base64ToJpg(QStringLiteral("!!!! 证件 ????")).isNull());
    // Valid base64 of something else than a JPEG.
    EXPECT_TRUE(Tools::base64ToJpg(QString::fromLatin1(QByteArray("BM not a picture").toBase64())).isNull());
    // A JPEG cut off after its first part.
    const QByteArray cut = jpegBytes(428, 270).left(20);
    EXPECT_TRUE(Tools::base64ToJpg(QString::fromLatin1(cut.toBase64())).isNull());
}
