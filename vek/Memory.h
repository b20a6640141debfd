// SPDX-License-Identifier: Apache-2.0
// Growable in-memory output stream that receives the raster.
#pragma once

#include <cstdint>

class CMemory {
public:
    unsigned char* mem_source;
    int64_t cur_position;
    int64_t end_position;
    int64_t buf_length;

    void mopen(void* source, int length, const char* flag);
    void mclose();
    int mwrite(void* source, int size, int num);
};

extern CMemory* pIn;
extern CMemory* pOut;

void InitStream(void* In, void* Out);
int WRITE_memory(void* source, int size, int num);
