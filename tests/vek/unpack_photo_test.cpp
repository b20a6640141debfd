// SPDX-License-Identifier: Apache-2.0
// Whole photos through the shipped library: payloads made by the encoders
// decode to the expected raster, bottom row first, red-green-blue, and not a
// byte beyond it.
#include "Memory.h"
#include "SegmentSizes.h"
#include "ZeroTreeEncoder.h"
#include "sa_idwt.h"
#include "vek_test_support.h"

#include <random>

namespace {

const uint8_t GUARD = 0x5C;
const int ROW = IMAGE_WIDTH * 3;

std::vector<uint8_t> g_raster;

int CaptureRaster(void* source, int size, int num)
{
    const auto* bytes = static_cast<const uint8_t*>(source);
    g_raster.insert(g_raster.end(), bytes, bytes + static_cast<size_t>(size) * num);
    return size * num;
}

struct Photo {
    Bytes payload;
    int width = 0, height = 0;  // sample size
    std::vector<int> fmask;
    std::vector<std::vector<int>> coeff;  // Y, U, V
};

Bytes Assemble(const MaskContent* mask, int level, const std::vector<Bytes>& segments, int slack,
               int colours = 3)
{
    PayloadContent content;
    content.config = Config_Byte(colours, mask ? 1 : 0, level);
    if (mask)
        content.mask_segment = Encode_Mask_Segment(*mask);
    std::vector<size_t> sizes;
    for (const Bytes& s : segments)
        sizes.push_back(s.size() + slack);
    content.object_length = Object_Length_For(sizes.empty() ? std::vector<size_t>{2, 2, 2} : sizes);
    content.colour_segments = segments;
    const size_t used = 1 + (mask ? 4 + content.mask_segment.size() : 0) + 4;
    int n[3];
    Colour_Segment_Sizes(content.object_length, n);
    EXPECT_LE(used + n[0] + n[1] + n[2], 1014u) << "photo does not fit the payload";
    return Build_Payload(content);
}

// The shape in the wavelet domain, as the decoder will derive it.
void ShapeOf(const MaskContent* mask, int level, Photo& photo)
{
    DecodeRecord rec(Assemble(mask, level, {}, 0));
    DMask(rec.info);
    FormFMask(rec.info);
    photo.width = rec.info->sample_width;
    photo.height = rec.info->sample_height;
    photo.fmask.clear();
    for (int r = 0; r < photo.height; ++r)
        for (int c = 0; c < photo.width; ++c)
            photo.fmask.push_back(rec.info->FMask[r][c]);
}

bool InLowBand(const Photo& p, int level, int i)
{
    return i / p.width < (p.height >> level) && i % p.width < (p.width >> level);
}

// Low band at dc for each colour, plus (for Y) scattered detail coefficients.
Photo MakePhoto(const MaskContent* mask, int level, const int dc[3], int details, unsigned seed)
{
    Photo photo;
    ShapeOf(mask, level, photo);
    std::mt19937 rng(seed);
    std::vector<Bytes> segments;
    for (int k = 0; k < 3; ++k) {
        std::vector<int> coeff(photo.fmask.size(), 0);
        for (size_t i = 0; i < coeff.size(); ++i)
            if (photo.fmask[i] == 1 && InLowBand(photo, level, static_cast<int>(i)))
                coeff[i] = dc[k];
        for (int d = 0; k == 0 && d < details; ++d) {
            const size_t i = rng() % coeff.size();
            if (photo.fmask[i] == 1)
                coeff[i] = static_cast<int>(rng() % 121) - 60;
        }
        ZeroTreePlanes planes{photo.width, photo.height, level, coeff, photo.fmask};
        segments.push_back(Encode_Zero_Tree(planes).segment);
        photo.coeff.push_back(coeff);
    }
    photo.payload = Assemble(mask, level, segments, 8);
    return photo;
}

// The raster the stages make from the encoder's coefficients, bottom row first.
std::vector<uint8_t> StagesOf(const Photo& photo)
{
    DecodeRecord rec(photo.payload);
    DMask(rec.info);
    FormFMask(rec.info);
    for (int k = 0; k < 3; ++k) {
        color_ptr color = rec.info->color[k];
        for (int r = 0; r < photo.height; ++r)
            for (int c = 0; c < photo.width; ++c)
                color->A[r][c] = photo.coeff[k][r * photo.width + c];
        Active_Color(rec.info, color);
        DWavelet(rec.info);
    }
    g_raster.clear();
    rec.info->Write = CaptureRaster;
    rec.info->write_raw(rec.info);
    std::vector<uint8_t> flipped;
    for (int r = IMAGE_HEIGHT - 1; r >= 0; --r)
        flipped.insert(flipped.end(), g_raster.begin() + r * ROW, g_raster.begin() + (r + 1) * ROW);
    return flipped;
}

struct Decoded {
    int result = 0;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(RASTER_SIZE + 128, GUARD);
    std::vector<uint8_t> raster() const
    {
        return std::vector<uint8_t>(bytes.begin(), bytes.begin() + RASTER_SIZE);
    }
    std::vector<int> Pixel(int dstRow, int c) const
    {
        const size_t at = static_cast<size_t>(dstRow) * ROW + 3 * c;
        return {bytes[at], bytes[at + 1], bytes[at + 2]};
    }
};

class PhotoDecode : public ::testing::Test {
protected:
    Decoded Unpack(Bytes payload)
    {
        Decoded out;
        out.result = lib_.unpack(reinterpret_cast<char*>(payload.data()),
                                 reinterpret_cast<char*>(out.bytes.data()), 0);
        for (size_t i = RASTER_SIZE; i < out.bytes.size(); ++i)
            EXPECT_EQ(GUARD, out.bytes[i]) << "written beyond the raster at " << i;
        return out;
    }
    VekLibrary lib_;
};

// Each one-dimensional synthesis step scales a flat low band by 0.7071.
int FlatAfterSynthesis(int dc, int level)
{
    int v = dc;
    for (int step = 0; step < 2 * level; ++step)
        v = Round(v * 0.7071);
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

std::vector<int> Rgb(int y, int u, int v)
{
    int r, g, b;
    yuv2rgb(y, u, v, &r, &g, &b);
    return {r, g, b};
}

MaskContour Rectangle(int x1, int y1, int x2, int y2)
{
    MaskContour contour{x1, y1, {}};
    contour.codes.insert(contour.codes.end(), x2 - x1, 0);
    contour.codes.insert(contour.codes.end(), y2 - y1, 2);
    contour.codes.insert(contour.codes.end(), x2 - x1, 4);
    contour.codes.insert(contour.codes.end(), y2 - y1, 6);
    return contour;
}

} // namespace

TEST_F(PhotoDecode, FlatPlanesWithoutMaskGiveOneColourEverywhere)
{
    const int dc[3] = {2400, 1600, 3200};
    const Photo photo = MakePhoto(nullptr, 4, dc, 0, 1);
    const Decoded out = Unpack(photo.payload);
    ASSERT_EQ(1, out.result);
    const std::vector<int> pixel =
        Rgb(FlatAfterSynthesis(dc[0], 4), FlatAfterSynthesis(dc[1], 4), FlatAfterSynthesis(dc[2], 4));
    EXPECT_EQ((std::vector<int>{150, 100, 200}),
              (std::vector<int>{FlatAfterSynthesis(dc[0], 4), FlatAfterSynthesis(dc[1], 4),
                                FlatAfterSynthesis(dc[2], 4)}));
    for (int r = 0; r < IMAGE_HEIGHT; ++r)
        for (int c = 0; c < IMAGE_WIDTH; ++c)
            ASSERT_EQ(pixel, out.Pixel(r, c)) << r << "," << c;
}

TEST_F(PhotoDecode, BottomRowComesFirstAndBackgroundIsTheMeanColour)
{
    MaskContent mask;
    mask.clrmean = PIXEL{10, 20, 30};
    mask.contours.push_back(Rectangle(0, 0, 101, 40));  // the top 41 rows
    const int dc[3] = {2400, 1600, 3200};
    const Photo photo = MakePhoto(&mask, 4, dc, 0, 2);
    const Decoded out = Unpack(photo.payload);
    ASSERT_EQ(1, out.result);
    const std::vector<int> object = {250, 108, 100};  // yuv2rgb(150, 100, 200)
    for (int c = 0; c < IMAGE_WIDTH; ++c) {
        EXPECT_EQ((std::vector<int>{10, 20, 30}), out.Pixel(0, c)) << c;  // image row 125
        EXPECT_EQ(object, out.Pixel(IMAGE_HEIGHT - 1, c)) << c;            // image row 0
    }
    EXPECT_EQ(StagesOf(photo), out.raster());
}

TEST_F(PhotoDecode, GradientBackgroundRunsFromTopCornersToBottomCorners)
{
    MaskContent mask;
    mask.back = 1;
    mask.points[0] = VERTEX{1, 0, PIXEL{200, 0, 50}};
    mask.points[1] = VERTEX{101, 0, PIXEL{200, 0, 50}};
    mask.points[2] = VERTEX{101, 125, PIXEL{0, 100, 50}};
    mask.points[3] = VERTEX{1, 125, PIXEL{0, 100, 50}};
    mask.contours.push_back(Rectangle(30, 10, 70, 50));
    const int dc[3] = {2048, 2048, 2048};
    const Photo photo = MakePhoto(&mask, 3, dc, 40, 3);
    const Decoded out = Unpack(photo.payload);
    ASSERT_EQ(1, out.result);
    EXPECT_EQ(StagesOf(photo), out.raster());
    // Down the left column the red falls and the green rises, row by row.
    for (int dstRow = 1; dstRow < IMAGE_HEIGHT; ++dstRow) {
        EXPECT_GE(out.Pixel(dstRow, 0)[0], out.Pixel(dstRow - 1, 0)[0]) << dstRow;
        EXPECT_LE(out.Pixel(dstRow, 0)[1], out.Pixel(dstRow - 1, 0)[1]) << dstRow;
        EXPECT_EQ(50, out.Pixel(dstRow, 0)[2]);
    }
    EXPECT_GT(out.Pixel(IMAGE_HEIGHT - 1, 0)[0], 190);
    EXPECT_LT(out.Pixel(0, 0)[0], 10);
}

TEST_F(PhotoDecode, SeveralMasksAndLevelsDecodeToTheStagesResult)
{
    MaskContent diamond;
    diamond.clrmean = PIXEL{90, 91, 92};
    MaskContour d{51, 20, {}};
    for (int code : {1, 3, 5, 7})
        d.codes.insert(d.codes.end(), 37, code);
    diamond.contours.push_back(d);
    MaskContent twoBoxes;
    twoBoxes.clrmean = PIXEL{0, 255, 0};
    twoBoxes.contours.push_back(Rectangle(3, 5, 40, 90));
    twoBoxes.contours.push_back(Rectangle(35, 60, 99, 120));
    const MaskContent* masks[3] = {nullptr, &diamond, &twoBoxes};
    for (int level = 1; level <= 5; ++level) {
        for (int m = 0; m < 3; ++m) {
            // U and V get small slots: at fine levels their big low bands stay empty.
            const int chroma = level < 3 ? 0 : 1;
            const int dc[3] = {300 << level / 2, chroma * 128 << level, chroma * 100 << level};
            const Photo photo = MakePhoto(masks[m], level, dc, 50, 10 * level + m);
            const Decoded out = Unpack(photo.payload);
            ASSERT_EQ(1, out.result) << "level " << level << " mask " << m;
            ASSERT_EQ(StagesOf(photo), out.raster()) << "level " << level << " mask " << m;
        }
    }
}

TEST_F(PhotoDecode, GreyPhotosBecomeGreyPixels)
{
    const int dc[3] = {2400, 0, 0};
    Photo photo = MakePhoto(nullptr, 4, dc, 0, 4);
    ZeroTreePlanes planes{photo.width, photo.height, 4, photo.coeff[0], photo.fmask};
    const Decoded out = Unpack(Assemble(nullptr, 4, {Encode_Zero_Tree(planes).segment}, 8, 1));
    ASSERT_EQ(1, out.result);
    for (int r = 0; r < IMAGE_HEIGHT; ++r)
        for (int c = 0; c < IMAGE_WIDTH; ++c)
            ASSERT_EQ((std::vector<int>{150, 150, 150}), out.Pixel(r, c)) << r << "," << c;
}

TEST_F(PhotoDecode, BitPlanesAbove30FailWithoutTouchingDst)
{
    const std::vector<Bytes> arbitrary = Arbitrary_Colour_Segments(9, 3);
    for (int k = 0; k < 3; ++k) {
        for (uint8_t plane : {31, 200, 255}) {
            std::vector<Bytes> segments = arbitrary;
            segments[k][0] = plane;
            const Decoded out = Unpack(Assemble(nullptr, 4, segments, 0));
            EXPECT_NE(1, out.result) << "colour " << k << " plane " << int(plane);
            EXPECT_EQ(std::vector<uint8_t>(RASTER_SIZE, GUARD), out.raster());
        }
    }
    // Plane 30 is the highest an int threshold holds: arbitrary code at that
    // plane gives huge coefficients, which must decode without overflow.
    std::vector<Bytes> segments = arbitrary;
    for (Bytes& s : segments)
        s[0] = 30;
    EXPECT_EQ(1, Unpack(Assemble(nullptr, 4, segments, 0)).result);
}

TEST_F(PhotoDecode, ObjectLengthsLeavingNoRoomForAColourFail)
{
    // From -7 down, the luma segment could not hold its bit plane byte and "o".
    for (int length : {-2000000000, -100, -7}) {
        PayloadContent content;
        content.config = Config_Byte(3, 0, 4);
        content.object_length = length;
        content.colour_segments = Arbitrary_Colour_Segments(2, 3);
        const Decoded out = Unpack(Build_Payload(content));
        EXPECT_NE(1, out.result) << length;
        EXPECT_EQ(std::vector<uint8_t>(RASTER_SIZE, GUARD), out.raster()) << length;
    }
    PayloadContent smallest;
    smallest.config = Config_Byte(3, 0, 4);
    smallest.object_length = -6;  // luma segment of 2 bytes: plane byte and "o"
    smallest.colour_segments = {{0, 'o'}, {0, 'o'}, {0, 'o'}};
    EXPECT_EQ(1, Unpack(Build_Payload(smallest)).result);
}
