// SPDX-License-Identifier: Apache-2.0
// Object mask: contours from the mask segment to SMask, background fields,
// and refusal of contours the decoder cannot hold.
#include <gtest/gtest.h>

#include "DecodeFault.h"
#include "Imagedata.h"
#include "QCoder.h"
#include "QMEncoder.h"
#include "dezw.h"
#include "trace.h"
#include "vek_test_support.h"
#include "workfield.h"

namespace {

MaskContour Square3x3(int x, int y)
{
    return MaskContour{x, y, {0, 0, 2, 2, 4, 4, 6, 6}};
}

int Inside(const DecodeRecord& rec, int r, int c) { return rec.info->SMask[r][c]; }

int CountInside(const DecodeRecord& rec)
{
    int n = 0;
    for (int r = 0; r < rec.info->sample_height; ++r)
        for (int c = 0; c < rec.info->sample_width; ++c)
            n += rec.info->SMask[r][c];
    return n;
}

TEST(Trace, SquareOutlineFillsNinePixels)
{
    trace_header t{};
    t.Lmax = TRACE_MAX_STEPS;
    t.x_init = 5;
    t.y_init = 7;
    const int codes[8] = {0, 0, 2, 2, 4, 4, 6, 6};
    t.stepnum = 8;
    for (int j = 0; j < 8; ++j)
        t.code[j] = (unsigned char)codes[j];
    trace_info(&t, 255);
    EXPECT_EQ(t.rect.x1, 5);
    EXPECT_EQ(t.rect.x2, 7);
    EXPECT_EQ(t.rect.y1, 7);
    EXPECT_EQ(t.rect.y2, 9);
    EXPECT_EQ(t.rect.area, 9);
    end_trace_info(&t);
}

TEST(Trace, ConcaveOutlineLeavesTheNotchOpen)
{
    // A 5 x 3 block with a one-pixel notch at the top, column 2.
    trace_header t{};
    const int codes[] = {2, 2, 0, 0, 0, 0, 6, 6, 4, 2, 4, 4, 6, 4};
    t.stepnum = (int)(sizeof codes / sizeof codes[0]);
    for (int j = 0; j < t.stepnum; ++j)
        t.code[j] = (unsigned char)codes[j];
    trace_info(&t, 255);
    const CImageData* box = t.rect.buf;
    ASSERT_EQ(box->m_Width, 5);
    ASSERT_EQ(box->m_Height, 3);
    EXPECT_EQ(box->m_pData[0][2], 0);
    EXPECT_EQ(box->m_pData[0][1], 255);
    EXPECT_EQ(box->m_pData[0][3], 255);
    EXPECT_EQ(t.rect.area, 14);
    end_trace_info(&t);
}

TEST(MaskDecode, FaceModelZeroHasNoMaskSegment)
{
    DecodeRecord rec(Payload_With_Mask(nullptr));
    DMask(rec.info);
    EXPECT_EQ(DecodeFault, 0);
    EXPECT_EQ(rec.info->face_model, 0);
    EXPECT_EQ(rec.info->back, 0);
    EXPECT_EQ(CountInside(rec), 102 * 126);  // all of the image, none of the padding
    EXPECT_EQ(Inside(rec, 125, 101), 1);
    EXPECT_EQ(Inside(rec, 126, 0), 0);
    EXPECT_EQ(Inside(rec, 0, 102), 0);
    // The object length follows the configuration byte directly.
    EXPECT_EQ(MemIndex, 7);
    EXPECT_EQ(Read_Int32(rec.info), Arbitrary_Object_Length());
}

TEST(MaskDecode, NoContourKeepsTheMeanColourAndFullMask)
{
    MaskContent m;
    m.clrmean = PIXEL{12, 200, 77};
    DecodeRecord rec(Payload_With_Mask(&m));
    DMask(rec.info);
    EXPECT_EQ(DecodeFault, 0);
    EXPECT_EQ(rec.info->face_model, 0);
    EXPECT_EQ(rec.info->back, 0);
    EXPECT_EQ(rec.info->clrmean.r, 12);
    EXPECT_EQ(rec.info->clrmean.g, 200);
    EXPECT_EQ(rec.info->clrmean.b, 77);
    EXPECT_EQ(CountInside(rec), 102 * 126);
}

TEST(MaskDecode, SquareContourAndGradientCorners)
{
    MaskContent m;
    m.back = 1;
    m.points[0] = VERTEX{0, 0, {1, 2, 3}};
    m.points[1] = VERTEX{101, 0, {4, 5, 6}};
    m.points[2] = VERTEX{101, 125, {7, 8, 9}};
    m.points[3] = VERTEX{511, 511, {250, 251, 252}};
    m.contours.push_back(Square3x3(40, 50));
    DecodeRecord rec(Payload_With_Mask(&m));
    DMask(rec.info);
    EXPECT_EQ(DecodeFault, 0);
    EXPECT_EQ(rec.info->face_model, 1);
    EXPECT_EQ(rec.info->back, 1);
    EXPECT_EQ(rec.info->points[1].x, 101);
    EXPECT_EQ(rec.info->points[2].y, 125);
    EXPECT_EQ(rec.info->points[3].x, 511);
    EXPECT_EQ(rec.info->points[3].p.b, 252);
    EXPECT_EQ(CountInside(rec), 9);
    for (int r = 50; r <= 52; ++r)
        for (int c = 40; c <= 42; ++c)
            EXPECT_EQ(Inside(rec, r, c), 1);
}

TEST(MaskDecode, OverlappingContoursUnite)
{
    MaskContent m;
    // Two 3 x 3 squares overlapping in a 2 x 2 block: 9 + 9 - 4 pixels.
    m.contours = {Square3x3(10, 10), Square3x3(11, 11)};
    DecodeRecord rec(Payload_With_Mask(&m));
    DMask(rec.info);
    EXPECT_EQ(DecodeFault, 0);
    EXPECT_EQ(CountInside(rec), 14);
    EXPECT_EQ(Inside(rec, 10, 10), 1);
    EXPECT_EQ(Inside(rec, 13, 13), 1);
    EXPECT_EQ(Inside(rec, 10, 13), 0);
}

TEST(MaskDecode, SinglePixelContour)
{
    MaskContent m;
    m.contours.push_back(MaskContour{101, 125, {}});
    DecodeRecord rec(Payload_With_Mask(&m));
    DMask(rec.info);
    EXPECT_EQ(DecodeFault, 0);
    EXPECT_EQ(rec.info->face_model, 1);
    EXPECT_EQ(CountInside(rec), 1);
    EXPECT_EQ(Inside(rec, 125, 101), 1);
}

// Runs the work field's decoder over a segment and hands back what follows.
struct FieldRun {
    CWorkField field{102, 126};
    Bytes segment;
    int length = 0;
    int back = 0;
    int trailer = -1;

    explicit FieldRun(QMEncoder& enc)
    {
        segment = enc.Finish();
        length = (int)segment.size();
        AritDecoder d(segment.data(), &length);
        field.Decoder(&d, back);
        trailer = d.decode_bits(8);
    }
};

void EncodeHeader(QMEncoder& enc, int contours)
{
    enc.encode_bit(0);
    enc.encode_bits(0x102030, 24);
    enc.encode_bits(contours, 8);
}

TEST(MaskDecode, TurnSymbolsFollowTheRelativeTable)
{
    // Symbols 0..7 turn by 0, -1, +1, -2, +2, -3, +3, -4.
    QMEncoder enc;
    Adaptive_Model model(8);
    EncodeHeader(enc, 1);
    enc.encode_bits(9, 16);
    enc.encode_bits(50, 12);
    enc.encode_bits(60, 12);
    enc.encode_symbol(model, 2);  // start going down
    for (int s = 0; s < 8; ++s)
        enc.encode_symbol(model, s);
    enc.encode_bit(1);  // neck
    enc.encode_bits(0xA5, 8);
    DecodeFault = 0;
    FieldRun run(enc);
    ASSERT_EQ(DecodeFault, 0);
    ASSERT_EQ(run.field.tb.trace_num, 1);
    const trace_header* t = run.field.tb.buf[0];
    const int expected[9] = {2, 2, 1, 2, 0, 2, 7, 2, 6};
    for (int j = 0; j < 9; ++j)
        EXPECT_EQ(t->code[j], expected[j]) << j;
    EXPECT_EQ(t->neck_loc, 1);
    EXPECT_EQ(run.trailer, 0xA5);
}

TEST(MaskDecode, NeckFlagOnlyWithContours)
{
    QMEncoder enc;
    EncodeHeader(enc, 0);
    enc.encode_bits(0x5A, 8);  // no neck bit before this
    DecodeFault = 0;
    FieldRun run(enc);
    EXPECT_EQ(run.field.face_model, 0);
    EXPECT_EQ(run.trailer, 0x5A);
    EXPECT_EQ(run.field.m_clrmean.g, 0x20);
}

// ---- Hostile mask segments ----

void ExpectFault(const Bytes& payload)
{
    DecodeRecord rec(payload);
    DMask(rec.info);
    EXPECT_EQ(DecodeFault, 1);
}

TEST(MaskHostile, MoreThanTwentyContours)
{
    MaskContent m;
    for (int i = 0; i < 20; ++i)
        m.contours.push_back(MaskContour{i, i, {}});
    {
        DecodeRecord rec(Payload_With_Mask(&m));
        DMask(rec.info);
        EXPECT_EQ(DecodeFault, 0);  // twenty fit
    }
    m.contours.push_back(MaskContour{30, 30, {}});
    ExpectFault(Payload_With_Mask(&m));
}

TEST(MaskHostile, ContourOfMoreThan2000Steps)
{
    MaskContent m;
    // Back and forth along a row: 2000 steps stay in the image and are held.
    m.contours.push_back(MaskContour{10, 10, std::vector<int>(2000)});
    for (size_t i = 0; i < 2000; ++i)
        m.contours[0].codes[i] = (i / 50) % 2 ? 4 : 0;
    {
        DecodeRecord rec(Payload_With_Mask(&m));
        DMask(rec.info);
        EXPECT_EQ(DecodeFault, 0);
    }
    m.contours[0].codes.push_back(0);
    ExpectFault(Payload_With_Mask(&m));
}

TEST(MaskHostile, ContourLeavingTheImage)
{
    MaskContent right;
    right.contours.push_back(MaskContour{101, 5, {0, 4}});  // x reaches 102
    ExpectFault(Payload_With_Mask(&right));
    MaskContent up;
    up.contours.push_back(MaskContour{5, 0, {6, 2}});  // y reaches -1
    ExpectFault(Payload_With_Mask(&up));
    MaskContent start;
    start.contours.push_back(MaskContour{4000, 5, {}});  // start outside
    ExpectFault(Payload_With_Mask(&start));
}

TEST(MaskHostile, SegmentNotStartingWithO)
{
    MaskContent m;
    PayloadContent content;
    content.config = Config_Byte(3, 1, 4);
    content.mask_segment = Encode_Mask_Segment(m);
    content.mask_segment[0] = 'p';
    content.object_length = 100;
    ExpectFault(Build_Payload(content));
}

Bytes PayloadWithMaskLength(const Bytes& segment, int claimed)
{
    Bytes stream = {Config_Byte(3, 1, 4)};
    for (int i = 0; i < 4; ++i)
        stream.push_back((uint8_t)((uint32_t)claimed >> (8 * i)));
    stream.insert(stream.end(), segment.begin(), segment.end());
    return Scramble_Payload(stream);
}

TEST(MaskHostile, NegativeLengthIsRefused)
{
    MaskContent m;
    m.contours.push_back(Square3x3(3, 3));
    ExpectFault(PayloadWithMaskLength(Encode_Mask_Segment(m), -1));
    ExpectFault(PayloadWithMaskLength(Encode_Mask_Segment(m), INT32_MIN));
}

TEST(MaskHostile, LengthPastTheBufferReadsZeros)
{
    MaskContent m;
    m.contours.push_back(Square3x3(3, 3));
    const Bytes segment = Encode_Mask_Segment(m);
    for (int claimed : {5000, 40000, INT32_MAX}) {
        DecodeRecord rec(PayloadWithMaskLength(segment, claimed));
        DMask(rec.info);
        // Same mask as with the true length: past the code everything is zero either way.
        EXPECT_EQ(DecodeFault, 0) << claimed;
        EXPECT_EQ(CountInside(rec), 9) << claimed;
        EXPECT_EQ(Read_Int32(rec.info), 0) << claimed;
    }
}

}  // namespace
