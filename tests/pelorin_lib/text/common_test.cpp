// SPDX-License-Identifier: Apache-2.0
#include <pelorin/common.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <gtest/gtest.h>

#include "qt_message_capture.h"
#include "utf16.h"

#include <string>
#include <vector>

namespace {

// Little-endian UCS-2 bytes of a text, padded with zero units to fieldBytes.
std::vector<unsigned char> ucs2Field(const std::u16string& text, size_t fieldBytes)
{
    std::vector<unsigned char> field(fieldBytes, 0);
    cardproto::writeCharacters(field.data(), fieldBytes / 2, text, 0);
    return field;
}

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(Unicode2Utf8Str, ConvertsCardTextFields)
{
    unsigned char gender[] = {0x37, 0x75, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(CCommon::unicode2Utf8Str(gender, sizeof gender), "\xe7\x94\xb7");  // 男

    auto date = ucs2Field(u"19900102", 16);
    EXPECT_EQ(CCommon::unicode2Utf8Str(date.data(), date.size()), "19900102");

    // A field filled to its last byte has no terminating zero unit.
    auto name = ucs2Field(u"欧阳娜娜张三李四王五赵六钱", 30);
    EXPECT_EQ(CCommon::unicode2Utf8Str(name.data(), name.size()), "欧阳娜娜张三李四王五赵六钱");

    auto spaced = ucs2Field(u" A B  ", 16);
    EXPECT_EQ(CCommon::unicode2Utf8Str(spaced.data(), spaced.size()), " A B  ");
}

TEST(Unicode2Utf8Str, StopsAtZeroUnitOrOddByteOrCount)
{
    auto field = ucs2Field(u"AB", 16);
    field[6] = 'C';  // text after the zero unit is not part of the field's text
    EXPECT_EQ(CCommon::unicode2Utf8Str(field.data(), field.size()), "AB");

    auto digits = ucs2Field(u"1234", 8);
    EXPECT_EQ(CCommon::unicode2Utf8Str(digits.data(), 7), "123");  // odd last byte ignored
    EXPECT_EQ(CCommon::unicode2Utf8Str(digits.data(), 4), "12");
    EXPECT_EQ(CCommon::unicode2Utf8Str(digits.data(), 0), "");
}

TEST(Unicode2Utf8Str, FieldsLongerThan120BytesAreCut)
{
    // 400 bytes of 'A' units without any zero: only the first 60 units count,
    // and nothing beyond the 61-unit work area is written (ASan build checks).
    auto longField = ucs2Field(std::u16string(200, u'A'), 400);
    EXPECT_EQ(CCommon::unicode2Utf8Str(longField.data(), longField.size()), std::string(60, 'A'));
    EXPECT_EQ(CCommon::unicode2Utf8Str(longField.data(), 121), std::string(60, 'A'));
    EXPECT_EQ(CCommon::unicode2Utf8Str(longField.data(), 120), std::string(60, 'A'));
    EXPECT_EQ(CCommon::unicode2Utf8Str(longField.data(), 118), std::string(59, 'A'));
}

TEST(Unicode2Utf8Str, BrokenSurrogatesStillGiveValidUtf8)
{
    unsigned char units[] = {0x00, 0xD8, 0x41, 0x00, 0x00, 0xDC, 0x3D, 0xD8, 0x00, 0xDE};
    const std::string text = CCommon::unicode2Utf8Str(units, sizeof units);
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(text.data(), static_cast<int>(text.size()), &state);
    EXPECT_EQ(state.invalidChars, 0);
    EXPECT_NE(text.find('A'), std::string::npos);
}

TEST(Uchar2Wchar, WidensUnitsAndTerminates)
{
    unsigned char bytes[] = {0x41, 0x00, 0x37, 0x75, 0xff};
    wchar_t wide[4] = {L'x', L'x', L'x', L'x'};
    CCommon::uchar2wchar(bytes, sizeof bytes, wide);
    EXPECT_EQ(wide[0], L'A');
    EXPECT_EQ(wide[1], static_cast<wchar_t>(0x7537));
    EXPECT_EQ(wide[2], 0);
    EXPECT_EQ(wide[3], L'x');
}

TEST(IconvEx, ConvertsUtf16ToUtf8)
{
    char utf16[] = {0x37, 0x75, 'A', 0x00};  // 男A, little-endian
    char out[16] = {};
    CCommon::iconv_ex("UTF-16LE", utf16, sizeof utf16, "UTF-8", out, sizeof out - 1);
    EXPECT_STREQ(out, "\xe7\x94\xb7" "A");
}

TEST(IconvEx, LeavesOutputAloneForUnknownSetsAndBadSizes)
{
    char in[] = {'A', 0x00};
    char out[8] = {'k', 'e', 'e', 'p', 0};
    CCommon::iconv_ex("NO-SUCH-CHARSET", in, sizeof in, "UTF-8", out, sizeof out);
    EXPECT_STREQ(out, "keep");
    CCommon::iconv_ex("UTF-16LE", in, -5, "UTF-8", out, sizeof out);
    EXPECT_STREQ(out, "keep");
    CCommon::iconv_ex("UTF-16LE", in, sizeof in, "UTF-8", out, -1);
    EXPECT_STREQ(out, "keep");
}

TEST(IconvEx, OutputTooSmallKeepsWhatFits)
{
    char utf16[] = {0x37, 0x75, 0x37, 0x75};  // 男男: 6 bytes of UTF-8
    char out[8] = {};
    CCommon::iconv_ex("UTF-16LE", utf16, sizeof utf16, "UTF-8", out, 4);
    EXPECT_STREQ(out, "\xe7\x94\xb7");
}

class Bgr2BmpTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 102, kHeight = 126, kStride = 308;
    void SetUp() override
    {
        src.resize(3 * kWidth * kHeight);
        for (size_t i = 0; i < src.size(); ++i)
            src[i] = static_cast<unsigned char>(i * 7 + 1);
        dst.assign(kStride * kHeight + 16, 0xAA);
    }
    std::vector<unsigned char> src, dst;
};

TEST_F(Bgr2BmpTest, SwapsRedAndBlueAndPadsRows)
{
    int dstSize = kStride * kHeight;
    ASSERT_EQ(CCommon::Bgr2Bmp(dst.data(), dstSize, src.data(), 38556, kWidth, kHeight), 0);
    EXPECT_EQ(dstSize, 38808);
    for (int row = 0; row < kHeight; ++row) {
        const unsigned char* out = &dst[row * kStride];
        const unsigned char* in = &src[row * 3 * kWidth];
        for (int px = 0; px < kWidth; ++px) {
            ASSERT_EQ(out[3 * px], in[3 * px + 2]) << row << "," << px;
            ASSERT_EQ(out[3 * px + 1], in[3 * px + 1]) << row << "," << px;
            ASSERT_EQ(out[3 * px + 2], in[3 * px]) << row << "," << px;
        }
        EXPECT_EQ(out[306], 0) << row;
        EXPECT_EQ(out[307], 0) << row;
    }
    EXPECT_EQ(dst[38808], 0xAA);  // nothing written past dst_size
}

TEST_F(Bgr2BmpTest, LargerBufferIsZeroedAndSizeReportsRowsOnly)
{
    int dstSize = static_cast<int>(dst.size());
    ASSERT_EQ(CCommon::Bgr2Bmp(dst.data(), dstSize, src.data(), 38556, kWidth, kHeight), 0);
    EXPECT_EQ(dstSize, 38808);
    for (size_t i = 38808; i < dst.size(); ++i)
        EXPECT_EQ(dst[i], 0) << i;
}

TEST_F(Bgr2BmpTest, SizeMismatchesWriteNothing)
{
    int dstSize = 38808;
    EXPECT_EQ(CCommon::Bgr2Bmp(dst.data(), dstSize, src.data(), 38555, kWidth, kHeight), -1);
    EXPECT_EQ(dstSize, 38808);
    dstSize = 38807;
    EXPECT_EQ(CCommon::Bgr2Bmp(dst.data(), dstSize, src.data(), 38556, kWidth, kHeight), -2);
    EXPECT_EQ(dstSize, 38807);
    for (unsigned char b : dst)
        ASSERT_EQ(b, 0xAA);
}

TEST_F(Bgr2BmpTest, HostileDimensionsAreRejected)
{
    int dstSize = 38808;
    EXPECT_EQ(CCommon::Bgr2Bmp(dst.data(), dstSize, src.data(), 3, -1, -1), -1);
    EXPECT_EQ(CCommon::Bgr2Bmp(dst.data(), dstSize, src.data(), 0, 0, 5), -1);
    // 3 * 0x55555556 wraps to 2 in 32 bits.
    EXPECT_EQ(CCommon::Bgr2Bmp(dst.data(), dstSize, src.data(), 2, 0x55555556, 1), -1);
    EXPECT_EQ(dstSize, 38808);
    for (unsigned char b : dst)
        ASSERT_EQ(b, 0xAA);
}

TEST(Bgr2Bmp, StrideRoundsRowsUpToFourBytes)
{
    const unsigned char src[] = {1, 2, 3, 4, 5, 6};  // 1 x 2 raster
    unsigned char dst[8];
    int dstSize = sizeof dst;
    ASSERT_EQ(CCommon::Bgr2Bmp(dst, dstSize, src, 6, 1, 2), 0);
    EXPECT_EQ(dstSize, 8);
    const unsigned char expected[] = {3, 2, 1, 0, 6, 5, 4, 0};
    EXPECT_EQ(std::vector<unsigned char>(dst, dst + 8), std::vector<unsigned char>(expected, expected + 8));
}

TEST(Trim, RemovesOnlyOuterSpacesAndTabs)
{
    EXPECT_EQ(CCommon::trim(" \tab\t "), "ab");
    EXPECT_EQ(CCommon::trim(" \t \t"), "");
    EXPECT_EQ(CCommon::trim(""), "");
    EXPECT_EQ(CCommon::trim("a \t b"), "a \t b");
    EXPECT_EQ(CCommon::trim("\nab\n"), "\nab\n");
    EXPECT_EQ(CCommon::trim("x"), "x");
}

TEST(SaveByteDataToFile, WritesAndTruncates)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath("out.bin");
    {
        QFile old(fileName);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100, 'z'));
    }
    uint8_t bytes[] = {0, 1, 2, 0xff, 0};
    QtMessageCapture messages;
    CCommon::saveByteDataToFile(bytes, sizeof bytes, fileName);
    EXPECT_EQ(readAll(fileName), QByteArray("\x00\x01\x02\xff\x00", 5));
    ASSERT_EQ(messages.lines().size(), 1u);
    EXPECT_EQ(messages.lines()[0], "Successfully wrote 5 bytes to the file.");
}

TEST(SaveByteDataToFile, ReportsFailuresInsteadOfSuccess)
{
    uint8_t bytes[] = {1, 2, 3};
    QtMessageCapture messages;
    CCommon::saveByteDataToFile(bytes, sizeof bytes, "/nonexistent-dir/out.bin");
    ASSERT_EQ(messages.lines().size(), 1u);
    EXPECT_EQ(messages.lines()[0], "Failed to open the file for writing.");

    messages.clear();
    CCommon::saveByteDataToFile(bytes, sizeof bytes, "/dev/full");
    ASSERT_EQ(messages.lines().size(), 1u);
    EXPECT_TRUE(messages.lines()[0].startsWith("wrote ")) << messages.lines()[0].toStdString();
    EXPECT_TRUE(messages.lines()[0].contains("want to write  3 bytes")) << messages.lines()[0].toStdString();
}

TEST(SaveByteDataToFile, NegativeLengthWritesNothing)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath("out.bin");
    uint8_t bytes[] = {'a', 'b', 0};
    QtMessageCapture messages;
    CCommon::saveByteDataToFile(bytes, -1, fileName);
    EXPECT_FALSE(QFile::exists(fileName));
}

TEST(FileOperations, RenameExistRemove)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a"), b = dir.filePath("b");
    EXPECT_FALSE(CCommon::fileExist(a));
    EXPECT_FALSE(CCommon::fileRemove(a));
    {
        QFile file(a);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(CCommon::fileExist(a));
    EXPECT_TRUE(CCommon::fileRename(a, b));
    EXPECT_FALSE(CCommon::fileExist(a));
    EXPECT_TRUE(CCommon::fileExist(b));

    QtMessageCapture messages;
    EXPECT_FALSE(CCommon::fileRename(a, dir.filePath("c")));
    ASSERT_EQ(messages.lines().size(), 1u);
    EXPECT_EQ(messages.lines()[0], "rename fail!");

    EXPECT_TRUE(CCommon::fileRemove(b));
    EXPECT_FALSE(CCommon::fileExist(b));
}
