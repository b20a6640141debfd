// SPDX-License-Identifier: Apache-2.0
// Colour components and the raster writers.
#pragma once

#include "common_struct.h"

void Init_Color(common_ptr info);
void Term_Color(common_ptr info);
void Active_Color(common_ptr info, color_ptr color);
void DeActive_Color(common_ptr info, color_ptr color);

// Chooses write_raw by colour count.
void Init_Write_Raw(common_ptr info);
// The picture from the colours' pixels (A), clamped to bytes, inside the mask
// and the background outside it.
void Write_Color_Raw(common_ptr info);
void Write_Gray_Raw(common_ptr info);

// One pixel, in double precision: truncated, then clamped to 0..255.
void yuv2rgb(int y, int u, int v, int* r, int* g, int* b);
// One row of width pixels from the Y, U and V planes' pixels, each clamped to
// 0..255 first, as r, g, b: the AVX form where the processor has it, else the
// SSE2 form (the same double operations).
void Emerge_Color(unsigned char* pImage, int width, const int* pY, const int* pU, const int* pV);
void Emerge_Color_Sse2(unsigned char* pImage, int width, const int* pY, const int* pU, const int* pV);
void Emerge_Color_Avx(unsigned char* pImage, int width, const int* pY, const int* pU, const int* pV);
