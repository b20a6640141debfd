// SPDX-License-Identifier: Apache-2.0
// The decoder's two uses of the shape-adaptive transform: the shape mask in
// the wavelet domain (FMask) and the synthesis of the active colour's pixels.
#include "DecodeFault.h"
#include "MaskMemo.h"
#include "MemManage.h"
#include "dezw.h"
#include "sa_idwt.h"

#include <cstring>


namespace {

matrix_t* SamplePlane(common_ptr info)
{
    return matrix_create(info->sample_height, info->sample_width);
}

} // namespace

void Init_Wavelet(common_ptr info)
{
    // Not cleared: the mask decoder writes every sample of SMask, and FMask
    // is cleared only when it is made rather than taken from the kept mask.
    info->SMask = reinterpret_cast<int**>(MallocBufUncleared(info->sample_width, info->sample_height, 32));
    info->FMask = reinterpret_cast<int**>(MallocBufUncleared(info->sample_width, info->sample_height, 32));
}

void Term_Wavelet(common_ptr info)
{
    Keep_Mask(info);
}

void FormFMask(common_ptr info)
{
    if (info->synthesis)  // the kept shape's, recalled with the mask
        return;
    std::memset(info->FMask[0], 0, sizeof(int) * info->sample_width * info->sample_height);
    // SMask and FMask are single blocks: the decomposition reads and writes
    // them in place of copies.
    const matrix_t spatial = matrix_view(info->SMask, info->sample_height, info->sample_width);
    matrix_t decomposed = matrix_view(info->FMask, info->sample_height, info->sample_width);
    matrix_t* rebuilt = SamplePlane(info);  // the rebuild's scratch mask
    if (rebuilt) {
        do_IDWT_Mask(&spatial, info->level, &decomposed);
        info->synthesis = Plan_Synthesis(&decomposed, info->level, rebuilt);
    }
    if (!info->synthesis)
        Raise_Decode_Fault();
    matrix_destroy(rebuilt);
}

void DWavelet(common_ptr info)
{
    // The coefficients (A) become the pixels in place; the writers clamp
    // them to bytes. SMask holds only 0 and 1, so its decomposition is FMask
    // as made by FormFMask, and so is the plan of its rebuild. The passes
    // write A only inside the shape (FMask 1), so it is 0 everywhere else.
    matrix_t coeff = matrix_view(info->A, info->sample_height, info->sample_width);
    const uint64_t bound = info->bound != 0 ? info->bound : kUnknownBound;
    if (!info->synthesis || Synthesize_Planned(info->synthesis, &coeff, bound) != 0)
        Raise_Decode_Fault();
}
