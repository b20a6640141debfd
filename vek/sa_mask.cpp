// SPDX-License-Identifier: Apache-2.0
// The shape mask decomposed through the transform's levels, once per photo:
// which wavelet positions the coefficient decoder reads. Whole rows at once
// where the steps allow it, so that the loops vectorise and lone pixels cost
// no branch per entry.
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
