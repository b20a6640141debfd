// SPDX-License-Identifier: Apache-2.0
// The two 5/3 lifting steps along one run of the shape, and the scaling of
// the bands before them: the innermost work of the synthesis, done for every
// run of every line of every level and colour. Entries of real photos are
// small (below 2^26), which lets the double scaling go a register at a time
// and the lifting stay in 32-bit lanes; other entries take exact paths.
#pragma once

#include <cstdint>

#include "Intrinsics.h"

#include "sa_idwt.h"

const double kLowScale = 0.7071;
const double kHighScale = 1.4142;

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
            Add4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i)));
        for (; i < count; ++i)
            Add1(v[i]);
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
    void Add4(__m128i four) { bits_ = _mm_or_si128(bits_, _mm_xor_si128(four, _mm_srai_epi32(four, 31))); }
    void Add1(int v) { tail_ |= static_cast<uint32_t>(v ^ (v >> 31)); }

private:
    __m128i bits_ = _mm_setzero_si128();
    __m128i more_ = _mm_setzero_si128();
    uint32_t tail_ = 0;
};

inline bool SmallBands(const int* low, int lowCount, const int* high, int highCount)
{
    SmallEntries entries;
    entries.Add(low, lowCount);
    entries.Add(high, highCount);
    return entries.All();
}

inline __m128i Load4(const int* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store4(int* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Whether four ORed entries were all 0.
inline bool IsZero(__m128i bits) { return _mm_movemask_epi8(_mm_cmpeq_epi32(bits, _mm_setzero_si128())) == 0xFFFF; }

// Whether all count entries are 0, stopping at the first that is not: a
// line of detail usually shows it in its first entries.
inline bool AllZero(const int* v, int count)
{
    int i = 0;
    for (; i + 8 <= count; i += 8)
        if (!IsZero(_mm_or_si128(Load4(v + i), Load4(v + i + 4))))
            return false;
    for (; i < count; ++i)
        if (v[i] != 0)
            return false;
    return true;
}

// The two neighbours of sample k of one kind among the count samples of the
// other kind along a run, k + offset and the one after it; at an end of the
// run the neighbour inside stands for both.
inline void RunNeighbours(int k, int offset, int count, int& left, int& right)
{
    left = k + offset;
    right = left + 1;
    if (left < 0)
        left = right;
    if (right >= count)
        right = left;
}

// The two lifting steps of one sample of small entries from its two
// neighbours, for one sample (int) or four side by side (__m128i), as in
// LiftRun<int>: a low sample between two high ones, a high one between two low.
inline int LowStep(int l, int a, int b) { return l - ((a + b + 2) >> 2); }
inline int HighStep(int h, int a, int b) { return h - ((1 - (a + b)) >> 1); }
inline __m128i LowStep(__m128i l, __m128i a, __m128i b)
{
    return _mm_sub_epi32(l, _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(a, b), _mm_set1_epi32(2)), 2));
}
inline __m128i HighStep(__m128i h, __m128i a, __m128i b)
{
    return _mm_sub_epi32(h, _mm_srai_epi32(_mm_sub_epi32(_mm_set1_epi32(1), _mm_add_epi32(a, b)), 1));
}

// Whether the processor has AVX, looked up once when the decoder is loaded.
extern const bool kScaleWithAvx;

// Round(entry x scale) over a band of small entries, from `from` into `to`
// (which may be `from`), with the widest registers the processor has.
// Inline: it runs for every line.
inline void ScaleSmallBand(const int* from, int* to, int count, double scale)
{
    if (kScaleWithAvx)
        ScaleSmallBandAvx(from, to, count, scale);
    else
        ScaleSmallBandSse2(from, to, count, scale);
}

// LiftRun<int> four samples at a time: all low samples first, then all high
// ones, then the two interleaved into Out. Low sample k lies between high
// entries k + o and k + o + 1 (o = -1 when the run starts with a low sample),
// high sample k between low samples k + q and k + q + 1 (q = -1 when it
// starts with a high one); at an end of the run the neighbour inside stands
// for both, as in LiftRun.
void LiftSmallRun(int* Out, const int* InL, const int* InH, int PosFlag, int Length);
