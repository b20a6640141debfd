// SPDX-License-Identifier: Apache-2.0
#include "dezw.h"

#include <algorithm>
#include <cstring>

#include "Color.h"
#include "DecodeFault.h"
#include "MaskMemo.h"
#include "MemManage.h"
#include "QCoder.h"
#include "workfield.h"

void DFaceMask(AritDecoder* decode, PIXEL**, char** buf, int& back, VERTEX* points,
               PIXEL* clrmean, int width, int height, int, int, int* model,
               int* mask_area_ratio)
{
    CWorkField field(width, height);
    pSrcWork = &field;
    field.Decoder(decode, back);
    field.Output(buf);
    *model = field.face_model;
    *mask_area_ratio = field.mask_area_ratio;
    if (back == 1)
        memcpy(points, field.m_points, sizeof(field.m_points));
    else
        *clrmean = field.m_clrmean;
    pSrcWork = nullptr;
}

void DMask(common_ptr info)
{
    const int width = info->image_width;
    const int height = info->image_height;
    char** mask = (char**)MallocBuf(width, height, 8);
    if (info->face_model >= 1) {
        int length = 0;
        Write_buf_stream(info, info->buf_stream, &length);
        AritDecoder* decoder = new AritDecoder(info->buf_stream, &length, Buf_Stream_Size(info));
        if (!decoder->bad_segment)
            DFaceMask(decoder, nullptr, mask, info->back, info->points, &info->clrmean, width,
                      height, info->image_bits * info->color_number, 0, &info->face_model,
                      &info->mask_area_ratio);
        delete decoder;
    }
    if (info->face_model == 0) {
        memset(mask[0], 1, (size_t)width * height);
        info->back = 0;
    }
    // The picture's mask in the sample plane, which is zero beyond it,
    // unless the kept shape is this one.
    const bool recalled = !DecodeFault && Recall_Mask(info, mask[0]);
    for (int r = 0; !recalled && r < info->sample_height; ++r) {
        int* row = info->SMask[r];
        const int inside = r < height ? width : 0;
        for (int c = 0; c < inside; ++c)
            row[c] = mask[r][c];
        std::fill(row + inside, row + info->sample_width, 0);
    }
    FreeBuf((void**)mask);
}

void decompress(common_ptr info)
{
    DMask(info);
    if (DecodeFault)
        return;
    FormFMask(info);
    if (DecodeFault)
        return;
    int length = 0;
    ObjDecompress(info, 1, length);
    if (DecodeFault)
        return;
    for (int k = 0; k < info->color_number; ++k) {
        Active_Color(info, info->color[k]);
        DWavelet(info);
    }
}
