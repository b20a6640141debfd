// SPDX-License-Identifier: Apache-2.0
#include "Seam.h"

#include "Intrinsics.h"

MaskBits::MaskBits(int** mask, int width, int height)
    : width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      words_((width_ + 63) / 64),
      bits_(static_cast<size_t>(height_) * words_, 0)
{
    const __m128i zero = _mm_setzero_si128();
    for (int r = 0; r < height_; ++r) {
        const int* m = mask[r];
        uint64_t* out = bits_.data() + static_cast<size_t>(r) * words_;
        int c = 0;
        for (; c + 16 <= width_; c += 16) {  // sixteen flags a byte each, then a bit each
            __m128i inside[4];
            for (int k = 0; k < 4; ++k)
                inside[k] = _mm_cmpgt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m + c + 4 * k)), zero);
            const __m128i bytes =
                _mm_packs_epi16(_mm_packs_epi32(inside[0], inside[1]), _mm_packs_epi32(inside[2], inside[3]));
            out[c >> 6] |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(bytes))) << (c & 63);
        }
        for (; c < width_; ++c)
            out[c >> 6] |= static_cast<uint64_t>(m[c] > 0) << (c & 63);
    }
}

int MaskBits::RunEnd(int r, int c) const
{
    const uint64_t* row = Row(r);
    const uint64_t flip = Inside(r, c) ? ~0ULL : 0;  // the bits that differ from c's are then set
    for (int at = c + 1; at < width_; at = (at | 63) + 1) {
        const uint64_t differ = (row[at >> 6] ^ flip) >> (at & 63);
        if (differ != 0)  // bits past the width are 0: an inside run ends there at the latest
            return at + __builtin_ctzll(differ);
    }
    return width_;
}

uint64_t MaskBits::SeamWord(int r, int i) const
{
    const uint64_t* up = Row(r - 1);
    const uint64_t* row = Row(r);
    const uint64_t* down = Row(r + 1);
    auto column = [&](int j) { return j < 0 || j >= words_ ? 0 : up[j] | row[j] | down[j]; };
    const uint64_t col = column(i);
    const uint64_t near = col | col << 1 | col >> 1 | column(i - 1) >> 63 | column(i + 1) << 63;
    // Only columns 1 .. width - 2 are softened.
    uint64_t interior = i == 0 ? ~1ULL : ~0ULL;
    const int top = width_ - 2 - 64 * i;  // the last such column's bit in this word
    if (top < 0)
        interior = 0;
    else if (top < 63)
        interior &= (2ULL << top) - 1;
    return near & ~row[i] & interior;
}

void SoftenSeam(UCHR** picture, const MaskBits& mask)
{
    for (int r = 1; r < mask.Height() - 1; ++r) {
        // Rows through locals: a byte store may alias the row pointers.
        const UCHR* above = picture[r - 1];
        UCHR* here = picture[r];
        const UCHR* below = picture[r + 1];
        mask.ForEachSeamPixel(r, [&](int c) {
            for (int k = 3 * c - 3; k < 3 * c; ++k) {
                int sum = 0;
                for (int dc = 0; dc <= 6; dc += 3)
                    sum += above[k + dc] + here[k + dc] + below[k + dc];
                here[k + 3] = static_cast<UCHR>(sum / 9);
            }
        });
    }
}
