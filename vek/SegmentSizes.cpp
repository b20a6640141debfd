// SPDX-License-Identifier: Apache-2.0
#include "SegmentSizes.h"

#include <cstdint>

int Colour_Segment_Sizes(int L, int n[3])
{
    // Worked in 64 bits; a stream whose sizes do not fit 32 bits is refused
    // rather than wrapped. Division truncates, as in 32-bit int arithmetic.
    const int64_t N = (int64_t)L - 4;
    const int64_t y = N * 85 / 100 + 10;
    const int64_t u = N * 8 / 100 + 10;
    const int64_t v = N - y - u + 30;
    const int64_t sizes[3] = {y, u, v};
    for (int k = 0; k < 3; ++k) {
        if (sizes[k] < 2 || sizes[k] > INT32_MAX)
            return 0;
        n[k] = (int)sizes[k];
    }
    return 1;
}
