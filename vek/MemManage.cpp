// SPDX-License-Identifier: Apache-2.0
#include "MemManage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Vek.h"

// Staging array through which segments are copied, at most 65,535 bytes a piece.
static const int PIECE = 65535;
static unsigned char buf[PIECE];

// The cursor never moves further than this; everything past the payload reads as zero.
static const int CURSOR_LIMIT = 1 << 30;

void** MallocBuf(int width, int height, int bits)
{
    const int rows = std::max(height, 1);
    const size_t row_bytes = ((size_t)std::max(width, 0) * bits + 7) / 8;
    // The row pointers and the rows in one zeroed block: planes are made
    // per colour and per stage, and each allocation counts in a decode.
    const size_t pointers = rows * sizeof(void*);
    unsigned char* block = (unsigned char*)calloc(pointers + std::max<size_t>(rows * row_bytes, 1), 1);
    void** f = (void**)block;
    for (int i = 0; i < rows; ++i)
        f[i] = block + pointers + i * row_bytes;
    return f;
}

void FreeBuf(void** f)
{
    free(f);
}

static void Advance_cursor(int64_t n)
{
    MemIndex = (int)std::min<int64_t>((int64_t)MemIndex + n, CURSOR_LIMIT);
}

int RD_file(void* obj, int size, int num)
{
    unsigned char* out = static_cast<unsigned char*>(obj);
    const int64_t start = MemIndex;
    for (int i = 0; i < size; ++i) {
        const int64_t at = start + i;
        out[i] = at < PAYLOAD_SIZE ? newbuffer[at] : 0;
    }
    Advance_cursor(size);
    return size * num;
}

int Read(common_ptr info, void* obj, int size, int num)
{
    const int n = info->Read(obj, size, num);
    info->cur_length = (int)std::min<int64_t>((int64_t)info->cur_length + n, INT32_MAX);
    return size * num;
}

int Read_Int32(common_ptr info)
{
    unsigned char b[4];
    Read(info, b, 4, 1);
    return (int)((uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24);
}

void Skip_stream(common_ptr info, int n)
{
    if (n < 1)
        return;
    Advance_cursor(n);
    info->cur_length = (int)std::min<int64_t>((int64_t)info->cur_length + n, INT32_MAX);
}

void Init_IO(common_ptr info)
{
    info->cur_length = 0;
}

int Buf_Stream_Size(common_ptr info)
{
    return info->image_width * info->image_height * 3;
}

void Init_buf_stream(common_ptr info)
{
    info->buf_stream = (UCHR*)calloc(Buf_Stream_Size(info), 1);
}

void Term_buf_stream(common_ptr info)
{
    free(info->buf_stream);
    info->buf_stream = nullptr;
}

void Write_buf_stream(common_ptr info, unsigned char* buf_stream, int buf_length)
{
    const int stored = std::min(buf_length, Buf_Stream_Size(info));
    for (int done = 0; done < stored;) {
        const int piece = std::min(stored - done, PIECE);
        Read(info, buf, piece, 1);
        memcpy(buf_stream + done, buf, piece);
        done += piece;
    }
    Skip_stream(info, buf_length - stored);
}

void Write_buf_stream(common_ptr info, unsigned char* buf_stream, int* buf_length)
{
    *buf_length = Read_Int32(info);
    Write_buf_stream(info, buf_stream, *buf_length);
}
