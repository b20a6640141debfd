// SPDX-License-Identifier: Apache-2.0
// Where the shape lies along a line, as runs of 1s of its mask, and columns
// of a plane fetched as lines and put back. Both run once per line of every
// level for the mask and for each colour, so both work a register at a time:
// run ends come from a bit map of the line, columns move as 4 x 4 tiles.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "Intrinsics.h"

// A run of 1s along a mask line.
struct MaskRun {
    int start;
    int length;
};

// Room FindRuns needs for a line of length entries.
inline size_t RunRoom(int length)
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
inline int FindRuns(const int* mask, int length, MaskRun* runs)
{
    int count = 0;
    ForEachRun(mask, length, [&](int start, int run) { runs[count++] = {start, run}; });
    return count;
}

// Columns 0 .. count - 1 (count at most 4) of h rows, stride apart, to
// count lines and back. Four columns go a 4 x 4 tile at a time instead of
// one strided access per entry.
void ColumnsToLines(const int* data, size_t stride, int h, int count, int* const lines[]);
void LinesToColumns(int* const lines[], int count, int h, int* data, size_t stride);
