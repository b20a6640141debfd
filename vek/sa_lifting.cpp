// SPDX-License-Identifier: Apache-2.0
// Scaling and lifting of one run: an exact path for any entries (64-bit
// lifting, saturated) and the fast path for small ones, which gives the same
// values from vector registers: doubles two or four at a time, ints four.
#include "sa_lifting.h"

#include "CpuFeatures.h"

#include <algorithm>
#include <climits>

namespace {

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

// ScaleSmallBand four entries to a register where the processor has AVX:
// the same double operations, twice as many at a time.
VEK_TARGET_AVX void ScaleSmallBandAvx(const int* from, int* to, int count, double scale)
{
    const __m256d factor = _mm256_set1_pd(scale);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d sign = _mm256_set1_pd(-0.0);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i v = Load4(from + i);
        const __m256d x = _mm256_mul_pd(_mm256_cvtepi32_pd(v), factor);
        const __m256d r = _mm256_add_pd(x, _mm256_or_pd(_mm256_and_pd(x, sign), half));
        Store4(to + i, _mm256_cvttpd_epi32(r));
    }
    for (; i < count; ++i)
        to[i] = ScaleRound(from[i], scale);
}

// ScaleRound over a band of small entries, two at a time: the same double
// product and rounding, without the clamps they can never reach.
void ScaleSmallBandSse2(const int* from, int* to, int count, double scale)
{
    const __m128d factor = _mm_set1_pd(scale);
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d sign = _mm_set1_pd(-0.0);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i v = Load4(from + i);
        const __m128d x0 = _mm_mul_pd(_mm_cvtepi32_pd(v), factor);
        const __m128d x1 = _mm_mul_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v)), factor);
        const __m128d r0 = _mm_add_pd(x0, _mm_or_pd(_mm_and_pd(x0, sign), half));
        const __m128d r1 = _mm_add_pd(x1, _mm_or_pd(_mm_and_pd(x1, sign), half));
        Store4(to + i, _mm_unpacklo_epi64(_mm_cvttpd_epi32(r0), _mm_cvttpd_epi32(r1)));
    }
    for (; i < count; ++i)
        to[i] = ScaleRound(from[i], scale);
}

const bool kScaleWithAvx = Has_Avx();


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
        lo[k] = LowStep(InL[k], InH[left], InH[right]);
    };
    auto highAt = [&](int k) {
        int left, right;
        RunNeighbours(k, q, lowCount, left, right);
        hi[k] = HighStep(InH[k], lo[left], lo[right]);
    };
    // Interior low samples: k + o >= 0 and k + o + 1 < highCount.
    int k = 0;
    for (; k < -o; ++k)
        lowAt(k);
    for (const int end = std::min(lowCount, highCount - o - 1); k + 4 <= end; k += 4) {
        Store4(lo + k, LowStep(Load4(InL + k), Load4(InH + k + o), Load4(InH + k + o + 1)));
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
        const __m128i high = HighStep(Load4(InH + k), left, right);
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

int Round(double x)
{
    double r = x >= 0 ? x + 0.5 : x - 0.5;
    if (r >= 9.2e18 || r <= -9.2e18)
        return r > 0 ? INT_MAX : INT_MIN;
    return Saturate(static_cast<int64_t>(r));
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
        ScaleSmallBand(InL, InL, lowCount, kLowScale);
        ScaleSmallBand(InH, InH, highCount, kHighScale);
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
