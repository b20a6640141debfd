// SPDX-License-Identifier: Apache-2.0
// The mask as bits: runs and seam pixels on rows wider than one word.
#include "MemManage.h"
#include "Seam.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

// Random sparse objects on 130-wide rows (three words, the last one partly
// used): every run ends where the mask changes, and the seam pixels are
// exactly the background pixels off the edges whose 3 x 3 block touches the
// object, left to right.
TEST(MaskBits, RunsAndSeamsMatchThePixelsOnEitherSideOfEveryWord)
{
    const int width = 130, height = 6;
    std::mt19937 rng(3);
    for (int trial = 0; trial < 40; ++trial) {
        int** mask = reinterpret_cast<int**>(MallocBuf(width, height, 32));
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                mask[r][c] = rng() % (2 + trial % 6) == 0 ? 1 : 0;
        const MaskBits bits(mask, width, height);
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                int end = c + 1;
                while (end < width && mask[r][end] == mask[r][c])
                    ++end;
                ASSERT_EQ(end, bits.RunEnd(r, c)) << "trial " << trial << " at " << r << "," << c;
            }
            std::vector<int> expected, found;
            for (int c = 1; r > 0 && r < height - 1 && c < width - 1; ++c) {
                bool touches = false;
                for (int dr = -1; dr <= 1; ++dr)
                    for (int dc = -1; dc <= 1; ++dc)
                        touches |= mask[r + dr][c + dc] == 1;
                if (mask[r][c] == 0 && touches)
                    expected.push_back(c);
            }
            bits.ForEachSeamPixel(r, [&](int c) { found.push_back(c); });
            ASSERT_EQ(expected, found) << "trial " << trial << " row " << r;
        }
        FreeBuf(reinterpret_cast<void**>(mask));
    }
}
