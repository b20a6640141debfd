// SPDX-License-Identifier: Apache-2.0
// Shape-adaptive integer 5/3 wavelet: the mask decomposition that tells the
// coefficient decoder which wavelet positions belong to the shape, and the
// inverse transform that turns decoded coefficients back into pixels.
#pragma once

#include "Matrix.h"

#include <cstdint>

// Mask markers left in a high band where a lone odd pixel moved to the low band.
enum {
    MASK_MOVED_ROW = 128,      // horizontal step
    MASK_MOVED_COL = 129,      // vertical step, even position was outside
    MASK_MOVED_COL_ROW = 130,  // vertical step, even position held MASK_MOVED_ROW
};

void do_IDWT_Mask(const matrix_t* InMask, int nLevels, matrix_t* OutMask);
int SADWT1dOddSymInt_Mask(const int* InMaskBuf, int* OutMaskBuf, int Length, int Direction);

// Rebuilds the mask into OutMask and the coefficients into OutCoeff.
void SA_IDWT(const matrix_t* InData, const matrix_t* InMask, int nLevels, matrix_t* OutCoeff,
             matrix_t* OutMask);

// SA_IDWT in two steps, so that the colours of one photo share the mask's
// half of the work: the plan (the mask rebuild, left in OutMask; null when
// memory runs out) and the synthesis of one plane along it, in place (0, or
// -10 when memory runs out). The plane's entries outside the shape (where the
// decomposed mask is below 1) must be 0, as the decoder leaves them.
struct SynthesisPlan;
SynthesisPlan* Plan_Synthesis(const matrix_t* InMask, int nLevels, matrix_t* OutMask);
void Free_Synthesis_Plan(SynthesisPlan* plan);
// bound: no entry of the plane is above it in magnitude (kUnknownBound when
// not known): levels it shows small need not be looked at.
const uint64_t kUnknownBound = UINT64_MAX;
int Synthesize_Planned(const SynthesisPlan* plan, matrix_t* coeff, uint64_t bound = kUnknownBound);
int iSADWT1dOddSymInt(int* InBuf, const int* InMaskBuf, int* OutBuf, int* OutMaskBuf, int Length,
                      int Direction);
int SynthesizeSegmentOddSymInt(int* Out, int* InL, int* InH, int PosFlag, int Length);

// x + 0.5 (or x - 0.5 below zero) truncated towards zero.
int Round(double x);

// Round(entry x scale) from `from` into `to` (which may be `from`) for a
// band whose entries are all below 2^26 in magnitude: the SSE2 form, and the
// AVX form for processors that have it (Has_Avx); the decoder picks one when
// it is loaded.
void ScaleSmallBandSse2(const int* from, int* to, int count, double scale);
void ScaleSmallBandAvx(const int* from, int* to, int count, double scale);
