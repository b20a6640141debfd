#include "sa_idwt.h"

#include "CpuFeatures.h"
#include "Intrinsics.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
#include <utility>
#include <vector>

namespace {

const double kLowScale = 0.7071;
const double kHighScale = 1.4142;

// Hostile coefficients may leave the int range; real photos never come close,
// so saturating changes nothing for them and keeps the arithmetic defined.
int Saturate(int64_t v)
{
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

// Round(v x scale) for an int v, saturated to the int range. Clamping the
// double before truncating gives the same int as truncating to 64 bits and
// saturating; the product is never -0, so its sign bit picks +-0.5.
int ScaleRound(int v, double scale)
{
    const double x = v * scale;
    const double r = x + (x >= 0 ? 0.5 : -0.5);
    return static_cast<int>(std::min(std::max(r, -2147483648.0), 2147483647.0));
}

// Below this magnitude no lifting step can leave the int range: a low step
// gives under 3 x 2^27 + 1, a high step under 5 x 2^27 + 2.
const double kSmallMagnitude = 1 << 28;

// The int lifting never leaves the range: nothing to saturate.
int Saturate(int v)
{
    return v;
}

// ScaleRound over a band, two samples at a time with the same double
// operations; true when every result is below kSmallMagnitude in magnitude.
bool ScaleBand(int* band, int count, double scale)
{
    const __m128d factor = _mm_set1_pd(scale);
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d lowest = _mm_set1_pd(-2147483648.0);
    const __m128d highest = _mm_set1_pd(2147483647.0);
    __m128d largest = _mm_setzero_pd();
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(band + i));
        const __m128d x = _mm_mul_pd(_mm_cvtepi32_pd(v), factor);
        const __m128d r = _mm_add_pd(x, _mm_or_pd(_mm_and_pd(x, sign), half));
        const __m128d clamped = _mm_min_pd(_mm_max_pd(r, lowest), highest);
        largest = _mm_max_pd(largest, _mm_andnot_pd(sign, clamped));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(band + i), _mm_cvttpd_epi32(clamped));
    }
    double both[2];
    _mm_storeu_pd(both, largest);
    bool small = both[0] < kSmallMagnitude && both[1] < kSmallMagnitude;
    if (i < count) {
        band[i] = ScaleRound(band[i], scale);
        small = small && band[i] > -kSmallMagnitude && band[i] < kSmallMagnitude;
    }
    return small;
}

// A 4 x 4 tile of ints transposed in registers: source row i becomes
// column i of the destination.
void Transpose4x4(const int* const src[4], int* const dst[4])
{
    auto load = [](const int* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    auto store = [](int* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); };
    const __m128i a = load(src[0]), b = load(src[1]), c = load(src[2]), d = load(src[3]);
    const __m128i ab01 = _mm_unpacklo_epi32(a, b), cd01 = _mm_unpacklo_epi32(c, d);
    const __m128i ab23 = _mm_unpackhi_epi32(a, b), cd23 = _mm_unpackhi_epi32(c, d);
    store(dst[0], _mm_unpacklo_epi64(ab01, cd01));
    store(dst[1], _mm_unpackhi_epi64(ab01, cd01));
    store(dst[2], _mm_unpacklo_epi64(ab23, cd23));
    store(dst[3], _mm_unpackhi_epi64(ab23, cd23));
}

// Columns 0 .. count - 1 (count at most 4) of h rows, stride apart, to
// count lines and back. Four columns go a 4 x 4 tile at a time instead of
// one strided access per entry.
void ColumnsToLines(const int* data, size_t stride, int h, int count, int* const lines[])
{
    int r = 0;
    for (; count == 4 && r + 4 <= h; r += 4) {
        const int* const rows[4] = {data + r * stride, data + (r + 1) * stride,
                                    data + (r + 2) * stride, data + (r + 3) * stride};
        int* const at[4] = {lines[0] + r, lines[1] + r, lines[2] + r, lines[3] + r};
        Transpose4x4(rows, at);
    }
    for (; r < h; ++r)
        for (int k = 0; k < count; ++k)
            lines[k][r] = data[r * stride + k];
}

void LinesToColumns(int* const lines[], int count, int h, int* data, size_t stride)
{
    int r = 0;
    for (; count == 4 && r + 4 <= h; r += 4) {
        const int* const at[4] = {lines[0] + r, lines[1] + r, lines[2] + r, lines[3] + r};
        int* const rows[4] = {data + r * stride, data + (r + 1) * stride, data + (r + 2) * stride,
                              data + (r + 3) * stride};
        Transpose4x4(at, rows);
    }
    for (; r < h; ++r)
        for (int k = 0; k < count; ++k)
            data[r * stride + k] = lines[k][r];
}

// A run of 1s along a mask line.
struct MaskRun {
    int start;
    int length;
};

// Room FindRuns needs for a line of length entries.
size_t RunRoom(int length)
{
    return static_cast<size_t>(length > 0 ? length : 0) / 2 + 2;
}

// Calls fn(start, length) for each run of 1s along mask, in order. Runs
// start and end irregularly, which would defeat the branch predictor entry by
// entry: their ends are found in a bit map of the line, 64 entries a word.
template <typename Fn>
void ForEachRun(const int* mask, int length, Fn fn)
{
    const __m128i ones = _mm_set1_epi32(1);
    int begin = -1;
    uint64_t carry = 0;  // the previous word's last bit
    for (int base = 0; base < length; base += 64) {
        const int n = std::min(64, length - base);
        uint64_t bits = 0;
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + base + i));
            const int equal = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(four, ones)));
            bits |= static_cast<uint64_t>(equal) << i;
        }
        for (; i < n; ++i)
            bits |= static_cast<uint64_t>(mask[base + i] == 1) << i;
        uint64_t edges = bits ^ (bits << 1 | carry);
        carry = bits >> 63;
        for (; edges != 0; edges &= edges - 1) {
            const int at = base + __builtin_ctzll(edges);
            if (begin < 0) {
                begin = at;
            } else {
                fn(begin, at - begin);
                begin = -1;
            }
        }
    }
    if (begin >= 0)
        fn(begin, length - begin);
}

// The runs of 1s along mask, in order; runs has RunRoom(length) entries.
int FindRuns(const int* mask, int length, MaskRun* runs)
{
    int count = 0;
    ForEachRun(mask, length, [&](int start, int run) { runs[count++] = {start, run}; });
    return count;
}

// The two lifting steps over a run, in Wide arithmetic: int64_t always
// holds the exact values, int does when every input is a small magnitude.
template <typename Wide>
void LiftRun(int* Out, const int* InL, const int* InH, int PosFlag, int Length)
{
    // Sample p of the run takes entry p / 2 of its band; low and high
    // samples alternate, the first being low when PosFlag is 0. A sample's
    // neighbours are p - 1 and p + 1; at an end of the run the one inside
    // stands for both. Interior samples skip the end tests.
    auto low = [&](int p, Wide left, Wide right) {
        Out[p] = Saturate(InL[p >> 1] - ((left + right + 2) >> 2));
    };
    auto high = [&](int p, Wide left, Wide right) {
        Out[p] = Saturate(InH[p >> 1] - ((-left - right + 1) >> 1));
    };
    auto lowAtEnd = [&](int p) {
        const Wide left = p > 0 ? InH[(p - 1) >> 1] : InH[(p + 1) >> 1];
        low(p, left, p + 1 < Length ? InH[(p + 1) >> 1] : left);
    };
    auto highAtEnd = [&](int p) {
        const Wide left = p > 0 ? Out[p - 1] : Out[p + 1];
        high(p, left, p + 1 < Length ? Out[p + 1] : left);
    };
    const int firstLow = PosFlag == 0 ? 0 : 1;
    int p = firstLow;
    if (p == 0) {
        lowAtEnd(0);
        p = 2;
    }
    for (; p + 1 < Length; p += 2)
        low(p, InH[(p - 1) >> 1], InH[(p + 1) >> 1]);
    if (p < Length)
        lowAtEnd(p);
    p = 1 - firstLow;
    if (p == 0) {
        highAtEnd(0);
        p = 2;
    }
    for (; p + 1 < Length; p += 2)
        high(p, Out[p - 1], Out[p + 1]);
    if (p < Length)
        highAtEnd(p);
}

// Runs of real photos: every band entry below 2^26 in magnitude, so every
// scaled entry below 1.4142 x 2^26 + 1 < kSmallMagnitude, and no product
// comes near the int range. Such runs take the paths below; they give
// exactly what ScaleBand and LiftRun<int> give.
const int kSmallEntry = 1 << 26;
// Longest run the vector lifting keeps its low and high samples for.
const int kVectorRun = 1024;

// Whether every entry seen is below kSmallEntry in magnitude: v ^ (v >> 31)
// is |v| for v >= 0 and |v| - 1 below, and their OR has no bit at or above
// 26 exactly when none of them has.
class SmallEntries {
public:
    // Eight entries a step into two registers, so the ORs do not wait on each other.
    void Add(const int* v, int count)
    {
        auto magnitude = [v](int i) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i));
            return _mm_xor_si128(four, _mm_srai_epi32(four, 31));
        };
        int i = 0;
        for (; i + 8 <= count; i += 8) {
            bits_ = _mm_or_si128(bits_, magnitude(i));
            more_ = _mm_or_si128(more_, magnitude(i + 4));
        }
        for (; i + 4 <= count; i += 4)
            bits_ = _mm_or_si128(bits_, magnitude(i));
        for (; i < count; ++i)
            tail_ |= static_cast<uint32_t>(v[i] ^ (v[i] >> 31));
    }
    // An upper bound of every magnitude seen.
    uint32_t Bound() const
    {
        __m128i bits = _mm_or_si128(bits_, more_);
        bits = _mm_or_si128(bits, _mm_shuffle_epi32(bits, _MM_SHUFFLE(1, 0, 3, 2)));
        bits = _mm_or_si128(bits, _mm_shuffle_epi32(bits, _MM_SHUFFLE(2, 3, 0, 1)));
        return (tail_ | static_cast<uint32_t>(_mm_cvtsi128_si32(bits))) + 1;
    }
    bool All() const { return Bound() <= static_cast<uint32_t>(kSmallEntry); }

private:
    __m128i bits_ = _mm_setzero_si128();
    __m128i more_ = _mm_setzero_si128();
    uint32_t tail_ = 0;
};

bool SmallBands(const int* low, int lowCount, const int* high, int highCount)
{
    SmallEntries entries;
    entries.Add(low, lowCount);
    entries.Add(high, highCount);
    return entries.All();
}

} // namespace

// ScaleSmallBand four entries to a register where the processor has AVX:
// the same double operations, twice as many at a time.
VEK_TARGET_AVX void ScaleSmallBandAvx(int* band, int count, double scale)
{
    const __m256d factor = _mm256_set1_pd(scale);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d sign = _mm256_set1_pd(-0.0);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(band + i));
        const __m256d x = _mm256_mul_pd(_mm256_cvtepi32_pd(v), factor);
        const __m256d r = _mm256_add_pd(x, _mm256_or_pd(_mm256_and_pd(x, sign), half));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(band + i), _mm256_cvttpd_epi32(r));
    }
    for (; i < count; ++i)
        band[i] = ScaleRound(band[i], scale);
}

// ScaleRound over a band of small entries, two at a time: the same double
// product and rounding, without the clamps they can never reach.
void ScaleSmallBandSse2(int* band, int count, double scale)
{
    const __m128d factor = _mm_set1_pd(scale);
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d sign = _mm_set1_pd(-0.0);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(band + i));
        const __m128d x0 = _mm_mul_pd(_mm_cvtepi32_pd(v), factor);
        const __m128d x1 = _mm_mul_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v)), factor);
        const __m128d r0 = _mm_add_pd(x0, _mm_or_pd(_mm_and_pd(x0, sign), half));
        const __m128d r1 = _mm_add_pd(x1, _mm_or_pd(_mm_and_pd(x1, sign), half));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(band + i),
                         _mm_unpacklo_epi64(_mm_cvttpd_epi32(r0), _mm_cvttpd_epi32(r1)));
    }
    for (; i < count; ++i)
        band[i] = ScaleRound(band[i], scale);
}

namespace {

const bool kHasAvx = Has_Avx();

void ScaleSmallBand(int* band, int count, double scale)
{
    if (kHasAvx)
        ScaleSmallBandAvx(band, count, scale);
    else
        ScaleSmallBandSse2(band, count, scale);
}

__m128i Load4(const int* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store4(int* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// The two neighbours of sample k of one kind among the count samples of the
// other kind along a run, k + offset and the one after it; at an end of the
// run the neighbour inside stands for both.
void RunNeighbours(int k, int offset, int count, int& left, int& right)
{
    left = k + offset;
    right = left + 1;
    if (left < 0)
        left = right;
    if (right >= count)
        right = left;
}

// LiftRun<int> four samples at a time: all low samples first, then all high
// ones, then the two interleaved into Out. Low sample k lies between high
// entries k + o and k + o + 1 (o = -1 when the run starts with a low sample),
// high sample k between low samples k + q and k + q + 1 (q = -1 when it
// starts with a high one); at an end of the run the neighbour inside stands
// for both, as in LiftRun.
void LiftSmallRun(int* Out, const int* InL, const int* InH, int PosFlag, int Length)
{
    const bool lowFirst = PosFlag == 0;
    const int highCount = lowFirst ? Length / 2 : (Length + 1) / 2;
    const int lowCount = Length - highCount;
    int lo[kVectorRun / 2 + 1], hi[kVectorRun / 2 + 1];
    const int o = lowFirst ? -1 : 0;
    const int q = lowFirst ? 0 : -1;
    auto lowAt = [&](int k) {
        int left, right;
        RunNeighbours(k, o, highCount, left, right);
        lo[k] = InL[k] - ((InH[left] + InH[right] + 2) >> 2);
    };
    auto highAt = [&](int k) {
        int left, right;
        RunNeighbours(k, q, lowCount, left, right);
        hi[k] = InH[k] - ((-lo[left] - lo[right] + 1) >> 1);
    };
    const __m128i two = _mm_set1_epi32(2), one = _mm_set1_epi32(1);
    // Interior low samples: k + o >= 0 and k + o + 1 < highCount.
    int k = 0;
    for (; k < -o; ++k)
        lowAt(k);
    for (const int end = std::min(lowCount, highCount - o - 1); k + 4 <= end; k += 4) {
        const __m128i sum = _mm_add_epi32(_mm_add_epi32(Load4(InH + k + o), Load4(InH + k + o + 1)), two);
        Store4(lo + k, _mm_sub_epi32(Load4(InL + k), _mm_srai_epi32(sum, 2)));
    }
    for (; k < lowCount; ++k)
        lowAt(k);
    // Interior high samples go straight to Out with their low partners (low
    // sample k pairs with high sample k, the first of the two being the
    // run's first kind); the others pair up after.
    const int* first = lowFirst ? lo : hi;
    const int* second = lowFirst ? hi : lo;
    const int pairs = std::min(lowCount, highCount);
    auto pairUp = [&](int k) {
        Out[2 * k] = first[k];
        Out[2 * k + 1] = second[k];
    };
    k = 0;
    for (; k < -q; ++k)
        highAt(k);
    const int interior = k;
    for (const int end = std::min(highCount, lowCount - q - 1); k + 4 <= end; k += 4) {
        const __m128i left = Load4(lo + k + q), right = Load4(lo + k + q + 1);
        const __m128i sum = _mm_sub_epi32(one, _mm_add_epi32(left, right));
        const __m128i high = _mm_sub_epi32(Load4(InH + k), _mm_srai_epi32(sum, 1));
        const __m128i low = lowFirst ? left : right;  // low samples k to k + 3
        const __m128i a = lowFirst ? low : high, b = lowFirst ? high : low;
        Store4(Out + 2 * k, _mm_unpacklo_epi32(a, b));
        Store4(Out + 2 * k + 4, _mm_unpackhi_epi32(a, b));
    }
    const int interiorEnd = k;
    for (; k < highCount; ++k)
        highAt(k);
    for (k = 0; k < interior; ++k)
        pairUp(k);
    for (k = interiorEnd; k < pairs; ++k)
        pairUp(k);
    if (Length & 1)
        Out[Length - 1] = first[pairs];
}

} // namespace

int Round(double x)
{
    double r = x >= 0 ? x + 0.5 : x - 0.5;
    if (r >= 9.2e18 || r <= -9.2e18)
        return r > 0 ? INT_MAX : INT_MIN;
    return Saturate(static_cast<int64_t>(r));
}

int SADWT1dOddSymInt_Mask(const int* InMaskBuf, int* OutMaskBuf, int Length, int Direction)
{
    const int half = Length / 2;
    for (int i = 0; i < half; ++i) {
        OutMaskBuf[i] = InMaskBuf[2 * i];
        OutMaskBuf[half + i] = InMaskBuf[2 * i + 1];
    }
    // Only lone pixels (runs of one) move.
    ForEachRun(InMaskBuf, Length, [&](int p, int run) {
        if (run != 1)
            return;
        const int k = p >> 1;
        const int v = OutMaskBuf[k];
        if (Direction == 1 && v == 0) {
            OutMaskBuf[k] = 1;
            OutMaskBuf[half + k] = MASK_MOVED_ROW;
        } else if (Direction == 2 && v == 0) {
            OutMaskBuf[k] = 1;
            OutMaskBuf[half + k] = MASK_MOVED_COL;
        } else if (Direction == 2 && v == MASK_MOVED_ROW) {
            OutMaskBuf[k] = 1;
            OutMaskBuf[half + k] = MASK_MOVED_COL_ROW;
        }
    });
    return 0;
}

namespace {

// SADWT1dOddSymInt_Mask along every column (direction 2) at once, a row at a
// time: a lone pixel sits at an odd row, with no pixel above or below it.
// Low rows are written over rows already read; the high rows wait in high
// (h / 2 x w ints), as the rows they replace are still to be read.
void DecomposeColumns(matrix_t* mask, int h, int w, int* high, const int* zeros)
{
    const int half = h / 2;
    for (int k = 0; k < half; ++k) {
        const int* even = mask->rows_[2 * k];
        const int* odd = mask->rows_[2 * k + 1];
        const int* next = 2 * k + 2 < h ? mask->rows_[2 * k + 2] : zeros;
        int* low = mask->rows_[k];  // row 2k itself when k is 0: read before written
        int* up = high + static_cast<size_t>(k) * w;
        for (int c = 0; c < w; ++c) {
            const int e = even[c];
            const int o = odd[c];
            const bool lone = o == 1 && e != 1 && next[c] != 1;
            const bool moves = lone && (e == 0 || e == MASK_MOVED_ROW);
            up[c] = moves ? (e == 0 ? MASK_MOVED_COL : MASK_MOVED_COL_ROW) : o;
            low[c] = moves ? 1 : e;
        }
    }
    for (int k = 0; k < half; ++k)
        std::memcpy(mask->rows_[half + k], high + static_cast<size_t>(k) * w, sizeof(int) * w);
}

} // namespace

void DecomposeOneLevelInt_Mask(matrix_t* OutMask, int level)
{
    const int h = OutMask->numrows_ >> (level - 1);
    const int w = OutMask->numcols_ >> (level - 1);
    if (h <= 0 || w <= 0)
        return;
    // A row's copy, then the high rows and a row of zeros for the columns.
    const size_t wide = static_cast<size_t>(w);
    int* work = static_cast<int*>(std::calloc(wide * (h / 2 + 2), sizeof(int)));
    if (!work)
        return;
    for (int r = 0; r < h; ++r) {
        std::memcpy(work, OutMask->rows_[r], sizeof(int) * w);
        SADWT1dOddSymInt_Mask(work, OutMask->rows_[r], w, 1);
    }
    DecomposeColumns(OutMask, h, w, work + wide, work + wide * (h / 2 + 1));
    std::free(work);
}

void do_IDWT_Mask(const matrix_t* InMask, int nLevels, matrix_t* OutMask)
{
    matrix_copy(OutMask, InMask);
    for (int l = 1; l <= nLevels; ++l)
        DecomposeOneLevelInt_Mask(OutMask, l);
}

int SynthesizeSegmentOddSymInt(int* Out, int* InL, int* InH, int PosFlag, int Length)
{
    if (Length == 1) {
        Out[0] = ScaleRound(InL[0], kLowScale);
        return 0;
    }
    const int highCount = PosFlag == 0 ? Length / 2 : (Length + 1) / 2;
    const int lowCount = Length - highCount;
    if (Length != 2 && Length <= kVectorRun && SmallBands(InL, lowCount, InH, highCount)) {
        ScaleSmallBand(InL, lowCount, kLowScale);
        ScaleSmallBand(InH, highCount, kHighScale);
        LiftSmallRun(Out, InL, InH, PosFlag, Length);
        return 0;
    }
    bool small = false;
    if (Length != 2) {
        const bool smallLow = ScaleBand(InL, lowCount, kLowScale);
        const bool smallHigh = ScaleBand(InH, highCount, kHighScale);
        small = smallLow && smallHigh;
    }
    if (small)
        LiftRun<int>(Out, InL, InH, PosFlag, Length);
    else
        LiftRun<int64_t>(Out, InL, InH, PosFlag, Length);
    return 0;
}

namespace {

// The mask half of a line's rebuild: low and high band entries back to their
// interleaved places, the markers turned back into the pixels they moved.
void RebuildMaskLine(const int* InMaskBuf, int* OutMaskBuf, int Length, int Direction)
{
    const int half = Length / 2;
    for (int i = 0; i < half; ++i) {
        const int lo = InMaskBuf[i];
        const int hi = InMaskBuf[half + i];
        if (hi < MASK_MOVED_ROW) {  // the common case: no marker
            OutMaskBuf[2 * i] = lo;
            OutMaskBuf[2 * i + 1] = hi;
        } else if (Direction == 1 && hi == MASK_MOVED_ROW) {
            OutMaskBuf[2 * i] = 0;
            OutMaskBuf[2 * i + 1] = 1;
        } else if (Direction == 2 && hi == MASK_MOVED_COL) {
            OutMaskBuf[2 * i] = 0;
            OutMaskBuf[2 * i + 1] = 1;
        } else if (Direction == 2 && hi == MASK_MOVED_COL_ROW) {
            OutMaskBuf[2 * i] = MASK_MOVED_ROW;
            OutMaskBuf[2 * i + 1] = 1;
        } else {
            OutMaskBuf[2 * i] = lo;
            OutMaskBuf[2 * i + 1] = hi;
        }
    }
}

// One line of the synthesis, InBuf holding its low band then its high band:
// the shape's runs come from their bands, every other sample becomes 0. A
// lone sample takes its low entry.
// Whether some run has two samples: those are lifted from unscaled entries.
bool HasPair(const MaskRun* runs, int count)
{
    for (int i = 0; i < count; ++i)
        if (runs[i].length == 2)
            return true;
    return false;
}

// small: every entry of the line is known to be below kSmallEntry in
// magnitude; otherwise the line is looked at.
void SynthesizeLine(int* InBuf, int* OutBuf, int Length, const MaskRun* runs, int count, bool small)
{
    std::fill(OutBuf, OutBuf + Length, 0);
    // Sample x of a run takes entry x / 2 of its band, so on a line of even
    // length no two runs share an entry: when all are small, the line is
    // scaled in one sweep per band instead of run by run, to the same values.
    const int half = Length / 2;
    if (count > 0 && Length % 2 == 0 && Length <= kVectorRun && !HasPair(runs, count) &&
        (small || SmallBands(InBuf, half, InBuf + half, half))) {
        ScaleSmallBand(InBuf, half, kLowScale);
        ScaleSmallBand(InBuf + half, half, kHighScale);
        for (int i = 0; i < count; ++i) {
            const int start = runs[i].start;
            if (runs[i].length == 1)
                OutBuf[start] = InBuf[start >> 1];
            else
                LiftSmallRun(OutBuf + start, InBuf + ((start + 1) >> 1), InBuf + half + (start >> 1),
                             start & 1, runs[i].length);
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int start = runs[i].start;
        const int run = runs[i].length;
        int* low = InBuf + (run == 1 ? start >> 1 : (start + 1) >> 1);
        int* high = InBuf + Length / 2 + (start >> 1);
        SynthesizeSegmentOddSymInt(OutBuf + start, low, high, start & 1, run);
    }
}

// Columns synthesised across instead of one by one: this many side by side,
// a row of them at a time.
const int kAcross = 8;

// SynthesizeLine's fast form on kAcross neighbouring columns that share
// their runs, done a row at a time: the same scaling and the same integer
// lifting of each column, without turning columns into lines and back. top
// holds the block's first row, stride apart; the columns' entries must all be
// small. work holds (h + h / 2 + 1) x kAcross ints.
void SynthesizeColumnsAcross(int* top, size_t stride, int h, const MaskRun* runs, int count, int* work)
{
    const int half = h / 2;
    int* in = work;  // the entries, row after row
    int* lo = work + static_cast<size_t>(h) * kAcross;
    auto row = [&](int r) { return top + r * stride; };
    auto copy = [](int* to, const int* from) { std::memcpy(to, from, sizeof(int) * kAcross); };
    for (int r = 0; r < h; ++r) {
        copy(in + r * kAcross, row(r));
        std::fill(row(r), row(r) + kAcross, 0);
    }
    ScaleSmallBand(in, half * kAcross, kLowScale);
    ScaleSmallBand(in + half * kAcross, half * kAcross, kHighScale);
    const __m128i two = _mm_set1_epi32(2), one = _mm_set1_epi32(1);
    for (int i = 0; i < count; ++i) {
        const int start = runs[i].start;
        const int length = runs[i].length;
        if (length == 1) {
            copy(row(start), in + (start >> 1) * kAcross);
            continue;
        }
        const bool lowFirst = (start & 1) == 0;
        const int highCount = lowFirst ? length / 2 : (length + 1) / 2;
        const int lowCount = length - highCount;
        const int* inLow = in + ((start + 1) >> 1) * kAcross;
        const int* inHigh = in + (half + (start >> 1)) * kAcross;
        // As in LiftSmallRun: low sample k between high samples k + o and
        // k + o + 1, high sample k between low samples k + q and k + q + 1.
        for (int k = 0; k < lowCount; ++k) {
            int left, right;
            RunNeighbours(k, lowFirst ? -1 : 0, highCount, left, right);
            const int* l = inLow + k * kAcross;
            const int* a = inHigh + left * kAcross;
            const int* b = inHigh + right * kAcross;
            int* out = lo + k * kAcross;
            int* shown = row(start + (lowFirst ? 2 * k : 2 * k + 1));
            for (int j = 0; j < kAcross; j += 4) {
                const __m128i sum = _mm_add_epi32(_mm_add_epi32(Load4(a + j), Load4(b + j)), two);
                const __m128i low = _mm_sub_epi32(Load4(l + j), _mm_srai_epi32(sum, 2));
                Store4(out + j, low);
                Store4(shown + j, low);
            }
        }
        for (int k = 0; k < highCount; ++k) {
            int left, right;
            RunNeighbours(k, lowFirst ? 0 : -1, lowCount, left, right);
            const int* hi = inHigh + k * kAcross;
            const int* a = lo + left * kAcross;
            const int* b = lo + right * kAcross;
            int* out = row(start + (lowFirst ? 2 * k + 1 : 2 * k));
            for (int j = 0; j < kAcross; j += 4) {
                const __m128i sum = _mm_sub_epi32(one, _mm_add_epi32(Load4(a + j), Load4(b + j)));
                Store4(out + j, _mm_sub_epi32(Load4(hi + j), _mm_srai_epi32(sum, 1)));
            }
        }
    }
}

} // namespace

int iSADWT1dOddSymInt(int* InBuf, const int* InMaskBuf, int* OutBuf, int* OutMaskBuf, int Length,
                      int Direction)
{
    if (Length <= 0)
        return 0;
    RebuildMaskLine(InMaskBuf, OutMaskBuf, Length, Direction);
    std::vector<MaskRun> runs(RunRoom(Length));
    const int count = FindRuns(OutMaskBuf, Length, runs.data());
    SynthesizeLine(InBuf, OutBuf, Length, runs.data(), count, false);
    return 0;
}

// Where the shape lies along every line the synthesis rebuilds, level by
// level from the coarsest, each level's columns then its rows. It follows
// from the mask alone, so all colours of a photo share one plan.
struct SynthesisPlan {
    int levels = 0;
    std::vector<MaskRun> runs;
    std::vector<size_t> lineEnd;  // one past each line's last run
    std::vector<MaskRun> scratch;  // the runs of the line being planned
};

namespace {

// The runs of the plan's line `line`.
std::pair<const MaskRun*, int> RunsOf(const SynthesisPlan& plan, size_t line)
{
    const size_t first = line == 0 ? 0 : plan.lineEnd[line - 1];
    return {plan.runs.data() + first, static_cast<int>(plan.lineEnd[line] - first)};
}

// Whether the count lines from `line` on all have the same runs.
bool LinesShareRuns(const SynthesisPlan& plan, size_t line, int count)
{
    const auto mine = RunsOf(plan, line);
    auto same = [](const MaskRun& a, const MaskRun& b) { return a.start == b.start && a.length == b.length; };
    for (int n = 1; n < count; ++n) {
        const auto other = RunsOf(plan, line + n);
        if (other.second != mine.second || !std::equal(mine.first, mine.first + mine.second, other.first, same))
            return false;
    }
    return true;
}

// The mask rebuild of one level, recording each line's runs of the shape.
void PlanOneLevel(SynthesisPlan& plan, matrix_t* mask, int level, int* in, int* out)
{
    const int h = mask->numrows_ >> (level - 1);
    const int w = mask->numcols_ >> (level - 1);
    std::vector<MaskRun>& found = plan.scratch;
    auto recordRuns = [&](const int* line, int length) {
        found.resize(RunRoom(length));
        const int count = FindRuns(line, length, found.data());
        plan.runs.insert(plan.runs.end(), found.begin(), found.begin() + count);
        plan.lineEnd.push_back(plan.runs.size());
    };
    const size_t stride = mask->numcols_;
    const size_t room = static_cast<size_t>(std::max(mask->numrows_, mask->numcols_)) + 1;
    int* const ins[4] = {in, in + room, in + 2 * room, in + 3 * room};
    int* const outs[4] = {out, out + room, out + 2 * room, out + 3 * room};
    for (int c = 0; c < w; c += 4) {
        const int count = std::min(4, w - c);
        ColumnsToLines(mask->data_ + c, stride, h, count, ins);
        for (int k = 0; k < count; ++k) {
            RebuildMaskLine(ins[k], outs[k], h, 2);
            recordRuns(outs[k], h);
        }
        LinesToColumns(outs, count, h, mask->data_ + c, stride);
    }
    for (int r = 0; r < h; ++r) {
        std::memcpy(in, mask->rows_[r], sizeof(int) * w);
        RebuildMaskLine(in, mask->rows_[r], w, 1);
        recordRuns(mask->rows_[r], w);
    }
}

// One level of the coefficient synthesis along the plan's lines, which
// start at *line. in and out hold four lines of the longest side each.
void SynthesizeOneLevelInt(const SynthesisPlan& plan, size_t* line, matrix_t* coeff, int level,
                           int* in, int* out, size_t longest)
{
    const int h = coeff->numrows_ >> (level - 1);
    const int w = coeff->numcols_ >> (level - 1);
    // The columns' entries, then the rows', are looked at once for the level:
    // when all are small, no line needs looking at.
    auto levelBound = [&] {
        SmallEntries entries;
        for (int r = 0; r < h; ++r)
            entries.Add(coeff->rows_[r], w);
        return entries.Bound();
    };
    const uint32_t bound = levelBound();
    bool small = bound <= static_cast<uint32_t>(kSmallEntry);
    auto synthesizeLine = [&](int* lineIn, int* lineOut, int length) {
        const auto runs = RunsOf(plan, (*line)++);
        SynthesizeLine(lineIn, lineOut, length, runs.first, runs.second, small);
    };
    int* const ins[4] = {in, in + longest, in + 2 * longest, in + 3 * longest};
    int* const outs[4] = {out, out + longest, out + 2 * longest, out + 3 * longest};
    const size_t stride = coeff->numcols_;
    // Neighbouring columns with the same runs (a rectangular shape, the
    // picture's margins) whose lines SynthesizeLine would take in one sweep
    // are synthesised across, kAcross at a time.
    auto acrossFits = [&](int c, const std::pair<const MaskRun*, int>& runs) {
        if (runs.second == 0)
            return true;
        if (h % 2 != 0 || h > kVectorRun || HasPair(runs.first, runs.second))
            return false;
        if (small)
            return true;
        SmallEntries entries;
        for (int r = 0; r < h; ++r)
            entries.Add(coeff->rows_[r] + c, kAcross);
        return entries.All();
    };
    for (int c = 0; c < w;) {
        const auto runs = RunsOf(plan, *line);
        if (w - c >= kAcross && LinesShareRuns(plan, *line, kAcross) && acrossFits(c, runs)) {
            SynthesizeColumnsAcross(coeff->data_ + c, stride, h, runs.first, runs.second, in);
            *line += kAcross;
            c += kAcross;
            continue;
        }
        const int count = std::min(4, w - c);
        ColumnsToLines(coeff->data_ + c, stride, h, count, ins);
        for (int k = 0; k < count; ++k)
            synthesizeLine(ins[k], outs[k], h);
        LinesToColumns(outs, count, h, coeff->data_ + c, stride);
        c += count;
    }
    // A pass leaves every magnitude below three times its inputs' bound
    // (and a few units): inputs up to 2^23 leave the rows small.
    small = bound <= static_cast<uint32_t>(kSmallEntry / 8) || levelBound() <= static_cast<uint32_t>(kSmallEntry);
    // A row is its own input line: the synthesis only scales entries in it
    // before the result replaces it.
    for (int r = 0; r < h; ++r) {
        synthesizeLine(coeff->rows_[r], out, w);
        std::memcpy(coeff->rows_[r], out, sizeof(int) * w);
    }
}

} // namespace

SynthesisPlan* Plan_Synthesis(const matrix_t* InMask, int nLevels, matrix_t* OutMask)
{
    const size_t longest = static_cast<size_t>(std::max(InMask->numrows_, InMask->numcols_)) + 1;
    try {
        std::vector<int> in(4 * longest), out(4 * longest);
        auto* plan = new SynthesisPlan;
        plan->levels = nLevels;
        // Each level has as many lines as its rows and columns; a photo's
        // outline crosses most lines once or twice.
        size_t lines = 0;
        for (int l = nLevels; l >= 1; --l)
            lines += static_cast<size_t>((InMask->numrows_ >> (l - 1)) + (InMask->numcols_ >> (l - 1)));
        plan->lineEnd.reserve(lines);
        plan->runs.reserve(2 * lines);
        plan->scratch.reserve(longest);
        matrix_copy(OutMask, InMask);
        for (int l = nLevels; l >= 1; --l)
            PlanOneLevel(*plan, OutMask, l, in.data(), out.data());
        return plan;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void Free_Synthesis_Plan(SynthesisPlan* plan)
{
    delete plan;
}

int Synthesize_Planned(const SynthesisPlan* plan, matrix_t* coeff)
{
    const size_t longest = static_cast<size_t>(std::max(coeff->numrows_, coeff->numcols_)) + 1;
    // Four lines in and four out, or a block of columns synthesised across.
    const size_t room = std::max<size_t>(4 * longest, (longest + longest / 2 + 1) * kAcross);
    int* in = static_cast<int*>(std::malloc(sizeof(int) * 2 * room));
    int* out = in + room;
    const int result = in ? 0 : -10;
    size_t line = 0;
    for (int l = plan->levels; l >= 1 && result == 0; --l)
        SynthesizeOneLevelInt(*plan, &line, coeff, l, in, out, longest);
    std::free(in);
    return result;
}

void SA_IDWT(const matrix_t* InData, const matrix_t* InMask, int nLevels, matrix_t* OutCoeff,
             matrix_t* OutMask)
{
    // OutCoeff may be InData: each entry is read before it is written.
    const int* mask = InMask->data_;
    const int* coeff = InData->data_;
    int* pixels = OutCoeff->data_;
    for (int i = 0, n = InMask->datasize_; i < n; ++i) {
        const int value = coeff[i];  // read unconditionally, so the loop vectorises
        pixels[i] = mask[i] >= 1 ? value : 0;
    }
    SynthesisPlan* plan = Plan_Synthesis(InMask, nLevels, OutMask);
    if (plan)
        Synthesize_Planned(plan, OutCoeff);
    Free_Synthesis_Plan(plan);
}
