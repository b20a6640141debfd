// SPDX-License-Identifier: Apache-2.0
// Zero-tree decoding of the object section: every colour's coefficients,
// bit plane by bit plane, until its segment's budget is spent.
#include "Color.h"
#include "Control.h"
#include "DecodeFault.h"
#include "DoPass.h"
#include "Link.h"
#include "MemManage.h"
#include "QCoder.h"
#include "SegmentSizes.h"
#include "dezw.h"

#include <cstring>

namespace {

// Thresholds are 2^t in an int; planes above 30 cannot come from a real photo.
const int MAX_BIT_PLANE = 30;

void ClearPlane(UCHR** plane, int width, int height, UCHR value)
{
    std::memset(plane[0], value, static_cast<size_t>(width) * height);
}

void DecodeColour(common_ptr info, color_ptr color, int size)
{
    Active_Color(info, color);
    ClearPlane(info->C, info->sample_width, info->sample_height, 0);
    UCHR plane = 0;
    Read(info, &plane, 1, 1);
    if (plane > MAX_BIT_PLANE) {
        Raise_Decode_Fault();
        return;
    }
    info->t = plane;
    // Every coefficient is 0 or a threshold of a plane down from this one
    // with some of the bits below it.
    info->bound = (uint64_t(2) << plane) - 1;
    int n = size - 1;
    info->pl = Init_Link(info, info->t);
    if (!info->pl) {
        Raise_Decode_Fault();
        return;
    }
    DeActive_Color(info, color);

    Write_buf_stream(info, info->buf_stream, n);
    CControl control(info);
    control.SetMaxLength(n);
    AritDecoder decoder(info->buf_stream, &n, Buf_Stream_Size(info));
    info->pControl = &control;
    info->pAritDecoder = &decoder;
    do {
        if (info->t < 0)
            break;
        DDomainPass(info);
        DSubordinatePass(info);
        Sort_Link(info);
        --info->t;
    } while (!control.bEndStream());
    Term_Link(info);
    info->pControl = nullptr;
    info->pAritDecoder = nullptr;
    DeActive_Color(info, color);
}

} // namespace

// A colour's six models, made in one allocation. The scans hold them with
// these symbol counts (HeldModel<n>).
struct ColourModels {
    Adaptive_Model m0{3}, m1{4}, m2{3}, m3{2}, m4{2}, m5{2};
};

void Init_Model(common_ptr info)
{
    for (int k = 0; k < info->color_number; ++k) {
        color_ptr color = info->color[k];
        color->models = new ColourModels;
        color->m0 = &color->models->m0;
        color->m1 = &color->models->m1;
        color->m2 = &color->models->m2;
        color->m3 = &color->models->m3;
        color->m4 = &color->models->m4;
        color->m5 = &color->models->m5;
    }
}

void Term_Model(common_ptr info)
{
    for (int k = 0; k < info->color_number; ++k) {
        color_ptr color = info->color[k];
        delete color->models;
        color->models = nullptr;
        color->m0 = color->m1 = color->m2 = color->m3 = color->m4 = color->m5 = nullptr;
    }
    info->m0 = info->m1 = info->m2 = info->m3 = info->m4 = info->m5 = nullptr;
}

void ObjDecompress(common_ptr info, int mask, int& len)
{
    info->MaskLayer = mask;
    Init_Model(info);
    const int L = Read_Int32(info);
    len = L;
    int sizes[3];
    if (!Colour_Segment_Sizes(L, sizes)) {
        Raise_Decode_Fault();
    } else {
        Init_Tree_Flags(info);
        for (int k = 0; k < info->color_number && !DecodeFault; ++k)
            DecodeColour(info, info->color[k], sizes[k]);
    }
    Term_Model(info);
}
