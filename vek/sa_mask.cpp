// SPDX-License-Identifier: Apache-2.0
// The shape mask decomposed through the transform's levels, once per photo:
// which wavelet positions the coefficient decoder reads. Whole rows at once
// where the steps allow it, so that the loops vectorise and lone pixels cost
// no branch per entry.
#include "Intrinsics.h"
#include "sa_idwt.h"
#include "sa_lines.h"

#include <cstdlib>
#include <cstring>

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

// SADWT1dOddSymInt_Mask along a line of even length w (direction 1), from in
// to out, four pairs a register: a lone pixel that moves sits at an odd
// position, with 0 before it and no pixel after it.
void SplitRow(const int* in, int* out, int w)
{
    const int half = w / 2;
    int* low = out;
    int* high = out + half;
    const __m128i one = _mm_set1_epi32(1);
    const __m128i moved = _mm_set1_epi32(MASK_MOVED_ROW);
    int k = 0;
    for (; 2 * k + 8 < w; k += 4) {  // in[2k + 8]: the entry after the four pairs
        const __m128 a = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * k)));
        const __m128 b = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * k + 4)));
        const __m128i e = _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128i o = _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
        const __m128i n = _mm_or_si128(_mm_srli_si128(e, 4), _mm_slli_si128(_mm_cvtsi32_si128(in[2 * k + 8]), 12));
        const __m128i lone = _mm_and_si128(_mm_cmpeq_epi32(o, one), _mm_cmpeq_epi32(e, _mm_setzero_si128()));
        const __m128i moves = _mm_andnot_si128(_mm_cmpeq_epi32(n, one), lone);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(low + k), _mm_or_si128(e, _mm_and_si128(moves, one)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(high + k),
                         _mm_or_si128(_mm_and_si128(moves, moved), _mm_andnot_si128(moves, o)));
    }
    for (; k < half; ++k) {
        const int e = in[2 * k];
        const int o = in[2 * k + 1];
        const bool moves = o == 1 && e == 0 && (2 * k + 2 == w || in[2 * k + 2] != 1);
        low[k] = moves ? 1 : e;
        high[k] = moves ? MASK_MOVED_ROW : o;
    }
}

// SADWT1dOddSymInt_Mask along every column (direction 2) at once, a row at a
// time: a lone pixel sits at an odd row, with no pixel above or below it.
// Low rows are written over rows already read; the high rows wait in high
// (h / 2 x w ints), as the rows they replace are still to be read.
void DecomposeColumns(matrix_t* mask, int h, int w, int* high, const int* zeros)
{
    static_assert(MASK_MOVED_COL + 1 == MASK_MOVED_COL_ROW, "the marker is one below where the even entry was 0");
    const __m128i one = _mm_set1_epi32(1);
    const int half = h / 2;
    for (int k = 0; k < half; ++k) {
        const int* even = mask->rows_[2 * k];
        const int* odd = mask->rows_[2 * k + 1];
        const int* next = 2 * k + 2 < h ? mask->rows_[2 * k + 2] : zeros;
        int* low = mask->rows_[k];  // row 2k itself when k is 0: read before written
        int* up = high + static_cast<size_t>(k) * w;
        int c = 0;
        for (; c + 4 <= w; c += 4) {
            const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(even + c));
            const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(odd + c));
            const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i*>(next + c));
            const __m128i empty = _mm_cmpeq_epi32(e, _mm_setzero_si128());
            const __m128i movable = _mm_or_si128(empty, _mm_cmpeq_epi32(e, _mm_set1_epi32(MASK_MOVED_ROW)));
            const __m128i lone = _mm_andnot_si128(_mm_cmpeq_epi32(n, one), _mm_cmpeq_epi32(o, one));
            const __m128i moves = _mm_and_si128(lone, movable);
            const __m128i marker = _mm_add_epi32(_mm_set1_epi32(MASK_MOVED_COL_ROW), empty);  // empty: -1
            _mm_storeu_si128(reinterpret_cast<__m128i*>(up + c),
                             _mm_or_si128(_mm_and_si128(moves, marker), _mm_andnot_si128(moves, o)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(low + c),
                             _mm_or_si128(_mm_and_si128(moves, one), _mm_andnot_si128(moves, e)));
        }
        for (; c < w; ++c) {
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

// Room for one level's work: a row's copy, the high rows, a row of zeros.
struct LevelWork {
    int* row;
    int* high;
    const int* zeros;
};

// One level, rows then columns, in place in the mask's top left h x w, or,
// for the first level, from the picture's mask (in, of the same size).
void DecomposeOneLevelInt_Mask(const matrix_t* in, matrix_t* mask, int h, int w, const LevelWork& work)
{
    for (int r = 0; r < h; ++r) {
        int* row = mask->rows_[r];
        if (in) {
            SplitRow(in->rows_[r], row, w);
            continue;
        }
        std::memcpy(work.row, row, sizeof(int) * w);
        if (w % 2 == 0)
            SplitRow(work.row, row, w);
        else
            SADWT1dOddSymInt_Mask(work.row, row, w, 1);
    }
    DecomposeColumns(mask, h, w, work.high, work.zeros);
}

} // namespace

void do_IDWT_Mask(const matrix_t* InMask, int nLevels, matrix_t* OutMask)
{
    const int h = OutMask->numrows_;
    const int w = OutMask->numcols_;
    const size_t wide = static_cast<size_t>(w > 0 ? w : 0);
    int* block = nLevels >= 1 && h > 0 && w > 0 ? static_cast<int*>(std::calloc(wide * (h / 2 + 2), sizeof(int)))
                                                : nullptr;
    // The first level reads the picture's mask itself when its lines are of
    // even length; otherwise the mask is copied first.
    const bool direct = block && w % 2 == 0 && InMask->numrows_ == h && InMask->numcols_ == w;
    if (!direct)
        matrix_copy(OutMask, InMask);
    if (!block)
        return;
    const LevelWork work = {block, block + wide, block + wide * (h / 2 + 1)};
    for (int l = 1; l <= nLevels; ++l) {
        const int hl = h >> (l - 1);
        const int wl = w >> (l - 1);
        if (hl <= 0 || wl <= 0)
            break;
        DecomposeOneLevelInt_Mask(l == 1 && direct ? InMask : nullptr, OutMask, hl, wl, work);
    }
    std::free(block);
}
