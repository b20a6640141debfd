// SPDX-License-Identifier: Apache-2.0
// Where the decoder's raster goes: the writers hand it over bottom row first,
// and its rows land straight in the caller's buffer, top row first.
#pragma once

#include <cstdint>

class RasterOut {
public:
    // rows rows of rowBytes bytes each.
    RasterOut(unsigned char* dst, int rowBytes, int rows) : dst_(dst), rowBytes_(rowBytes), rows_(rows) {}

    // size x num bytes of the raster, following those written before; bytes
    // past its end are counted and dropped. Returns the count taken.
    int Write(const void* source, int size, int num);
    bool Complete() const { return written_ >= (int64_t)rowBytes_ * rows_; }

private:
    unsigned char* dst_;
    int rowBytes_;
    int rows_;
    int64_t written_ = 0;
};

// The raster being written, for WRITE_memory; null between decodes.
void InitStream(RasterOut* out);
int WRITE_memory(void* source, int size, int num);
