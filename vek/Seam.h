// SPDX-License-Identifier: Apache-2.0
// The object's outline in the picture. The mask is held as bits, 64 pixels a
// word, so that the object's runs and the background pixels that touch it
// are found with a few word operations a row instead of a look at every pixel.
#pragma once

#include "common_struct.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class MaskBits {
public:
    // The picture's width x height mask (0 outside, 1 inside the object).
    MaskBits(int** mask, int width, int height);

    int Height() const { return height_; }
    bool Inside(int r, int c) const { return (Row(r)[c >> 6] >> (c & 63)) & 1; }
    // The first pixel after c in row r that is not on c's side of the outline
    // (width when there is none).
    int RunEnd(int r, int c) const;
    // Calls seam(c) for the background pixels of row r, not at the picture's
    // edges, whose 3 x 3 block reaches into the object, from left to right.
    template <typename Fn>
    void ForEachSeamPixel(int r, Fn seam) const;

private:
    const uint64_t* Row(int r) const { return bits_.data() + static_cast<size_t>(r) * words_; }
    uint64_t SeamWord(int r, int i) const;

    int width_;
    int height_;
    int words_;
    std::vector<uint64_t> bits_;
};

template <typename Fn>
void MaskBits::ForEachSeamPixel(int r, Fn seam) const
{
    if (r < 1 || r >= height_ - 1)
        return;
    for (int i = 0; i < words_; ++i)
        for (uint64_t w = SeamWord(r, i); w != 0; w &= w - 1)
            seam(64 * i + __builtin_ctzll(w));
}

// Background pixels next to the object become the mean of their 3 x 3 block,
// in place, so the seam between photo and painted background is not hard.
// Pixels are softened row by row, left to right: each sees its softened
// neighbours above and to its left.
void SoftenSeam(UCHR** picture, const MaskBits& mask);
