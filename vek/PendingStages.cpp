// Weak placeholders for the stages that are not in the tree yet, so the
// library links meanwhile. Each is replaced by the real (strong) definition
// as soon as its file lands; this file goes once all of them have.
// With these placeholders the decode writes no raster and unpack fails.
#include "Color.h"
#include "DecodeFault.h"
#include "MemManage.h"
#include "dezw.h"

#define PENDING __attribute__((weak))

PENDING void Init_Wavelet(common_ptr info)
{
    info->SMask = (int**)MallocBuf(info->sample_width, info->sample_height, 32);
    info->FMask = (int**)MallocBuf(info->sample_width, info->sample_height, 32);
}
PENDING void Term_Wavelet(common_ptr info)
{
    FreeBuf((void**)info->SMask);
    FreeBuf((void**)info->FMask);
    info->SMask = nullptr;
    info->FMask = nullptr;
}
PENDING void FormFMask(common_ptr) {}
PENDING void DWavelet(common_ptr) {}
PENDING void ObjDecompress(common_ptr, int, int&) {}
PENDING void Init_Color(common_ptr) { Raise_Decode_Fault(); }
PENDING void Term_Color(common_ptr) {}
PENDING void Active_Color(common_ptr, color_ptr) {}
PENDING void DeActive_Color(common_ptr, color_ptr) {}
PENDING void ADtoSD(common_ptr, color_ptr) {}
PENDING void Init_Write_Raw(common_ptr) {}
PENDING void Write_Color_Raw(common_ptr) {}
PENDING void Write_Gray_Raw(common_ptr) {}
