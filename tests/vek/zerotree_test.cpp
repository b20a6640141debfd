// SPDX-License-Identifier: Apache-2.0
// Zero-tree decoding: scan order, zero-tree rules, list reordering, the
// segment budget, and round trips through the encoder mirror.
#include "Color.h"
#include "Control.h"
#include "DecodeFault.h"
#include "DoPass.h"
#include "Link.h"
#include "MemManage.h"
#include "PayloadBuilder.h"
#include "QCoder.h"
#include "QMEncoder.h"
#include "SegmentSizes.h"
#include "Vek.h"
#include "ZeroTreeEncoder.h"
#include "dezw.h"
#include "sa_idwt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// Offset of the object length in newbuffer for a stream without mask segment.
const int OBJECT_OFFSET = 7;

// Colour planes of one decode, set up as ProcInit would, for a chosen sample size.
class ObjectDecode {
public:
    ObjectDecode(int width, int height, int level, const std::vector<int>& fmask, int colours)
        : colours_(colours), level_(level)
    {
        info_.image_width = IMAGE_WIDTH;
        info_.image_height = IMAGE_HEIGHT;
        info_.color_number = colours;
        info_.sample_width = width;
        info_.sample_height = height;
        info_.level = level;
        info_.Read = RD_file;
        Init_buf_stream(&info_);
        Init_Color(&info_);
        Init_Wavelet(&info_);
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                info_.FMask[r][c] = fmask[r * width + c];
        DecodeFault = 0;
    }
    ~ObjectDecode()
    {
        Term_Color(&info_);
        Term_Wavelet(&info_);
        Term_buf_stream(&info_);
    }

    // Lays the segments into the slots of the smallest object length that
    // holds each of them plus slack bytes, then decodes.
    void Decode(const std::vector<std::vector<uint8_t>>& segments, int slack)
    {
        std::vector<size_t> sizes;
        for (const auto& s : segments)
            sizes.push_back(s.size() + slack);
        DecodeWithLength(segments, Object_Length_For(sizes));
    }

    void DecodeWithLength(const std::vector<std::vector<uint8_t>>& segments, int objectLength)
    {
        PayloadContent content;
        content.config = Config_Byte(colours_, 0, level_);
        content.object_length = objectLength;
        content.colour_segments = segments;
        const Bytes payload = Build_Payload(content);
        Load_Payload(reinterpret_cast<const char*>(payload.data()));
        MemIndex = OBJECT_OFFSET;
        int len = 0;
        ObjDecompress(&info_, 1, len);
    }

    int A(int k, int r, int c) const { return info_.color[k]->A[r][c]; }
    common_struct& info() { return info_; }

private:
    common_struct info_ = {};
    int colours_;
    int level_;
};

std::vector<int> FullMask(int width, int height)
{
    return std::vector<int>(static_cast<size_t>(width) * height, 1);
}

std::vector<int> DecomposedRandomMask(std::mt19937& rng, int width, int height, int level,
                                      int density)
{
    matrix_t* spatial = matrix_create(height, width);
    for (int i = 0; i < spatial->datasize_; ++i)
        spatial->data_[i] = static_cast<int>(rng() % 8) < density ? 1 : 0;
    matrix_t* decomposed = matrix_create(height, width);
    do_IDWT_Mask(spatial, level, decomposed);
    std::vector<int> fmask(decomposed->data_, decomposed->data_ + decomposed->datasize_);
    matrix_destroy(spatial);
    matrix_destroy(decomposed);
    return fmask;
}

// Mostly zero, some small, a few large coefficients of either sign.
std::vector<int> RandomCoefficients(std::mt19937& rng, size_t count, int largest)
{
    std::vector<int> coeff(count);
    for (int& v : coeff) {
        const int kind = static_cast<int>(rng() % 10);
        const int magnitude = kind < 5 ? 0 : kind < 9 ? static_cast<int>(rng() % 8)
                                                      : static_cast<int>(rng() % (largest + 1));
        v = rng() % 2 ? magnitude : -magnitude;
    }
    return coeff;
}

std::vector<uint8_t> Segment(int plane, const std::vector<std::pair<int, int>>& symbols,
                             Adaptive_Model* models[6])
{
    QMEncoder encoder;
    for (const auto& s : symbols)
        encoder.encode_symbol(*models[s.first], s.second);
    std::vector<uint8_t> segment = {static_cast<uint8_t>(plane)};
    const std::vector<uint8_t> coded = encoder.Finish();
    segment.insert(segment.end(), coded.begin(), coded.end());
    return segment;
}

// Symbols of a hand-written single-pass code: (model, value).
std::vector<uint8_t> HandCoded(const std::vector<std::pair<int, int>>& symbols)
{
    Adaptive_Model m0(3), m1(4), m2(3), m3(2), m4(2), m5(2);
    Adaptive_Model* models[6] = {&m0, &m1, &m2, &m3, &m4, &m5};
    return Segment(0, symbols, models);
}

} // namespace

TEST(ZeroTreeScan, BandZeroOneIsScannedColumnByColumnTheOthersRowByRow)
{
    // Level 1 on 4 x 4: low band, then bands (0,1), (1,0), (1,1) of 2 x 2 each.
    const std::vector<std::pair<int, int>> symbols = {
        {0, 0}, {0, 1}, {0, 2}, {0, 0},  // low band, row by row
        {2, 0}, {2, 2}, {2, 1}, {2, 2},  // (0,1): (0,2) (1,2) (0,3) (1,3)
        {2, 1}, {2, 0}, {2, 2}, {2, 2},  // (1,0): (2,0) (2,1) (3,0) (3,1)
        {2, 2}, {2, 0}, {2, 1}, {2, 2},  // (1,1): (2,2) (2,3) (3,2) (3,3)
    };
    ObjectDecode decode(4, 4, 1, FullMask(4, 4), 1);
    decode.Decode({HandCoded(symbols)}, 8);
    const int expected[4][4] = {
        {1, -1, 1, -1},
        {0, 1, 0, 0},
        {-1, 1, 0, 1},
        {0, 0, -1, 0},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(expected[r][c], decode.A(0, r, c)) << r << "," << c;
    EXPECT_EQ(0, DecodeFault);
}

TEST(ZeroTreeScan, ZeroTreeRootsSilenceDescendantsIsolatedZerosDoNot)
{
    // Level 2 on 8 x 8, one pass at threshold 1.
    std::vector<std::pair<int, int>> symbols = {{0, 2}, {0, 2}, {0, 2}, {0, 2}};
    // Level 2, band (0,1) column by column: (0,2) root, (1,2) isolated, (0,3) root, (1,3) isolated.
    for (int s : {2, 3, 2, 3})
        symbols.push_back({1, s});
    for (int i = 0; i < 8; ++i)  // bands (1,0) and (1,1) of level 2: roots
        symbols.push_back({1, 2});
    // Level 1, band (0,1): only the children of (1,2) and (1,3) are coded, rows 2-3.
    for (int s : {0, 2, 2, 1, 2, 2, 2, 0})
        symbols.push_back({2, s});
    ObjectDecode decode(8, 8, 2, FullMask(8, 8), 1);
    decode.Decode({HandCoded(symbols)}, 8);
    std::vector<int> expected(64, 0);
    expected[2 * 8 + 4] = 1;
    expected[3 * 8 + 5] = -1;
    expected[3 * 8 + 7] = 1;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(expected[r * 8 + c], decode.A(0, r, c)) << r << "," << c;
}

TEST(ZeroTreeRules, NearestCodedAncestorDecides)
{
    ObjectDecode decode(16, 16, 3, FullMask(16, 16), 1);
    common_struct& info = decode.info();
    Active_Color(&info, info.color[0]);
    // The symbols as the encoder keeps them; the decoder needs no plane of them.
    std::vector<UCHR> symbols(256, SYM_NONE);
    UCHR* rows[16];
    for (int r = 0; r < 16; ++r)
        rows[r] = symbols.data() + 16 * r;
    info.B = rows;
    // (8, 12) at level 1 has ancestors (4, 6) at level 2 and (2, 3) at level 3.
    EXPECT_EQ(0, DescendFromZTR(&info, 8, 12, 1));
    for (int root : {SYM_ZEROTREE, SYM_OUTSIDE_ZEROTREE}) {
        info.B[2][3] = static_cast<UCHR>(root);
        EXPECT_EQ(1, DescendFromZTR(&info, 8, 12, 1)) << root;  // (4,6) passed over
    }
    for (int coded : {SYM_POSITIVE, SYM_NEGATIVE, SYM_ISOLATED_ZERO, SYM_OUTSIDE_CODED}) {
        info.B[4][6] = static_cast<UCHR>(coded);
        EXPECT_EQ(0, DescendFromZTR(&info, 8, 12, 1)) << coded;  // nearest one counts
    }
    // The coarsest level and level 1 of a one-level decomposition have no zero-tree parents.
    info.B[1][1] = SYM_ZEROTREE;
    EXPECT_EQ(0, DescendFromZTR(&info, 2, 3, 3));
    info.level = 1;
    EXPECT_EQ(0, DescendFromZTR(&info, 8, 12, 1));
}

TEST(ZeroTreeRules, ValidDescendantsAreSearchedInEveryFinerSquare)
{
    std::vector<int> fmask(16 * 16, 0);
    ObjectDecode decode(16, 16, 3, fmask, 1);
    common_struct& info = decode.info();
    info.MaskLayer = 1;
    // (2, 3) at level 3: squares (4..5, 6..7) and (8..11, 12..15).
    EXPECT_EQ(0, HaveValidDescend(&info, 2, 3, 3));
    info.FMask[11][15] = 1;
    EXPECT_EQ(1, HaveValidDescend(&info, 2, 3, 3));
    EXPECT_EQ(0, HaveValidDescend(&info, 2, 3, 1));  // level 1 has no descendants
    info.FMask[11][15] = 128;                         // markers are not coded coefficients
    EXPECT_EQ(0, HaveValidDescend(&info, 2, 3, 3));
    info.FMask[12][12] = 1;                           // outside the square
    EXPECT_EQ(0, HaveValidDescend(&info, 2, 3, 3));
    info.FMask[5][6] = 1;
    EXPECT_EQ(1, HaveValidDescend(&info, 2, 3, 3));
}

TEST(ZeroTreeList, SortLinkSwapsOnlyWithinRunsOfEqualKeys)
{
    ObjectDecode decode(8, 8, 1, FullMask(8, 8), 1);
    common_struct& info = decode.info();
    Active_Color(&info, info.color[0]);
    info.pl = Init_Link(&info, 4);  // T = 5: keys are bits 2..4 at t = 2
    const int values[6] = {20, -22, 16, 18, 23, 21};
    for (int i = 0; i < 6; ++i) {
        int r = 0, c = i;
        info.A[r][c] = values[i];
        ASSERT_EQ(1, AddToTail(&info, r, c));
    }
    info.t = 2;
    Sort_Link(&info);
    const int order[6] = {1, 0, 3, 2, 4, 5};
    for (int i = 0; i < 6; ++i) {
        int r, c;
        ASSERT_EQ(1, GetAt(&info, i, r, c));
        EXPECT_EQ(order[i], c) << "entry " << i;
    }
    info.t = 0;  // nothing to refine below plane 1
    Sort_Link(&info);
    int r, c;
    GetAt(&info, 0, r, c);
    EXPECT_EQ(1, c);
    EXPECT_EQ(0, GetAt(&info, 6, r, c));
    Term_Link(&info);
}

TEST(ZeroTreeList, FullListTakesNoMoreEntries)
{
    ObjectDecode decode(2, 2, 1, FullMask(2, 2), 1);
    common_struct& info = decode.info();
    info.pl = Init_Link(&info, 0);
    int r = 0, c = 0;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(1, AddToTail(&info, r, c));
    EXPECT_EQ(0, AddToTail(&info, r, c));
    EXPECT_EQ(4, info.pl->length);
    Term_Link(&info);
}

TEST(ZeroTreeControl, EndComesOnceMoreBytesAreConsumedThanBudgetedAndLatches)
{
    common_struct info = {};
    uint8_t segment[8] = {'o', 0, 0, 0, 0, 0, 0, 0};
    int length = 8;
    AritDecoder decoder(segment, &length);
    info.pAritDecoder = &decoder;
    CControl control(&info);
    EXPECT_EQ(0, control.bEndStream());  // no budget in force
    control.SetMaxLength(5);
    decoder.byte_counter = 5;
    EXPECT_EQ(0, control.bEndStream());
    info.is_encoder = 1;
    decoder.byte_counter = 6;
    EXPECT_EQ(0, control.bEndStream());  // an encoder never ends
    info.is_encoder = 0;
    EXPECT_EQ(1, control.bEndStream());
    decoder.byte_counter = 0;
    EXPECT_EQ(1, control.bEndStream());
}

TEST(ZeroTreeRoundTrip, EveryCoefficientInsideTheShapeComesBackExactly)
{
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 24; ++trial) {
        const int level = 1 + trial % 4;
        const int width = 16 << (trial % 2), height = 16;
        ZeroTreePlanes planes;
        planes.width = width;
        planes.height = height;
        planes.level = level;
        planes.fmask = trial % 3 == 0 ? FullMask(width, height)
                                      : DecomposedRandomMask(rng, width, height, level, 2 + trial % 5);
        planes.coeff = RandomCoefficients(rng, planes.fmask.size(), trial % 2 ? 40 : 3000);
        const ZeroTreeCode code = Encode_Zero_Tree(planes);
        if (level == 1) {
            // The finest level is the coarsest: no m1 symbols, no outside symbols.
            for (const ZeroTreeEvent& e : code.events)
                ASSERT_TRUE(e.model != 1 && e.model != 5) << "trial " << trial;
        }
        ObjectDecode decode(width, height, level, planes.fmask, 1);
        decode.Decode({code.segment}, 8);
        ASSERT_EQ(0, DecodeFault);
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c) {
                const int i = r * width + c;
                ASSERT_EQ(planes.fmask[i] == 1 ? planes.coeff[i] : 0, decode.A(0, r, c))
                    << "trial " << trial << " at " << r << "," << c;
            }
    }
}

TEST(ZeroTreeRoundTrip, ThreeColoursKeepTheirOwnPlanesAndLists)
{
    std::mt19937 rng(5);
    const int width = 16, height = 16, level = 3;
    const std::vector<int> fmask = DecomposedRandomMask(rng, width, height, level, 5);
    std::vector<ZeroTreePlanes> planes(3);
    std::vector<std::vector<uint8_t>> segments;
    for (int k = 0; k < 3; ++k) {
        planes[k] = {width, height, level, {}, fmask};
        planes[k].coeff.assign(fmask.size(), 0);
        // U and V get little room in the payload: keep them sparse.
        for (int n = 0; n < (k == 0 ? 60 : 4); ++n)
            planes[k].coeff[rng() % fmask.size()] = static_cast<int>(rng() % 200) - 100;
        segments.push_back(Encode_Zero_Tree(planes[k]).segment);
    }
    ObjectDecode decode(width, height, level, fmask, 3);
    decode.Decode(segments, 8);
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < width * height; ++i)
            ASSERT_EQ(fmask[i] == 1 ? planes[k].coeff[i] : 0, decode.A(k, i / width, i % width))
                << "colour " << k << " at " << i;
}

TEST(ZeroTreeRoundTrip, InitialPlaneZeroIsOneDominantPassWithoutRefinement)
{
    ZeroTreePlanes planes{4, 4, 1, {1, -1, 0, 1, 0, 0, -1, 0, 1, 1, 1, 0, 0, 0, 0, -1},
                          FullMask(4, 4)};
    const ZeroTreeCode code = Encode_Zero_Tree(planes);
    EXPECT_EQ(0, code.segment[0]);
    for (const ZeroTreeEvent& e : code.events)
        EXPECT_NE(3, e.model);  // no refinement bits
    EXPECT_EQ(16u, code.events.size());
    ObjectDecode decode(4, 4, 1, planes.fmask, 1);
    decode.Decode({code.segment}, 8);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(planes.coeff[i], decode.A(0, i / 4, i % 4));
}

TEST(ZeroTreeBudget, ColourEndsMidPassDroppingTheSymbolThatRanOut)
{
    std::mt19937 rng(99);
    const int width = 16, height = 16, level = 3;
    ZeroTreePlanes planes{width, height, level, {}, FullMask(width, height)};
    planes.coeff = RandomCoefficients(rng, planes.fmask.size(), 500);
    const ZeroTreeCode code = Encode_Zero_Tree(planes);
    int checked = 0;
    for (int size = 4; size < static_cast<int>(code.segment.size()); size += 3) {
        // The decoder's view: the segment cut to its slot, bit plane byte dropped.
        std::vector<uint8_t> slot(code.segment.begin() + 1, code.segment.begin() + size);
        int n = static_cast<int>(slot.size());
        // Replay the coded symbols to find the one during which the budget ran out.
        Adaptive_Model m0(3), m1(4), m2(3), m3(2), m4(2), m5(2);
        Adaptive_Model* models[6] = {&m0, &m1, &m2, &m3, &m4, &m5};
        AritDecoder replay(slot.data(), &n);
        size_t applied = 0;
        bool faithful = true;
        for (; applied < code.events.size(); ++applied) {
            const ZeroTreeEvent& e = code.events[applied];
            faithful = faithful && replay.decode_symbol(*models[e.model]) == e.symbol;
            if (replay.byte_counter > n)
                break;
        }
        if (!faithful || applied == code.events.size())
            continue;  // the cut changed a symbol before the end: no exact expectation
        std::vector<int> expected(planes.coeff.size(), 0);
        for (size_t i = 0; i < applied; ++i)
            expected[code.events[i].row * width + code.events[i].col] = code.events[i].value;

        int objectLength = Object_Length_For({static_cast<size_t>(size)});
        int slots[3];
        Colour_Segment_Sizes(objectLength, slots);
        if (slots[0] != size)
            continue;  // only sizes that a slot takes exactly
        ObjectDecode decode(width, height, level, planes.fmask, 1);
        decode.DecodeWithLength({code.segment}, objectLength);
        for (int i = 0; i < width * height; ++i)
            ASSERT_EQ(expected[i], decode.A(0, i / width, i % width)) << "size " << size << " at " << i;
        ++checked;
    }
    EXPECT_GE(checked, 20);
}
