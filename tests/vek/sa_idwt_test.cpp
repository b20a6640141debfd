// SPDX-License-Identifier: Apache-2.0
// Shape-adaptive 5/3 transform: segment synthesis, mask decomposition and the
// mask/coefficient rebuild.
#include "CpuFeatures.h"
#include "sa_idwt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

std::vector<int> Synthesize(std::vector<int> low, std::vector<int> high, int posFlag, int n)
{
    std::vector<int> out(n, -999);
    EXPECT_EQ(0, SynthesizeSegmentOddSymInt(out.data(), low.data(), high.data(), posFlag, n));
    return out;
}

int FloorDiv(int a, int b)
{
    int q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Forward integer 5/3 lifting with symmetric extension, written from the
// analysis side so that it checks the synthesis instead of restating it.
void Analyze(const std::vector<int>& x, std::vector<int>& s, std::vector<int>& d)
{
    const int half = static_cast<int>(x.size()) / 2;
    const int n = static_cast<int>(x.size());
    d.assign(half, 0);
    s.assign(half, 0);
    for (int i = 0; i < half; ++i) {
        int right = 2 * i + 2 < n ? x[2 * i + 2] : x[2 * i];
        d[i] = x[2 * i + 1] - FloorDiv(x[2 * i] + right, 2);
    }
    for (int i = 0; i < half; ++i) {
        int left = i > 0 ? d[i - 1] : d[i];
        s[i] = x[2 * i] + FloorDiv(left + d[i] + 2, 4);
    }
}

bool FindPreimage(int target, double scale, int& found)
{
    for (int v = -4 * std::abs(target) - 4; v <= 4 * std::abs(target) + 4; ++v) {
        if (Round(v * scale) == target) {
            found = v;
            return true;
        }
    }
    return false;
}

matrix_t* MatrixOf(const std::vector<std::vector<int>>& rows)
{
    matrix_t* m = matrix_create(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            m->rows_[r][c] = rows[r][c];
    return m;
}

// A run sample by sample: scaled band entries, low samples lifted by a
// quarter of their high neighbours, high samples by half of their low ones,
// a missing neighbour mirrored from the other side.
std::vector<int> LiftOneByOne(std::vector<int> low, std::vector<int> high, int posFlag, int n)
{
    for (int& v : low)
        v = Round(v * 0.7071);
    for (int& v : high)
        v = Round(v * 1.4142);
    std::vector<int> out(n);
    auto isLow = [posFlag](int p) { return (p & 1) == posFlag; };
    auto mirrored = [n](int p) { return p < 0 ? 1 : (p >= n ? n - 2 : p); };
    for (int p = 0; p < n; ++p)
        if (isLow(p))
            out[p] = low[p / 2] - ((high[mirrored(p - 1) / 2] + high[mirrored(p + 1) / 2] + 2) >> 2);
    for (int p = 0; p < n; ++p)
        if (!isLow(p))
            out[p] = high[p / 2] - ((-out[mirrored(p - 1)] - out[mirrored(p + 1)] + 1) >> 1);
    return out;
}

} // namespace

TEST(SaIdwtSegment, EveryLengthAndParityMatchesSampleBySampleLifting)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> value(-3000, 3000);
    for (int n = 3; n <= 70; ++n) {
        for (int posFlag = 0; posFlag <= 1; ++posFlag) {
            const int highCount = posFlag == 0 ? n / 2 : (n + 1) / 2;
            std::vector<int> low(n - highCount), high(highCount);
            for (int trial = 0; trial < 10; ++trial) {
                for (int& v : low)
                    v = value(rng);
                for (int& v : high)
                    v = value(rng);
                ASSERT_EQ(LiftOneByOne(low, high, posFlag, n), Synthesize(low, high, posFlag, n))
                    << "length " << n << " start " << posFlag;
            }
        }
    }
}

TEST(SaIdwtRound, HalvesRoundAwayFromZero)
{
    EXPECT_EQ(7, Round(7.071));
    EXPECT_EQ(3, Round(2.5));
    EXPECT_EQ(-3, Round(-2.5));
    EXPECT_EQ(-4, Round(-3.5355));  // not -3 as plain truncation of x + 0.5 gives
    EXPECT_EQ(0, Round(-0.49));
}

TEST(SaIdwtSegment, SingleSampleIsScaledLowValueAtAnyParity)
{
    EXPECT_EQ(std::vector<int>{7}, Synthesize({10}, {0}, 0, 1));
    EXPECT_EQ(std::vector<int>{7}, Synthesize({10}, {0}, 1, 1));
    EXPECT_EQ(std::vector<int>{-4}, Synthesize({-5}, {0}, 0, 1));  // -3.5355 rounds to -4
}

TEST(SaIdwtSegment, PairIsUnscaledLiftingWithArithmeticShift)
{
    // Even start: low then high.
    EXPECT_EQ((std::vector<int>{7, 12}), Synthesize({10}, {5}, 0, 2));
    // -5 >> 1 is -3 (towards minus infinity), not -2.
    EXPECT_EQ((std::vector<int>{13, 7}), Synthesize({10}, {-6}, 0, 2));
    // Odd start: high then low.
    EXPECT_EQ((std::vector<int>{12, 7}), Synthesize({10}, {5}, 1, 2));
}

TEST(SaIdwtSegment, TripleScalesBothBandsBeforeLifting)
{
    // L' = 7 and 14, H' = Round(8.4852) = 8.
    EXPECT_EQ((std::vector<int>{3, 14, 10}), Synthesize({10, 20}, {6}, 0, 3));
    // Odd start: H0' = Round(5.6568) = 6, H1' = Round(-2.8284) = -3, L0' = 7.
    // Out1 = 7 - ((6 - 3 + 2) >> 2) = 6; ends copy their only neighbour.
    EXPECT_EQ((std::vector<int>{12, 6, 3}), Synthesize({10}, {4, -2}, 1, 3));
}

TEST(SaIdwtSegment, NegativeLiftingRoundsTowardsMinusInfinity)
{
    // L' = Round(-7.071) = -7, H' = Round(-4.2426) = -4 and Round(-1.4142) = -1.
    // Out0 = -7 - ((-4 - 4 + 2) >> 2) = -7 - (-2) = -5
    // Out2 = -7 - ((-4 - 1 + 2) >> 2) = -7 - (-1) = -6
    // Out1 = -4 + floor(-11 / 2) = -10, Out3 = -1 + (-6) = -7
    EXPECT_EQ((std::vector<int>{-5, -10, -6, -7}), Synthesize({-10, -10}, {-3, -1}, 0, 4));
}

TEST(SaIdwtSegment, FullLineIsPlain53SynthesisWithSymmetricExtension)
{
    std::mt19937 rng(7);
    for (int trial = 0; trial < 200; ++trial) {
        const int n = 2 + 2 * static_cast<int>(rng() % 20);
        std::vector<int> x(n);
        for (int& v : x)
            v = static_cast<int>(rng() % 256);
        // Adjust odd samples until each high value is reachable through the 1.4142 scaling.
        std::vector<int> s, d, low(n / 2), high(n / 2);
        for (int i = 0; i < n / 2; ++i) {
            for (;;) {
                Analyze(x, s, d);
                if (n == 2 || FindPreimage(d[i], 1.4142, high[i]))
                    break;
                ++x[2 * i + 1];
            }
        }
        Analyze(x, s, d);
        for (int i = 0; i < n / 2; ++i) {
            if (n == 2) {
                low[i] = s[i];
                high[i] = d[i];
            } else {
                ASSERT_TRUE(FindPreimage(s[i], 0.7071, low[i]));
            }
        }
        std::vector<int> in(low);
        in.insert(in.end(), high.begin(), high.end());
        std::vector<int> mask(n, 1), out(n), outMask(n);
        ASSERT_EQ(0, iSADWT1dOddSymInt(in.data(), mask.data(), out.data(), outMask.data(), n, 1));
        EXPECT_EQ(x, out) << "length " << n;
        EXPECT_EQ(mask, outMask);
    }
}

// A line is synthesised as its runs would be one by one, each from its own
// entries: with and without two-sample runs, whose entries stay unscaled.
TEST(SaIdwtSegment, LineOfRunsMatchesRunByRunSynthesis)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> value(-3000, 3000);
    for (int trial = 0; trial < 400; ++trial) {
        const int n = 2 * (1 + static_cast<int>(rng() % 40));
        const bool pairs = trial % 2 == 0;
        std::vector<int> mask(n, 0);
        for (int p = static_cast<int>(rng() % 3); p < n;) {
            int run = 1 + static_cast<int>(rng() % 6);
            if (run == 2 && !pairs)
                run = 3;
            for (int k = p; k < std::min(n, p + run); ++k)
                mask[k] = 1;
            p += run + 1 + static_cast<int>(rng() % 3);
        }
        std::vector<int> in(n), decomposed(n);
        for (int& v : in)
            v = value(rng);
        for (int i = 0; i < n / 2; ++i) {
            decomposed[i] = mask[2 * i];
            decomposed[n / 2 + i] = mask[2 * i + 1];
        }
        std::vector<int> expected(n, 0), entries(in);
        for (int start = 0; start < n; ++start) {
            if (!mask[start] || (start > 0 && mask[start - 1]))
                continue;
            int run = 0;
            while (start + run < n && mask[start + run])
                ++run;
            int* low = entries.data() + (run == 1 ? start >> 1 : (start + 1) >> 1);
            SynthesizeSegmentOddSymInt(expected.data() + start, low, entries.data() + n / 2 + (start >> 1),
                                       start & 1, run);
        }
        std::vector<int> out(n), outMask(n);
        ASSERT_EQ(0, iSADWT1dOddSymInt(in.data(), decomposed.data(), out.data(), outMask.data(), n, 1));
        ASSERT_EQ(mask, outMask);
        ASSERT_EQ(expected, out) << "trial " << trial;
    }
}

TEST(SaIdwtMask, LonePixelAtOddColumnMovesToLowBandAndComesBack)
{
    const std::vector<int> line = {0, 0, 0, 1, 0, 0, 0, 0};
    std::vector<int> split(8);
    SADWT1dOddSymInt_Mask(line.data(), split.data(), 8, 1);
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0, 0, 128, 0, 0}), split);

    std::vector<int> coeff = {0, 100, 0, 0, 0, 55, 0, 0}, out(8), outMask(8);
    iSADWT1dOddSymInt(coeff.data(), split.data(), out.data(), outMask.data(), 8, 1);
    EXPECT_EQ(line, outMask);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 71, 0, 0, 0, 0}), out);  // Round(70.71)
}

TEST(SaIdwtMask, LonePixelAtEvenColumnStaysPut)
{
    const std::vector<int> line = {0, 0, 1, 0, 1, 1, 0, 0};
    std::vector<int> split(8);
    SADWT1dOddSymInt_Mask(line.data(), split.data(), 8, 1);
    EXPECT_EQ((std::vector<int>{0, 1, 1, 0, 0, 0, 1, 0}), split);
}

TEST(SaIdwtMask, VerticalMarkersDependOnTheEvenNeighbour)
{
    const std::vector<int> overEmpty = {0, 1, 0, 0};
    const std::vector<int> overMoved = {128, 1, 0, 0};
    std::vector<int> split(4);
    SADWT1dOddSymInt_Mask(overEmpty.data(), split.data(), 4, 2);
    EXPECT_EQ((std::vector<int>{1, 0, 129, 0}), split);
    SADWT1dOddSymInt_Mask(overMoved.data(), split.data(), 4, 2);
    EXPECT_EQ((std::vector<int>{1, 0, 130, 0}), split);
    // Horizontal steps never write the vertical markers.
    SADWT1dOddSymInt_Mask(overEmpty.data(), split.data(), 4, 1);
    EXPECT_EQ((std::vector<int>{1, 0, 128, 0}), split);
}

TEST(SaIdwtMask, LonePixelThroughBothDirections)
{
    std::vector<std::vector<int>> rows(8, std::vector<int>(8, 0));
    rows[3][5] = 1;
    matrix_t* mask = MatrixOf(rows);
    matrix_t* decomposed = matrix_create(8, 8);
    do_IDWT_Mask(mask, 1, decomposed);
    std::vector<std::vector<int>> expected(8, std::vector<int>(8, 0));
    expected[1][2] = 1;
    expected[5][2] = 129;
    expected[5][6] = 128;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(expected[r][c], decomposed->rows_[r][c]) << r << "," << c;

    matrix_t* data = matrix_create(8, 8);
    data->rows_[1][2] = 100;
    data->rows_[5][6] = 999;  // marker positions carry no coefficient
    matrix_t* coeff = matrix_create(8, 8);
    matrix_t* rebuilt = matrix_create(8, 8);
    SA_IDWT(data, decomposed, 1, coeff, rebuilt);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            EXPECT_EQ(rows[r][c], rebuilt->rows_[r][c]) << r << "," << c;
            // Round(Round(70.71) * 0.7071) = Round(50.2) = 50
            EXPECT_EQ(r == 3 && c == 5 ? 50 : 0, coeff->rows_[r][c]) << r << "," << c;
        }
    for (matrix_t* m : {mask, decomposed, data, coeff, rebuilt})
        matrix_destroy(m);
}

// Long lines: runs that begin, end or stand alone on either side of entries
// 64 and 128 move exactly as the rule says, markers never counting as inside.
TEST(SaIdwtMask, LonePixelsOnLongLinesFollowTheRule)
{
    std::mt19937 rng(5);
    for (int trial = 0; trial < 300; ++trial) {
        const int n = 130 + 2 * (trial % 40);
        std::vector<int> in(n);
        for (int& v : in)
            v = rng() % 3 == 0 ? 1 : (rng() % 8 == 0 ? 128 : 0);
        for (int at : {63, 64, 127, 128, n - 1})
            in[at] = (trial >> 1) % 2;
        const int direction = 1 + trial % 2;
        const int half = n / 2;
        std::vector<int> expected(n);
        for (int i = 0; i < half; ++i) {
            expected[i] = in[2 * i];
            expected[half + i] = in[2 * i + 1];
        }
        for (int p = 0; p < n; ++p) {
            const bool lone = in[p] == 1 && (p == 0 || in[p - 1] != 1) && (p + 1 == n || in[p + 1] != 1);
            const int k = p / 2;
            if (!lone || (expected[k] != 0 && !(direction == 2 && expected[k] == 128)))
                continue;
            expected[half + k] = direction == 1 ? 128 : (expected[k] == 0 ? 129 : 130);
            expected[k] = 1;
        }
        std::vector<int> out(n, -1);
        SADWT1dOddSymInt_Mask(in.data(), out.data(), n, direction);
        ASSERT_EQ(expected, out) << "trial " << trial;
    }
}

// The decomposition takes whole rows and columns at a time; it must give what
// the one-line step gives applied to every row, then every column, level by
// level: lone pixels on every side of a four-entry group, odd widths too.
TEST(SaIdwtMask, DecompositionEqualsTheLineStepOnEveryRowAndColumn)
{
    std::mt19937 rng(23);
    for (int trial = 0; trial < 60; ++trial) {
        const int rows = trial % 3 == 0 ? 40 : 16, cols = trial % 5 == 4 ? 9 : 24 + 2 * (trial % 4);
        const int levels = cols % 2 ? 1 : 1 + trial % 3;
        matrix_t* mask = matrix_create(rows, cols);
        for (int i = 0; i < mask->datasize_; ++i)
            mask->data_[i] = static_cast<int>(rng() % 8) < 1 + trial % 4 ? 1 : 0;
        std::vector<std::vector<int>> expected(rows);
        for (int r = 0; r < rows; ++r)
            expected[r].assign(mask->rows_[r], mask->rows_[r] + cols);
        for (int l = 1; l <= levels; ++l) {
            const int h = rows >> (l - 1), w = cols >> (l - 1);
            std::vector<int> in, out;
            for (int r = 0; r < h; ++r) {
                in.assign(expected[r].begin(), expected[r].begin() + w);
                out = in;  // in place: an odd line's last entry stays
                SADWT1dOddSymInt_Mask(in.data(), out.data(), w, 1);
                std::copy(out.begin(), out.end(), expected[r].begin());
            }
            for (int c = 0; c < w; ++c) {
                in.assign(h, 0);
                for (int r = 0; r < h; ++r)
                    in[r] = expected[r][c];
                out = in;
                SADWT1dOddSymInt_Mask(in.data(), out.data(), h, 2);
                for (int r = 0; r < h; ++r)
                    expected[r][c] = out[r];
            }
        }
        matrix_t* decomposed = matrix_create(rows, cols);
        do_IDWT_Mask(mask, levels, decomposed);
        for (int r = 0; r < rows; ++r)
            ASSERT_EQ(expected[r], std::vector<int>(decomposed->rows_[r], decomposed->rows_[r] + cols))
                << "trial " << trial << " row " << r;
        matrix_destroy(mask);
        matrix_destroy(decomposed);
    }
}

TEST(SaIdwtMask, RandomMasksRebuildExactlyOverSeveralLevels)
{
    std::mt19937 rng(11);
    for (int trial = 0; trial < 50; ++trial) {
        const int levels = 1 + trial % 4;
        const int rows = 16 << (trial % 2), cols = 32;
        matrix_t* mask = matrix_create(rows, cols);
        const int density = 1 + trial % 5;
        for (int i = 0; i < mask->datasize_; ++i)
            mask->data_[i] = static_cast<int>(rng() % 6) < density ? 1 : 0;
        matrix_t* decomposed = matrix_create(rows, cols);
        do_IDWT_Mask(mask, levels, decomposed);
        int coded = 0;
        for (int i = 0; i < decomposed->datasize_; ++i)
            coded += decomposed->data_[i] == 1;
        int inside = 0;
        for (int i = 0; i < mask->datasize_; ++i)
            inside += mask->data_[i];
        // The transform is critically sampled over the shape.
        EXPECT_EQ(inside, coded);

        matrix_t* zero = matrix_create(rows, cols);
        matrix_t* coeff = matrix_create(rows, cols);
        matrix_t* rebuilt = matrix_create(rows, cols);
        SA_IDWT(zero, decomposed, levels, coeff, rebuilt);
        for (int i = 0; i < mask->datasize_; ++i)
            ASSERT_EQ(mask->data_[i], rebuilt->data_[i]) << "trial " << trial << " at " << i;
        for (matrix_t* m : {mask, decomposed, zero, coeff, rebuilt})
            matrix_destroy(m);
    }
}

// Rectangular shapes give blocks of columns with the same runs, which the
// synthesis takes across rather than line by line: the result must be that of
// the lines one by one, small entries or not.
TEST(SaIdwtMask, RectanglesSynthesiseAsTheirLinesOneByOne)
{
    std::mt19937 rng(17);
    const int rows = 32, cols = 64;
    for (int trial = 0; trial < 40; ++trial) {
        const int levels = 1 + trial % 3;
        const int top = static_cast<int>(rng() % 8), left = static_cast<int>(rng() % 12);
        const int bottom = rows - static_cast<int>(rng() % 8), right = cols - static_cast<int>(rng() % 20);
        const int largest = trial % 4 == 3 ? 1 << 28 : 3000;  // beyond the small entries now and then
        matrix_t* mask = matrix_create(rows, cols);
        matrix_t* data = matrix_create(rows, cols);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                mask->rows_[r][c] = r >= top && r < bottom && c >= left && c < right;
                data->rows_[r][c] = static_cast<int>(rng() % (2 * largest + 1)) - largest;
            }
        }
        matrix_t* decomposed = matrix_create(rows, cols);
        do_IDWT_Mask(mask, levels, decomposed);

        std::vector<std::vector<int>> coeff(rows, std::vector<int>(cols)), shape(rows, std::vector<int>(cols));
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                shape[r][c] = decomposed->rows_[r][c];
                coeff[r][c] = shape[r][c] >= 1 ? data->rows_[r][c] : 0;
            }
        }
        auto line = [](std::vector<int>& values, std::vector<int>& marks, int direction) {
            const int n = static_cast<int>(values.size());
            std::vector<int> out(n), outMarks(n);
            iSADWT1dOddSymInt(values.data(), marks.data(), out.data(), outMarks.data(), n, direction);
            values = out;
            marks = outMarks;
        };
        for (int l = levels; l >= 1; --l) {
            const int h = rows >> (l - 1), w = cols >> (l - 1);
            for (int c = 0; c < w; ++c) {
                std::vector<int> values(h), marks(h);
                for (int r = 0; r < h; ++r) {
                    values[r] = coeff[r][c];
                    marks[r] = shape[r][c];
                }
                line(values, marks, 2);
                for (int r = 0; r < h; ++r) {
                    coeff[r][c] = values[r];
                    shape[r][c] = marks[r];
                }
            }
            for (int r = 0; r < h; ++r) {
                std::vector<int> values(coeff[r].begin(), coeff[r].begin() + w);
                std::vector<int> marks(shape[r].begin(), shape[r].begin() + w);
                line(values, marks, 1);
                std::copy(values.begin(), values.end(), coeff[r].begin());
                std::copy(marks.begin(), marks.end(), shape[r].begin());
            }
        }

        matrix_t* out = matrix_create(rows, cols);
        matrix_t* rebuilt = matrix_create(rows, cols);
        SA_IDWT(data, decomposed, levels, out, rebuilt);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                ASSERT_EQ(coeff[r][c], out->rows_[r][c]) << "trial " << trial << " at " << r << "," << c;
        for (matrix_t* m : {mask, data, decomposed, out, rebuilt})
            matrix_destroy(m);
    }
}

TEST(SaIdwtRobustness, HugeCoefficientsSaturateInsteadOfOverflowing)
{
    std::vector<int> low = {2147483647, -2147483647 - 1};
    std::vector<int> high = {2147483647, 2147483647};
    std::vector<int> out(4);
    SynthesizeSegmentOddSymInt(out.data(), low.data(), high.data(), 0, 4);
    EXPECT_EQ(2147483647, high[0]);  // Round(H * 1.4142) saturated
    for (int v : out)
        EXPECT_TRUE(v >= -2147483647 - 1 && v <= 2147483647);
}

TEST(Matrix, MaskEmergeKeepsOnlyInsideAsOne)
{
    matrix_t* m = MatrixOf({{0, 1, 128, -3}, {129, 130, 0, 2}});
    matrix_mask_emerge(m);
    EXPECT_EQ((std::vector<int>{0, 1, 1, 0, 1, 1, 0, 1}),
              std::vector<int>(m->data_, m->data_ + m->datasize_));
    matrix_destroy(m);
}

// Both vector forms of the small-band scaling give Round(entry x scale) for
// every entry they may meet, whichever form this processor picks when the
// decoder loads.
TEST(SaIdwtScale, VectorFormsRoundLikeTheScalarRule)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> entry(-(1 << 26) + 1, (1 << 26) - 1);
    std::vector<int> band(1031);
    for (int& v : band)
        v = entry(random);
    band[0] = 0;
    band[1] = (1 << 26) - 1;
    band[2] = -(1 << 26) + 1;
    for (double scale : {0.7071, 1.4142}) {
        std::vector<int> expected(band.size());
        for (size_t i = 0; i < band.size(); ++i)
            expected[i] = Round(band[i] * scale);
        // Into another buffer, and in place.
        std::vector<int> sse2(band.size()), inPlace = band;
        ScaleSmallBandSse2(band.data(), sse2.data(), static_cast<int>(band.size()), scale);
        ScaleSmallBandSse2(inPlace.data(), inPlace.data(), static_cast<int>(band.size()), scale);
        EXPECT_EQ(sse2, expected) << scale;
        EXPECT_EQ(inPlace, expected) << scale;
        if (Has_Avx()) {
            std::vector<int> avx(band.size());
            inPlace = band;
            ScaleSmallBandAvx(band.data(), avx.data(), static_cast<int>(band.size()), scale);
            ScaleSmallBandAvx(inPlace.data(), inPlace.data(), static_cast<int>(band.size()), scale);
            EXPECT_EQ(avx, expected) << scale;
            EXPECT_EQ(inPlace, expected) << scale;
        }
    }
}
