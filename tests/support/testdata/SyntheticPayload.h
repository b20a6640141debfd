// SPDX-License-Identifier: Apache-2.0
// Payloads shaped like card photos: a head-and-shoulders outline, a
// background, and wavelet coefficients whose size falls off from the low
// band to the finest level, coded with the byte budget a card leaves.
#pragma once

#include "PayloadBuilder.h"

// Outline as chain code through the given corner points (closed: the last
// point leads back to the first), 8-connected steps.
MaskContour Chain_Through(const std::vector<VERTEX>& corners);

MaskContour Head_And_Shoulders_Outline();

// gradient: background from four corners instead of a flat colour.
Bytes Synthetic_Payload(unsigned seed, bool gradient, int level = 4);
