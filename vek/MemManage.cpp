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

namespace {

// Each block starts with its capacity; the row pointers follow, 16-aligned.
constexpr size_t kHeader = 16;

// Freed planes are kept for the next decode on the same thread. Made afresh
// for every decode, the planes sat at the top of the heap when freed, so the
// allocator handed their pages back and the next decode faulted them all in
// again: in a reader's worker thread that doubled the time of a decode.
// Bounded, so a payload declaring huge planes leaves nothing big behind; off
// under AddressSanitizer, which must keep seeing every use after free.
#if defined(__SANITIZE_ADDRESS__)  // gcc
#define VEK_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)  // clang
#define VEK_UNDER_ASAN 1
#endif
#endif
#if defined(VEK_UNDER_ASAN)
constexpr size_t kCachedBlocks = 0;
#else
constexpr size_t kCachedBlocks = 12;
#endif
constexpr size_t kLargestCachedBlock = size_t(1) << 20;

struct PlaneCache {
    unsigned char* blocks[kCachedBlocks + 1] = {};
    size_t count = 0;
    ~PlaneCache()
    {
        for (size_t i = 0; i < count; ++i)
            free(blocks[i]);
    }
};
thread_local PlaneCache t_planes;

size_t capacityOf(const unsigned char* block)
{
    size_t capacity;
    memcpy(&capacity, block, sizeof capacity);
    return capacity;
}

// A zeroed block of at least size bytes (header included), or null.
unsigned char* takeBlock(size_t size)
{
    PlaneCache& cache = t_planes;
    for (size_t i = 0; i < cache.count; ++i) {
        unsigned char* block = cache.blocks[i];
        if (capacityOf(block) < size)
            continue;
        cache.blocks[i] = cache.blocks[--cache.count];
        memset(block + kHeader, 0, size - kHeader);
        return block;
    }
    unsigned char* block = (unsigned char*)calloc(size, 1);
    if (block != nullptr)
        memcpy(block, &size, sizeof size);
    return block;
}

}  // namespace

void** MallocBuf(int width, int height, int bits)
{
    const int rows = std::max(height, 1);
    const size_t row_bytes = ((size_t)std::max(width, 0) * bits + 7) / 8;
    // The row pointers and the rows in one zeroed block: planes are made
    // per colour and per stage, and each allocation counts in a decode.
    const size_t pointers = rows * sizeof(void*);
    unsigned char* block = takeBlock(kHeader + pointers + std::max<size_t>(rows * row_bytes, 1));
    if (block == nullptr)
        return nullptr;
    void** f = (void**)(block + kHeader);
    for (int i = 0; i < rows; ++i)
        f[i] = block + kHeader + pointers + i * row_bytes;
    return f;
}

void FreeBuf(void** f)
{
    if (f == nullptr)
        return;
    unsigned char* block = (unsigned char*)f - kHeader;
    PlaneCache& cache = t_planes;
    if (cache.count < kCachedBlocks && capacityOf(block) <= kLargestCachedBlock)
        cache.blocks[cache.count++] = block;
    else
        free(block);
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
