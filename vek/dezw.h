// SPDX-License-Identifier: Apache-2.0
// The decompress sequence and its stages; README.md maps each stage to its module.
#pragma once

#include "common_struct.h"

class AritDecoder;

void decompress(common_ptr info);

// Shape mask.
void DMask(common_ptr info);
void DFaceMask(AritDecoder* decode, PIXEL** data, char** buf, int& back, VERTEX* points,
               PIXEL* clrmean, int width, int height, int bits, int thr, int* model,
               int* mask_area_ratio);

// Wavelet stages.
void Init_Wavelet(common_ptr info);  // allocates SMask and FMask (int, sample size)
void Term_Wavelet(common_ptr info);
void FormFMask(common_ptr info);
// The active colour's coefficients (A) become its pixels, not yet clamped.
void DWavelet(common_ptr info);

// Zero-tree coefficient decoding of every colour.
void ObjDecompress(common_ptr info, int mask, int& len);
// The six symbol models of every colour.
void Init_Model(common_ptr info);
void Term_Model(common_ptr info);
