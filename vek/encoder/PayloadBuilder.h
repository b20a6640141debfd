// SPDX-License-Identifier: Apache-2.0
// Assembles card photo payloads: mask segment, object length, colour
// segments, then scrambling into the 1024-byte form stored on the card.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common_struct.h"

typedef std::vector<uint8_t> Bytes;

// One closed contour: start point and absolute direction codes (0..7),
// one per step. With no steps the start code is still coded (as 0).
struct MaskContour {
    int x_init = 0;
    int y_init = 0;
    std::vector<int> codes;
};

struct MaskContent {
    int back = 0;        // 1: four-corner gradient from points
    VERTEX points[4] = {};
    PIXEL clrmean = {};
    std::vector<MaskContour> contours;
    int neck = 0;        // coded only when there is a contour
};

// The arithmetic-coded mask segment (starting with "o").
Bytes Encode_Mask_Segment(const MaskContent& mask);

// Configuration byte: colour count, face model, wavelet levels.
uint8_t Config_Byte(int colours, int face_model, int level);

struct PayloadContent {
    uint8_t config = 0;
    Bytes mask_segment;  // written with its length when the face model is 1..3
    int object_length = 4;
    // Per colour: the initial bit plane byte followed by the coded segment.
    // Each is laid into the slot that the object length gives it, cut or
    // padded with zeros.
    std::vector<Bytes> colour_segments;
};

// Smallest object length whose colour slots hold the given sizes.
int Object_Length_For(const std::vector<size_t>& sizes);

// The 1014-byte coded stream (cut or zero-padded to that size).
Bytes Build_Coded_Stream(const PayloadContent& content);
// Card payload: 10 leading bytes (filler), then the stream XOR 0xC5.
Bytes Scramble_Payload(const Bytes& coded_stream, uint8_t filler = 0);
Bytes Build_Payload(const PayloadContent& content);
