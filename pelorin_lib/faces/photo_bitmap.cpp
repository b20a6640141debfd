// SPDX-License-Identifier: Apache-2.0
#include "photo_bitmap.h"

#include <cstring>
#include <vector>

#include "common.h"
#include "pelorin_api.h"

namespace {

void put32(unsigned char* at, unsigned int value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

void writePhotoBitmapHeader(unsigned char* header)
{
    std::memset(header, 0, PHOTO_BITMAP_HEADER_SIZE);
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, HEAD_IMAGE_BMP_SIZE);
    put32(header + 10, PHOTO_BITMAP_HEADER_SIZE);
    put32(header + 14, 40);
    put32(header + 18, PHOTO_WIDTH);
    put32(header + 22, PHOTO_HEIGHT);
    header[26] = 1;
    header[28] = 24;
}

bool frameRasterAsPhotoBitmap(const unsigned char* raster, unsigned char* file)
{
    std::vector<unsigned char> bitmap(HEAD_IMAGE_BMP_SIZE, 0);
    writePhotoBitmapHeader(bitmap.data());
    int rowsSize = HEAD_IMAGE_BMP_SIZE - PHOTO_BITMAP_HEADER_SIZE;
    if (CCommon::Bgr2Bmp(bitmap.data() + PHOTO_BITMAP_HEADER_SIZE, rowsSize, raster, PHOTO_RASTER_SIZE,
                         PHOTO_WIDTH, PHOTO_HEIGHT) != 0)
        return false;
    std::memcpy(file, bitmap.data(), HEAD_IMAGE_BMP_SIZE);
    return true;
}
