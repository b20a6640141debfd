// SPDX-License-Identifier: Apache-2.0
// Columns of a plane as lines and back, four at a time through registers:
// a strided access per entry would cost more than the lifting itself.
#include "sa_lines.h"

namespace {

// A 4 x 4 tile of ints transposed in registers: source row i becomes
// column i of the destination.
void Transpose4x4(const int* const src[4], int* const dst[4])
{
    auto load = [](const int* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    auto store = [](int* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); };
    const __m128i a = load(src[0]), b = load(src[1]), c = load(src[2]), d = load(src[3]);
    const __m128i ab01 = _mm_unpacklo_epi32(a, b), cd01 = _mm_unpacklo_epi32(c, d);
    const __m128i ab23 = _mm_unpackhi_epi32(a, b), cd23 = _mm_unpackhi_epi32(c, d);
    store(dst[0], _mm_unpacklo_epi64(ab01, cd01));
    store(dst[1], _mm_unpackhi_epi64(ab01, cd01));
    store(dst[2], _mm_unpacklo_epi64(ab23, cd23));
    store(dst[3], _mm_unpackhi_epi64(ab23, cd23));
}

} // namespace

void ColumnsToLines(const int* data, size_t stride, int h, int count, int* const lines[])
{
    int r = 0;
    for (; count == 4 && r + 4 <= h; r += 4) {
        const int* const rows[4] = {data + r * stride, data + (r + 1) * stride,
                                    data + (r + 2) * stride, data + (r + 3) * stride};
        int* const at[4] = {lines[0] + r, lines[1] + r, lines[2] + r, lines[3] + r};
        Transpose4x4(rows, at);
    }
    for (; r < h; ++r)
        for (int k = 0; k < count; ++k)
            lines[k][r] = data[r * stride + k];
}

void LinesToColumns(int* const lines[], int count, int h, int* data, size_t stride)
{
    int r = 0;
    for (; count == 4 && r + 4 <= h; r += 4) {
        const int* const at[4] = {lines[0] + r, lines[1] + r, lines[2] + r, lines[3] + r};
        int* const rows[4] = {data + r * stride, data + (r + 1) * stride, data + (r + 2) * stride,
                              data + (r + 3) * stride};
        Transpose4x4(at, rows);
    }
    for (; r < h; ++r)
        for (int k = 0; k < count; ++k)
            data[r * stride + k] = lines[k][r];
}
