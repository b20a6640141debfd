// SPDX-License-Identifier: Apache-2.0
#include "Color.h"

#include "CpuFeatures.h"
#include "Interpolation.h"
#include "Intrinsics.h"
#include "MemManage.h"
#include "Seam.h"

#include <cstdlib>
#include <cstring>

namespace {

int ClampByte(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

void AllocateComponent(common_ptr info, color_ptr color)
{
    color->A = reinterpret_cast<int**>(MallocBuf(info->sample_width, info->sample_height, 32));
    // The significance flags are cleared when the colour's decoding begins.
    color->C = reinterpret_cast<UCHR**>(MallocBufUncleared(info->sample_width, info->sample_height, 8));
}

void FreeComponent(color_ptr color)
{
    FreeBuf(reinterpret_cast<void**>(color->A));
    FreeBuf(reinterpret_cast<void**>(color->C));
}

// Corners 0 to 2 at (0, 0) are absent; corner 3 always counts.
int BackgroundPolygon(const common_struct& info, VERTEX* polygon)
{
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        if (info.points[i].x != 0 || info.points[i].y != 0)
            polygon[count++] = info.points[i];
    }
    polygon[count++] = info.points[3];
    return count;
}

} // namespace

void Init_Color(common_ptr info)
{
    auto* block = static_cast<color_ptr>(std::calloc(3, sizeof(color_struct)));
    for (int k = 0; k < info->color_number; ++k) {
        info->color[k] = block + k;
        AllocateComponent(info, info->color[k]);
    }
}

void Term_Color(common_ptr info)
{
    if (!info->color[0])
        return;
    color_ptr block = info->color[0];
    for (int k = 0; k < 3; ++k) {
        if (info->color[k])
            FreeComponent(info->color[k]);
        info->color[k] = nullptr;
    }
    std::free(block);
}

namespace {

// What a colour and the decode record share while the colour is active.
template <class From, class To>
void CopyColourState(const From& from, To& to)
{
    to.A = from.A;
    to.C = from.C;
    to.t = from.t;
    to.bound = from.bound;
    to.m0 = from.m0;
    to.m1 = from.m1;
    to.m2 = from.m2;
    to.m3 = from.m3;
    to.m4 = from.m4;
    to.m5 = from.m5;
    to.pl = from.pl;
}

} // namespace

void Active_Color(common_ptr info, color_ptr color)
{
    CopyColourState(*color, *info);
}

void DeActive_Color(common_ptr info, color_ptr color)
{
    CopyColourState(*info, *color);
}

void yuv2rgb(int y, int u, int v, int* r, int* g, int* b)
{
    *r = ClampByte(static_cast<int>(1.402 * (v - 128) + y));
    *g = ClampByte(static_cast<int>((y - 0.34414 * (u - 128)) - 0.71414 * (v - 128)));
    *b = ClampByte(static_cast<int>(1.772 * (u - 128) + y));
}

namespace {

// Four pixels clamped to 0..255 (the saturating packs are the clamps).
__m128i Clamp4(const int* p)
{
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(four, four), four);
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
}

// The same double operations as yuv2rgb on two lanes: ints to doubles,
// products, sums, truncated back to ints.
struct Lanes {
    __m128d lo, hi;
};

Lanes ToDouble(__m128i v)
{
    return {_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v))};
}

Lanes Times(double k, const Lanes& a)
{
    const __m128d f = _mm_set1_pd(k);
    return {_mm_mul_pd(f, a.lo), _mm_mul_pd(f, a.hi)};
}

Lanes Plus(const Lanes& a, const Lanes& b) { return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)}; }
Lanes Minus(const Lanes& a, const Lanes& b) { return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)}; }

__m128i Truncate(const Lanes& a)
{
    return _mm_unpacklo_epi64(_mm_cvttpd_epi32(a.lo), _mm_cvttpd_epi32(a.hi));
}

// Four pixels' r, g and b (ints that fit 16 bits, so the saturating packs
// are the clamps) stored as bytes. Two pixels go out in one 8-byte store, its
// last two bytes written over by the pixel after them: the callers leave at
// least one pixel to the end.
void StoreFour(unsigned char* out, __m128i r, __m128i g, __m128i b)
{
    const __m128i low32 = _mm_set_epi32(0, -1, 0, -1);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(r, g), _mm_packs_epi32(b, b));  // r0..r3 g0..g3 b0..b3
    // One pixel a 32-bit lane (r | g << 8 | b << 16), then two a 64-bit lane.
    const __m128i redGreen = _mm_unpacklo_epi8(bytes, _mm_srli_si128(bytes, 4));
    const __m128i blue = _mm_unpacklo_epi8(_mm_srli_si128(bytes, 8), _mm_setzero_si128());
    const __m128i pixels = _mm_unpacklo_epi16(redGreen, blue);
    const __m128i pairs =
        _mm_or_si128(_mm_and_si128(pixels, low32), _mm_slli_epi64(_mm_srli_epi64(pixels, 32), 24));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), pairs);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 6), _mm_unpackhi_epi64(pairs, pairs));
}

void EmergeOneByOne(unsigned char* pImage, int x, int width, const int* pY, const int* pU, const int* pV)
{
    for (; x < width; ++x) {
        int r, g, b;
        yuv2rgb(ClampByte(pY[x]), ClampByte(pU[x]), ClampByte(pV[x]), &r, &g, &b);
        pImage[3 * x] = static_cast<unsigned char>(r);
        pImage[3 * x + 1] = static_cast<unsigned char>(g);
        pImage[3 * x + 2] = static_cast<unsigned char>(b);
    }
}

} // namespace

void Emerge_Color_Sse2(unsigned char* pImage, int width, const int* pY, const int* pU, const int* pV)
{
    const __m128i bias = _mm_set1_epi32(128);
    int x = 0;
    for (; x + 4 < width; x += 4) {
        const Lanes y = ToDouble(Clamp4(pY + x));
        const Lanes u = ToDouble(_mm_sub_epi32(Clamp4(pU + x), bias));
        const Lanes v = ToDouble(_mm_sub_epi32(Clamp4(pV + x), bias));
        const __m128i r = Truncate(Plus(Times(1.402, v), y));
        const __m128i g = Truncate(Minus(Minus(y, Times(0.34414, u)), Times(0.71414, v)));
        const __m128i b = Truncate(Plus(Times(1.772, u), y));
        StoreFour(pImage + 3 * x, r, g, b);
    }
    EmergeOneByOne(pImage, x, width, pY, pU, pV);
}

namespace {

// Clamp4 with the minimum and maximum that come with AVX.
VEK_TARGET_AVX __m128i ClampAvx(const int* p)
{
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return _mm_min_epi32(_mm_max_epi32(four, _mm_setzero_si128()), _mm_set1_epi32(255));
}

} // namespace

VEK_TARGET_AVX void Emerge_Color_Avx(unsigned char* pImage, int width, const int* pY, const int* pU, const int* pV)
{
    const __m128i bias = _mm_set1_epi32(128);
    int x = 0;
    for (; x + 4 < width; x += 4) {
        const __m256d y = _mm256_cvtepi32_pd(ClampAvx(pY + x));
        const __m256d u = _mm256_cvtepi32_pd(_mm_sub_epi32(ClampAvx(pU + x), bias));
        const __m256d v = _mm256_cvtepi32_pd(_mm_sub_epi32(ClampAvx(pV + x), bias));
        const __m128i r = _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(1.402), v), y));
        const __m128i g = _mm256_cvttpd_epi32(_mm256_sub_pd(
            _mm256_sub_pd(y, _mm256_mul_pd(_mm256_set1_pd(0.34414), u)), _mm256_mul_pd(_mm256_set1_pd(0.71414), v)));
        const __m128i b = _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(1.772), u), y));
        StoreFour(pImage + 3 * x, r, g, b);
    }
    // The compiler leaves the upper halves dirty before a tail call, and every
    // SSE instruction after it would pay for that.
    _mm256_zeroupper();
    EmergeOneByOne(pImage, x, width, pY, pU, pV);
}

namespace {
const bool kHasAvx = Has_Avx();
}

void Emerge_Color(unsigned char* pImage, int width, const int* pY, const int* pU, const int* pV)
{
    if (kHasAvx)
        Emerge_Color_Avx(pImage, width, pY, pU, pV);
    else
        Emerge_Color_Sse2(pImage, width, pY, pU, pV);
}

void Init_Write_Raw(common_ptr info)
{
    info->write_raw = info->color_number == 1 ? Write_Gray_Raw : Write_Color_Raw;
}

void Write_Color_Raw(common_ptr info)
{
    const int width = info->image_width;
    const int height = info->image_height;
    auto** picture = reinterpret_cast<UCHR**>(MallocBufUncleared(width, height, 24));
    // What the pixels outside the object show: the painted background, or one
    // row of the mean colour for every row.
    auto** background = reinterpret_cast<UCHR**>(MallocBuf(width, info->back ? height : 1, 24));
    if (info->back) {
        VERTEX polygon[4];
        const int count = BackgroundPolygon(*info, polygon);
        interpolation(background, width, height, polygon, count);
    } else {
        for (int c = 0; c < width; ++c)
            std::memcpy(background[0] + 3 * c, &info->clrmean, 3);
    }
    const MaskBits mask(info->SMask, width, height);
    const color_ptr* color = info->color;
    for (int r = 0; r < height; ++r) {
        const UCHR* shown = background[info->back ? r : 0];
        UCHR* out = picture[r];
        // A run at a time: the object's pixels converted, the others copied.
        for (int c = 0; c < width;) {
            const int end = mask.RunEnd(r, c);
            if (mask.Inside(r, c))
                Emerge_Color(out + 3 * c, end - c, color[0]->A[r] + c, color[1]->A[r] + c, color[2]->A[r] + c);
            else
                std::memcpy(out + 3 * c, shown + 3 * c, 3 * static_cast<size_t>(end - c));
            c = end;
        }
    }
    SoftenSeam(picture, mask);
    info->Write(picture[0], height, 3 * width);
    FreeBuf(reinterpret_cast<void**>(picture));
    FreeBuf(reinterpret_cast<void**>(background));
}

// Grey photos are presented as grey RGB pixels (each byte three times), so
// the raster has the same layout as a colour one. No mask or background.
void Write_Gray_Raw(common_ptr info)
{
    const int width = info->image_width;
    auto* row = static_cast<UCHR*>(std::malloc(static_cast<size_t>(width) * 3));
    for (int r = 0; r < info->image_height; ++r) {
        for (int c = 0; c < width; ++c) {
            const UCHR grey = static_cast<UCHR>(ClampByte(info->color[0]->A[r][c]));
            row[3 * c] = row[3 * c + 1] = row[3 * c + 2] = grey;
        }
        info->Write(row, 1, 3 * width);
    }
    std::free(row);
}
