// SPDX-License-Identifier: Apache-2.0
#include "Memory.h"

#include <cstdlib>
#include <cstring>

CMemory* pIn = nullptr;
CMemory* pOut = nullptr;

void CMemory::mopen(void* source, int length, const char*)
{
    mem_source = static_cast<unsigned char*>(source);
    cur_position = 0;
    end_position = length;
    buf_length = length;
}

// The storage passes to whoever takes mem_source.
void CMemory::mclose() {}

int CMemory::mwrite(void* source, int size, int num)
{
    const int64_t n = (int64_t)size * num;
    if (n <= 0)
        return 0;
    if (cur_position + n > end_position)
        end_position = cur_position + n;
    if (buf_length < end_position) {
        const int64_t grown = end_position + 65536;
        unsigned char* p = (unsigned char*)realloc(mem_source, grown);
        if (!p) {
            end_position = cur_position;  // nothing written
            return 0;
        }
        mem_source = p;
        buf_length = grown;
    }
    memcpy(mem_source + cur_position, source, n);
    cur_position += n;
    return (int)n;
}

void InitStream(void* In, void* Out)
{
    pIn = static_cast<CMemory*>(In);
    pOut = static_cast<CMemory*>(Out);
}

int WRITE_memory(void* source, int size, int num)
{
    return pOut->mwrite(source, size, num);
}
