// SPDX-License-Identifier: Apache-2.0
// Forward shape-adaptive 5/3 transform, the inverse of the decoder's SA_IDWT:
// pixels inside the mask become coefficients in the decoder's band layout.
#pragma once

#include <vector>

// pixels and mask are row-major planes of width x height (a multiple of
// 2^levels); mask holds 1 inside the shape. Returns the coefficient plane.
std::vector<int> Analyze_SA_DWT(const std::vector<int>& pixels, const std::vector<int>& mask,
                                int width, int height, int levels);

// One line: runs of mask value 1 are transformed, low band into the first
// half of out, high band into the second. out must hold n zeros.
void Analyze_Line(const int* in, const int* mask, int* out, int n);
