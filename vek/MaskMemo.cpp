// SPDX-License-Identifier: Apache-2.0
// The last photo's shape, decomposition and plan, handed from one decode to
// the next by pointer: a repeated shape costs one comparison of its picture
// mask, a byte a pixel.
#include "MaskMemo.h"

#include <cstring>
#include <utility>

#include "MemManage.h"
#include "sa_idwt.h"

namespace {

// What a shape's planes were made for.
struct ShapeKey {
    int level = -1;
    int width = 0;   // samples
    int height = 0;
    int columns = 0;   // of the picture
    size_t bytes = 0;  // of the picture's mask
    char* mask = nullptr;

    bool Matches(const common_struct* info, const char* picture, size_t pictureBytes) const
    {
        return mask && level == info->level && width == info->sample_width && height == info->sample_height &&
               columns == info->image_width && bytes == pictureBytes && std::memcmp(mask, picture, bytes) == 0;
    }
};

// Only read and written inside a decode, and decodes come one at a time.
// Plain pointers, no destructors: the library's unloading frees them.
struct KeptMask {
    ShapeKey key;
    int** spatial = nullptr;
    int** decomposed = nullptr;
    SynthesisPlan* plan = nullptr;
    uint64_t id = 0;
};

KeptMask s_kept;
char* s_noted = nullptr;  // the new shape's mask, while its decode runs
uint64_t s_lastShapeId = 0;

void Free_Kept()
{
    Free_Synthesis_Plan(s_kept.plan);
    FreeBuf(reinterpret_cast<void**>(s_kept.spatial));
    FreeBuf(reinterpret_cast<void**>(s_kept.decomposed));
    FreeBlock(s_kept.key.mask);
    s_kept = KeptMask{};
}

} // namespace

bool Recall_Mask(common_ptr info, const char* mask)
{
    const size_t bytes = static_cast<size_t>(info->image_width) * info->image_height;
    if (s_kept.plan && s_kept.key.Matches(info, mask, bytes)) {
        std::swap(info->SMask, s_kept.spatial);
        std::swap(info->FMask, s_kept.decomposed);
        info->synthesis = s_kept.plan;
        info->shape_id = s_kept.id;
        return true;
    }
    FreeBlock(s_noted);
    s_noted = static_cast<char*>(MallocBlock(bytes));
    if (s_noted)
        std::memcpy(s_noted, mask, bytes);
    info->shape_id = ++s_lastShapeId;
    return false;
}

void Keep_Mask(common_ptr info)
{
    const bool recalled = info->synthesis && info->synthesis == s_kept.plan;
    if (recalled) {
        // The kept planes come back; the decode's own, handed over, go.
        FreeBuf(reinterpret_cast<void**>(s_kept.spatial));
        FreeBuf(reinterpret_cast<void**>(s_kept.decomposed));
        s_kept.spatial = info->SMask;
        s_kept.decomposed = info->FMask;
    } else if (info->synthesis && s_noted) {
        Free_Kept();
        s_kept.key = {info->level, info->sample_width, info->sample_height, info->image_width,
                      static_cast<size_t>(info->image_width) * info->image_height, s_noted};
        s_noted = nullptr;
        s_kept.spatial = info->SMask;
        s_kept.decomposed = info->FMask;
        s_kept.plan = info->synthesis;
        s_kept.id = info->shape_id;
    } else {
        Free_Synthesis_Plan(info->synthesis);
        FreeBuf(reinterpret_cast<void**>(info->SMask));
        FreeBuf(reinterpret_cast<void**>(info->FMask));
    }
    FreeBlock(s_noted);
    s_noted = nullptr;
    info->SMask = nullptr;
    info->FMask = nullptr;
    info->synthesis = nullptr;
}

void Forget_Mask()
{
    Free_Kept();
    FreeBlock(s_noted);
    s_noted = nullptr;
}
