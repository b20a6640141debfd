// SPDX-License-Identifier: Apache-2.0
// Zero-tree encoder: the mirror of the decoder's passes. Given one colour's
// coefficients and the shape in the wavelet domain, it produces the colour
// segment (initial bit plane byte, then the coded segment) that the decoder
// reads back, coding every bit plane down to 0.
#pragma once

#include <cstdint>
#include <vector>

struct ZeroTreePlanes {
    int width = 0;   // sample width
    int height = 0;  // sample height
    int level = 0;
    std::vector<int> coeff;  // row-major, width x height
    std::vector<int> fmask;  // decomposed mask; 1 marks a coded coefficient
};

// One coded symbol, in coding order, with the coefficient as the decoder
// holds it once the symbol is applied.
struct ZeroTreeEvent {
    int model;  // 0..5: m0..m5
    int symbol;
    int row;
    int col;
    int value;
};

struct ZeroTreeCode {
    std::vector<uint8_t> segment;  // bit plane byte + "o" + code
    int initial_plane = 0;
    std::vector<ZeroTreeEvent> events;
};

ZeroTreeCode Encode_Zero_Tree(const ZeroTreePlanes& planes);
