// SPDX-License-Identifier: Apache-2.0
// The holder's photo as the 38862-byte bitmap file of the public records,
// built from the decoder's bare raster.
#pragma once

enum {
    PHOTO_WIDTH = 102,
    PHOTO_HEIGHT = 126,
    PHOTO_RASTER_SIZE = PHOTO_WIDTH * PHOTO_HEIGHT * 3,  // 38556
    PHOTO_BITMAP_HEADER_SIZE = 54,
};

// Writes the 54-byte file and information header of the photo bitmap.
void writePhotoBitmapHeader(unsigned char* header);
// Frames a 38556-byte raster (bottom row first, red, green, blue) as the
// complete bitmap file at file (38862 bytes). False when framing fails;
// file is then not written.
bool frameRasterAsPhotoBitmap(const unsigned char* raster, unsigned char* file);
