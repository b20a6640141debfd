// SPDX-License-Identifier: Apache-2.0
// The last photo's shape, decomposition and plan, handed from one decode to
// the next by pointer: a repeated shape costs one comparison of its plane.
#include "MaskMemo.h"

#include <cstring>
#include <utility>

#include "MemManage.h"
#include "sa_idwt.h"

namespace {

// Only read and written inside a decode, and decodes come one at a time.
struct KeptMask {
    int level = -1;
    int width = 0;
    int height = 0;
    int** spatial = nullptr;
    int** decomposed = nullptr;
    SynthesisPlan* plan = nullptr;
    uint64_t id = 0;
};

KeptMask s_kept;
uint64_t s_lastShapeId = 0;

} // namespace

bool Recall_Mask(common_ptr info)
{
    const bool same = s_kept.plan && s_kept.level == info->level && s_kept.width == info->sample_width &&
                      s_kept.height == info->sample_height &&
                      std::memcmp(s_kept.spatial[0], info->SMask[0],
                                  sizeof(int) * static_cast<size_t>(s_kept.width) * s_kept.height) == 0;
    if (!same) {
        info->shape_id = ++s_lastShapeId;
        return false;
    }
    info->shape_id = s_kept.id;
    // The kept decomposition goes to the decode; its unused plane comes back
    // with the decode's own planes to Keep_Mask.
    std::swap(info->FMask, s_kept.decomposed);
    info->synthesis = s_kept.plan;
    return true;
}

void Keep_Mask(common_ptr info)
{
    if (info->synthesis) {
        if (s_kept.plan != info->synthesis)
            Free_Synthesis_Plan(s_kept.plan);
        FreeBuf(reinterpret_cast<void**>(s_kept.spatial));
        FreeBuf(reinterpret_cast<void**>(s_kept.decomposed));
        s_kept = {info->level, info->sample_width, info->sample_height, info->SMask, info->FMask,
                  info->synthesis, info->shape_id};
    } else {
        FreeBuf(reinterpret_cast<void**>(info->SMask));
        FreeBuf(reinterpret_cast<void**>(info->FMask));
    }
    info->SMask = nullptr;
    info->FMask = nullptr;
    info->synthesis = nullptr;
}

void Forget_Mask()
{
    Free_Synthesis_Plan(s_kept.plan);
    FreeBuf(reinterpret_cast<void**>(s_kept.spatial));
    FreeBuf(reinterpret_cast<void**>(s_kept.decomposed));
    s_kept = KeptMask{};
}
