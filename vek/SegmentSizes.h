// SPDX-License-Identifier: Apache-2.0
// Sizes of the colour segments, derived from the object length alone.
#pragma once

// Fills n[0..2] with the Y, U and V segment sizes (each counting its
// bit-plane byte) for object length L. Returns 0 when a size falls outside
// 2 .. 2^31-1: such a segment cannot hold its bit-plane byte and "o".
int Colour_Segment_Sizes(int L, int n[3]);
