// SPDX-License-Identifier: Apache-2.0
// Planes (row pointers and rows in one block, kept for reuse) and the
// decoder's input stream over the payload.
#include "MemManage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "Vek.h"

// Staging array through which segments are copied, at most 65,535 bytes a piece.
static const int PIECE = 65535;
static unsigned char buf[PIECE];

// The cursor never moves further than this; everything past the payload reads as zero.
static const int CURSOR_LIMIT = 1 << 30;

namespace {

// Planes come and go a dozen times a decode, in the same few sizes. Freed
// blocks are kept for the next request of their size, so that decodes do not
// grow and trim the heap (system calls and page faults) every time; the
// blocks kept are few and their bytes bounded.
const int KEPT_BLOCKS = 24;
const size_t KEPT_BYTES = 2 << 20;

// Each block opens with its size, then the row pointers, then the rows.
const size_t HEAD = 16;

// Constant-initialised and without a destructor: planes may be freed into it
// until the very end; Free_Kept_Planes empties it.
struct KeptBlocks {
    std::mutex lock;
    unsigned char* block[KEPT_BLOCKS] = {};
    size_t bytes = 0;
    int count = 0;
};

KeptBlocks s_kept;

size_t BlockSize(const unsigned char* block)
{
    size_t size;
    memcpy(&size, block, sizeof size);
    return size;
}

unsigned char* TakeBlock(size_t size, bool cleared)
{
    {
        std::lock_guard<std::mutex> hold(s_kept.lock);
        for (int i = s_kept.count - 1; i >= 0; --i) {
            unsigned char* block = s_kept.block[i];
            if (BlockSize(block) != size)
                continue;
            s_kept.block[i] = s_kept.block[--s_kept.count];
            s_kept.bytes -= size;
            if (cleared)
                memset(block + HEAD, 0, size - HEAD);
            return block;
        }
    }
    unsigned char* block = (unsigned char*)(cleared ? calloc(size, 1) : malloc(size));
    if (block)
        memcpy(block, &size, sizeof size);
    return block;
}

void GiveBlock(unsigned char* block)
{
    const size_t size = BlockSize(block);
    {
        std::lock_guard<std::mutex> hold(s_kept.lock);
        if (s_kept.count < KEPT_BLOCKS && s_kept.bytes + size <= KEPT_BYTES) {
            s_kept.block[s_kept.count++] = block;
            s_kept.bytes += size;
            return;
        }
    }
    free(block);
}

} // namespace

void Free_Kept_Planes()
{
    std::lock_guard<std::mutex> hold(s_kept.lock);
    while (s_kept.count > 0)
        free(s_kept.block[--s_kept.count]);
    s_kept.bytes = 0;
}

static void** Allocate_Plane(int width, int height, int bits, bool cleared)
{
    const int rows = std::max(height, 1);
    const size_t row_bytes = ((size_t)std::max(width, 0) * bits + 7) / 8;
    // The row pointers and the rows in one block: planes are made per colour
    // and per stage, and each allocation counts in a decode.
    const size_t pointers = rows * sizeof(void*);
    unsigned char* block = TakeBlock(HEAD + pointers + std::max<size_t>(rows * row_bytes, 1), cleared);
    if (!block)
        return nullptr;
    void** f = (void**)(block + HEAD);
    for (int i = 0; i < rows; ++i)
        f[i] = block + HEAD + pointers + i * row_bytes;
    return f;
}

void** MallocBuf(int width, int height, int bits)
{
    return Allocate_Plane(width, height, bits, true);
}

void** MallocBufUncleared(int width, int height, int bits)
{
    return Allocate_Plane(width, height, bits, false);
}

void* MallocBlock(size_t bytes)
{
    void** plane = MallocBufUncleared((int)bytes, 1, 8);
    return plane ? plane[0] : nullptr;
}

void FreeBlock(void* block)
{
    // The plane's one row follows its one row pointer.
    if (block)
        FreeBuf((void**)block - 1);
}

void FreeBuf(void** f)
{
    if (f)
        GiveBlock((unsigned char*)f - HEAD);
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
    // A kept block like the planes' (the heap would consolidate for a block
    // this size on every decode), not cleared: a segment's decoder reads only
    // the bytes stored for it.
    info->buf_stream = (UCHR*)MallocBlock(Buf_Stream_Size(info));
}

void Term_buf_stream(common_ptr info)
{
    FreeBlock(info->buf_stream);
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
