#include "sa_idwt.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <emmintrin.h>

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

// Length of the run of 1s in mask starting at start. Outside the shape it
// is called at every entry, so a non-run costs one test; runs inside a shape
// are long, so four entries are compared at a time.
inline int RunLength(const int* mask, int start, int length)
{
    if (start >= length || mask[start] != 1)
        return 0;
    const __m128i ones = _mm_set1_epi32(1);
    int end = start + 1;
    for (; end + 4 <= length; end += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + end));
        const int equal = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(four, ones)));
        if (equal != 0xF)
            return end + __builtin_ctz(~equal) - start;
    }
    while (end < length && mask[end] == 1)
        ++end;
    return end - start;
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
    for (int p = 0; p < Length;) {
        int run = RunLength(InMaskBuf, p, Length);
        if (run == 0) {
            ++p;
            continue;
        }
        if (run == 1) {
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
        }
        p += run;
    }
    return 0;
}

void DecomposeOneLevelInt_Mask(matrix_t* OutMask, int level)
{
    const int h = OutMask->numrows_ >> (level - 1);
    const int w = OutMask->numcols_ >> (level - 1);
    const int longest = h > w ? h : w;
    int* in = static_cast<int*>(std::malloc(sizeof(int) * (longest > 0 ? longest : 1)));
    int* out = static_cast<int*>(std::malloc(sizeof(int) * (longest > 0 ? longest : 1)));
    if (in && out) {
        for (int r = 0; r < h; ++r) {
            std::memcpy(in, OutMask->rows_[r], sizeof(int) * w);
            SADWT1dOddSymInt_Mask(in, OutMask->rows_[r], w, 1);
        }
        for (int c = 0; c < w; ++c) {
            for (int r = 0; r < h; ++r)
                in[r] = OutMask->rows_[r][c];
            SADWT1dOddSymInt_Mask(in, out, h, 2);
            for (int r = 0; r < h; ++r)
                OutMask->rows_[r][c] = out[r];
        }
    }
    std::free(in);
    std::free(out);
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

int iSADWT1dOddSymInt(int* InBuf, const int* InMaskBuf, int* OutBuf, int* OutMaskBuf, int Length,
                      int Direction)
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
    for (int s = 0; s < Length;) {
        const int run = RunLength(OutMaskBuf, s, Length);
        if (run == 0) {
            OutBuf[s++] = 0;  // outside the shape
            continue;
        }
        int* low = InBuf + (run == 1 ? s >> 1 : (s + 1) >> 1);
        int* high = InBuf + half + (s >> 1);
        const int result = SynthesizeSegmentOddSymInt(OutBuf + s, low, high, s & 1, run);
        if (result != 0)
            return result;
        s += run;
    }
    return 0;
}

int SynthesizeOneLevelInt(matrix_t* OutCoeff, matrix_t* OutMask, int level)
{
    const int h = OutCoeff->numrows_ >> (level - 1);
    const int w = OutCoeff->numcols_ >> (level - 1);
    const size_t longest = static_cast<size_t>(h > w ? h : w) + 1;
    int* in = static_cast<int*>(std::malloc(sizeof(int) * longest));
    int* inMask = static_cast<int*>(std::malloc(sizeof(int) * longest));
    int* out = static_cast<int*>(std::malloc(sizeof(int) * longest));
    int* outMask = static_cast<int*>(std::malloc(sizeof(int) * longest));
    int result = 0;
    if (!in || !inMask || !out || !outMask) {
        result = -10;
    } else {
        // Columns first: the reverse of the decomposition order. A line of
        // zeros in both planes (outside the shape) comes out unchanged.
        // Both planes are laid out row after row from data_.
        const size_t coeffStride = OutCoeff->numcols_;
        const size_t maskStride = OutMask->numcols_;
        for (int c = 0; c < w; ++c) {
            int* coeffColumn = OutCoeff->data_ + c;
            int* maskColumn = OutMask->data_ + c;
            int any = 0;
            for (int r = 0; r < h; ++r) {
                in[r] = coeffColumn[r * coeffStride];
                inMask[r] = maskColumn[r * maskStride];
                any |= in[r] | inMask[r];
            }
            if (any == 0)
                continue;
            iSADWT1dOddSymInt(in, inMask, out, outMask, h, 2);
            for (int r = 0; r < h; ++r) {
                coeffColumn[r * coeffStride] = out[r];
                maskColumn[r * maskStride] = outMask[r];
            }
        }
        auto zero = [](int v) { return v == 0; };
        for (int r = 0; r < h; ++r) {
            const int* coeffRow = OutCoeff->rows_[r];
            const int* maskRow = OutMask->rows_[r];
            if (std::all_of(maskRow, maskRow + w, zero) && std::all_of(coeffRow, coeffRow + w, zero))
                continue;
            std::memcpy(in, coeffRow, sizeof(int) * w);
            std::memcpy(inMask, maskRow, sizeof(int) * w);
            iSADWT1dOddSymInt(in, inMask, OutCoeff->rows_[r], OutMask->rows_[r], w, 1);
        }
    }
    std::free(in);
    std::free(inMask);
    std::free(out);
    std::free(outMask);
    return result;
}

void SA_IDWT(const matrix_t* InData, const matrix_t* InMask, int nLevels, matrix_t* OutCoeff,
             matrix_t* OutMask)
{
    const int* mask = InMask->data_;
    const int* coeff = InData->data_;
    int* out = OutCoeff->data_;
    for (int i = 0, n = InMask->datasize_; i < n; ++i) {
        if (mask[i] >= 1)
            out[i] = coeff[i];
    }
    matrix_copy(OutMask, InMask);
    for (int l = nLevels; l >= 1; --l)
        SynthesizeOneLevelInt(OutCoeff, OutMask, l);
}
