// The decoder's two uses of the shape-adaptive transform: the shape mask in
// the wavelet domain (FMask) and the synthesis of the active colour's pixels.
#include "DecodeFault.h"
#include "MemManage.h"
#include "dezw.h"
#include "sa_idwt.h"


namespace {

matrix_t* SamplePlane(common_ptr info)
{
    return matrix_create(info->sample_height, info->sample_width);
}

} // namespace

void Init_Wavelet(common_ptr info)
{
    info->SMask = reinterpret_cast<int**>(MallocBuf(info->sample_width, info->sample_height, 32));
    info->FMask = reinterpret_cast<int**>(MallocBuf(info->sample_width, info->sample_height, 32));
}

void Term_Wavelet(common_ptr info)
{
    FreeBuf(reinterpret_cast<void**>(info->SMask));
    FreeBuf(reinterpret_cast<void**>(info->FMask));
    info->SMask = nullptr;
    info->FMask = nullptr;
}

void FormFMask(common_ptr info)
{
    matrix_t* spatial = SamplePlane(info);
    matrix_t* decomposed = SamplePlane(info);
    if (spatial && decomposed) {
        matrix_from_buf(spatial, info->SMask);
        do_IDWT_Mask(spatial, info->level, decomposed);
        matrix_to_buf(decomposed, info->FMask);
    } else {
        Raise_Decode_Fault();
    }
    matrix_destroy(spatial);
    matrix_destroy(decomposed);
}

void DWavelet(common_ptr info)
{
    // The coefficients (A) and FMask are only read: the transform works on
    // them in place of copies. SMask holds only 0 and 1, so its decomposition
    // is FMask as made by FormFMask: no need to decompose it again per colour.
    const matrix_t coeff = matrix_view(info->A, info->sample_height, info->sample_width);
    const matrix_t decomposed = matrix_view(info->FMask, info->sample_height, info->sample_width);
    matrix_t* rebuilt = SamplePlane(info);
    matrix_t* pixels = SamplePlane(info);
    if (rebuilt && pixels) {
        SA_IDWT(&coeff, &decomposed, info->level, pixels, rebuilt);
        const int width = info->image_width;
        for (int r = 0, height = info->image_height; r < height; ++r) {
            const int* rebuiltRow = pixels->rows_[r];
            int* row = info->A[r];
            for (int c = 0; c < width; ++c) {
                const int v = rebuiltRow[c];
                row[c] = v < 0 ? 0 : (v > 255 ? 255 : v);
            }
        }
    } else {
        Raise_Decode_Fault();
    }
    matrix_destroy(rebuilt);
    matrix_destroy(pixels);
}
