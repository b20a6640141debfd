// SPDX-License-Identifier: Apache-2.0
// Drawn sample portraits for invented cards: a 102 x 126 bitmap file of a
// head and shoulders, built from a few parameters so each card looks different.
#pragma once

#include <cstdint>
#include <vector>

namespace kvssample {

struct Rgb {
    uint8_t r, g, b;
};

enum class HairStyle { Short, Long, Bun, Receding };

struct FaceLook {
    Rgb background;
    Rgb skin;
    Rgb hair;
    Rgb shirt;
    Rgb iris;
    HairStyle hairStyle;
    bool glasses;
    bool beard;
};

constexpr int kPhotoWidth = 102;
constexpr int kPhotoHeight = 126;
constexpr int kPhotoRowBytes = 308;  // 102 pixels of 3 bytes, padded to 4
constexpr int kPhotoHeaderBytes = 54;
constexpr int kPhotoFileBytes = kPhotoHeaderBytes + kPhotoRowBytes * kPhotoHeight;  // 38862

// The portrait as 102 x 126 pixels, top row first, red-green-blue each:
// the form the photo encoder takes.
std::vector<uint8_t> drawPortraitRgb(const FaceLook& look);

// The same portrait as a complete 24-bit bitmap file (bottom-up rows,
// blue-green-red).
std::vector<uint8_t> drawPortraitBitmap(const FaceLook& look);

}  // namespace kvssample
