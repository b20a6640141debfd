// SPDX-License-Identifier: Apache-2.0
// Colour conversion and the raster writers: background, seam softening, grey.
#include "Color.h"
#include "CpuFeatures.h"
#include "MemManage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> g_written;

int Capture(void* source, int size, int num)
{
    const auto* bytes = static_cast<const uint8_t*>(source);
    g_written.insert(g_written.end(), bytes, bytes + static_cast<size_t>(size) * num);
    return size * num;
}

// A small picture: image 6 x 5 in an 8 x 8 sample plane.
class Writer : public ::testing::Test {
protected:
    void SetUp() override
    {
        info_.image_width = 6;
        info_.image_height = 5;
        info_.sample_width = 8;
        info_.sample_height = 8;
        info_.color_number = 3;
        info_.Write = Capture;
        Init_Color(&info_);
        info_.SMask = reinterpret_cast<int**>(MallocBuf(8, 8, 32));
        g_written.clear();
    }
    void TearDown() override
    {
        Term_Color(&info_);
        FreeBuf(reinterpret_cast<void**>(info_.SMask));
    }
    void SetYuv(int r, int c, int y, int u, int v)
    {
        info_.color[0]->A[r][c] = y;
        info_.color[1]->A[r][c] = u;
        info_.color[2]->A[r][c] = v;
    }
    void FillYuv(int y, int u, int v)
    {
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c)
                SetYuv(r, c, y, u, v);
    }
    std::vector<int> Pixel(int r, int c) const
    {
        const size_t at = (static_cast<size_t>(r) * info_.image_width + c) * 3;
        return {g_written[at], g_written[at + 1], g_written[at + 2]};
    }

    common_struct info_ = {};
};

std::vector<int> Rgb(int y, int u, int v)
{
    int r, g, b;
    yuv2rgb(y, u, v, &r, &g, &b);
    return {r, g, b};
}

} // namespace

TEST(ColorConversion, ExampleTriplesTruncateThenClamp)
{
    EXPECT_EQ((std::vector<int>{128, 128, 128}), Rgb(128, 128, 128));
    EXPECT_EQ((std::vector<int>{255, 164, 255}), Rgb(255, 128, 255));
    EXPECT_EQ((std::vector<int>{0, 135, 0}), Rgb(0, 0, 0));
    // g = 150 + 9.63592 - 51.41808 = 108.21784; r = 250.944; b = 100.384
    EXPECT_EQ((std::vector<int>{250, 108, 100}), Rgb(150, 100, 200));
}

TEST(ColorConversion, EmergeWritesRedGreenBlue)
{
    const int y[2] = {150, 128}, u[2] = {100, 128}, v[2] = {200, 128};
    unsigned char row[6] = {};
    Emerge_Color(row, 2, y, u, v);
    EXPECT_EQ((std::vector<int>{250, 108, 100, 128, 128, 128}), std::vector<int>(row, row + 6));
}

TEST(ColorConversion, EmergeEqualsThePixelConversionForEveryTriple)
{
    // Rows of 259 pixels: the vector path and the leftover pixels both see every v.
    const int width = 259;
    std::vector<int> y(width), u(width), v(width);
    std::vector<unsigned char> row(3 * width);
    std::vector<decltype(&Emerge_Color)> forms = {Emerge_Color_Sse2};
    if (Has_Avx())
        forms.push_back(Emerge_Color_Avx);
    for (int yy = 0; yy < 256; ++yy) {
        for (int uu = 0; uu < 256; ++uu) {
            for (int x = 0; x < width; ++x) {
                y[x] = static_cast<UCHR>(yy);
                u[x] = static_cast<UCHR>(uu);
                v[x] = (x + yy) % 256;
            }
            for (auto* emerge : forms) {
                emerge(row.data(), width, y.data(), u.data(), v.data());
                for (int x = 0; x < width; ++x) {
                    int r, g, b;
                    yuv2rgb(y[x], u[x], v[x], &r, &g, &b);
                    if (row[3 * x] != r || row[3 * x + 1] != g || row[3 * x + 2] != b)
                        FAIL() << "y " << yy << " u " << uu << " v " << int(v[x]);
                }
            }
        }
    }
}

TEST_F(Writer, FlatBackgroundIsTheMeanColourAndOnlyInteriorNeighboursSoften)
{
    FillYuv(128, 128, 128);
    info_.clrmean = PIXEL{10, 20, 30};
    info_.SMask[1][1] = 1;
    Write_Color_Raw(&info_);
    ASSERT_EQ(6u * 5 * 3, g_written.size());
    EXPECT_EQ((std::vector<int>{128, 128, 128}), Pixel(1, 1));
    // Image edges touch the object but are never softened.
    for (auto rc : {std::make_pair(0, 0), std::make_pair(0, 2), std::make_pair(2, 0)})
        EXPECT_EQ((std::vector<int>{10, 20, 30}), Pixel(rc.first, rc.second));
    // In place, row by row: (1,2) first, then (2,1) sees the softened (1,2).
    EXPECT_EQ((std::vector<int>{23, 32, 40}), Pixel(1, 2));
    EXPECT_EQ((std::vector<int>{24, 33, 42}), Pixel(2, 1));
    EXPECT_EQ((std::vector<int>{26, 34, 43}), Pixel(2, 2));
    // Not next to the object: exactly the mean colour.
    EXPECT_EQ((std::vector<int>{10, 20, 30}), Pixel(1, 3));
    EXPECT_EQ((std::vector<int>{10, 20, 30}), Pixel(3, 3));
}

TEST_F(Writer, FullMaskLeavesOnlyTheConvertedPlanes)
{
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 6; ++c) {
            info_.SMask[r][c] = 1;
            SetYuv(r, c, 40 * r, 255 - 30 * c, 20 * (r + c));
        }
    info_.clrmean = PIXEL{1, 2, 3};
    Write_Color_Raw(&info_);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(Rgb(40 * r, 255 - 30 * c, 20 * (r + c)), Pixel(r, c)) << r << "," << c;
}

TEST_F(Writer, GradientBackgroundSkipsCornersAtTheOrigin)
{
    FillYuv(0, 0, 0);
    info_.back = 1;
    // Corner 0 at (0, 0) is left out; the rest spans columns 1..4, rows 0..4.
    info_.points[0] = VERTEX{0, 0, PIXEL{255, 255, 255}};
    info_.points[1] = VERTEX{4, 0, PIXEL{40, 0, 0}};
    info_.points[2] = VERTEX{4, 4, PIXEL{40, 0, 0}};
    info_.points[3] = VERTEX{1, 0, PIXEL{10, 0, 0}};
    Write_Color_Raw(&info_);
    // Triangle (4,0) (4,4) (1,0): the left edge moves 0.75 a row and its red
    // rises 7.5 a row; every span then changes by 10 a pixel, carried on past
    // the edges. Rows 0 and 4 repeat rows 1 and 3.
    const int expected[3][6] = {{7, 17, 27, 37, 40, 50}, {5, 15, 25, 35, 40, 50},
                                {2, 12, 22, 32, 40, 50}};
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(expected[i][c], Pixel(2 * i, c)[0]) << "row " << 2 * i << " col " << c;
}

// Pixels beyond 0..255 (the synthesis does not clamp) are clamped before
// the conversion, in the vector forms and in the leftover pixels alike.
TEST_F(Writer, PixelsAreClampedBeforeConversion)
{
    const int values[6] = {0x1FF, -7, 77, 300, -100000, 255};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 6; ++c) {
            info_.SMask[r][c] = 1;
            SetYuv(r, c, values[(r + c) % 6], values[(r + 2 * c) % 6], values[(2 * r + c) % 6]);
        }
    Write_Color_Raw(&info_);
    auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(Rgb(clamp(values[(r + c) % 6]), clamp(values[(r + 2 * c) % 6]), clamp(values[(2 * r + c) % 6])),
                      Pixel(r, c))
                << r << "," << c;
}

TEST(GreyWriter, EachClampedGreyBecomesAGreyPixel)
{
    common_struct info = {};
    info.image_width = 3;
    info.image_height = 2;
    info.sample_width = 4;
    info.sample_height = 2;
    info.color_number = 1;
    info.Write = Capture;
    Init_Color(&info);
    EXPECT_EQ(nullptr, info.color[1]);
    info.color[0]->A[0][0] = 7;
    info.color[0]->A[0][1] = -5;
    info.color[0]->A[0][2] = 0x102;
    info.color[0]->A[1][1] = 255;
    info.color[0]->A[1][3] = 99;  // beyond the image width
    g_written.clear();
    Init_Write_Raw(&info);
    info.write_raw(&info);
    EXPECT_EQ((std::vector<uint8_t>{7, 7, 7, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0}),
              g_written);
    Term_Color(&info);
}
