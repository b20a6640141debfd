#include "DoPass.h"

#include "Control.h"
#include "Link.h"
#include "QCoder.h"

namespace {

int Threshold(common_ptr info)
{
    return 1 << info->t;
}

void MarkSignificant(common_ptr info, int r, int c, int s)
{
    info->A[r][c] = s == SYM_POSITIVE ? Threshold(info) : -Threshold(info);
    info->C[r][c] = 1;
    AddToTail(info, r, c);
}

// One coefficient of a detail band; false when the budget ran out.
bool VisitDetail(common_ptr info, int r, int c, int l)
{
    if (info->FMask[r][c] != info->MaskLayer) {
        if (l == 1 || DescendFromZTR(info, r, c, l) || !HaveValidDescend(info, r, c, l))
            return true;
        const int s = info->pAritDecoder->decode_symbol(*info->m5);
        info->B[r][c] = s == 0 ? SYM_OUTSIDE_ZEROTREE : SYM_OUTSIDE_CODED;
        return true;
    }
    if (DescendFromZTR(info, r, c, l) || info->C[r][c] != 0)
        return true;
    const int s = info->pAritDecoder->decode_symbol(l > 1 ? *info->m1 : *info->m2);
    if (info->pControl->bEndStream())
        return false;
    info->B[r][c] = static_cast<UCHR>(s);
    if (s == SYM_POSITIVE || s == SYM_NEGATIVE)
        MarkSignificant(info, r, c, s);
    return true;
}

// Band (0, 1) is scanned column by column, the other two row by row.
void ScanBand(common_ptr info, int l, int bandRow, int bandCol)
{
    const int h = info->sample_height >> l;
    const int w = info->sample_width >> l;
    const int r0 = bandRow * h;
    const int c0 = bandCol * w;
    if (bandRow == 0 && bandCol == 1) {
        for (int c = c0; c < c0 + w; ++c)
            for (int r = r0; r < r0 + h; ++r)
                if (!VisitDetail(info, r, c, l))
                    return;
    } else {
        for (int r = r0; r < r0 + h; ++r)
            for (int c = c0; c < c0 + w; ++c)
                if (!VisitDetail(info, r, c, l))
                    return;
    }
}

} // namespace

void DCScan(common_ptr info)
{
    const int h = info->sample_height >> info->level;
    const int w = info->sample_width >> info->level;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            if (info->FMask[r][c] != info->MaskLayer || info->C[r][c] != 0)
                continue;
            const int s = info->pAritDecoder->decode_symbol(*info->m0);
            if (info->pControl->bEndStream())
                return;
            info->B[r][c] = static_cast<UCHR>(s);
            if (s == SYM_POSITIVE || s == SYM_NEGATIVE)
                MarkSignificant(info, r, c, s);
            else
                info->A[r][c] = 0;
        }
    }
}

void ACScan(common_ptr info)
{
    static const int bands[3][2] = {{0, 1}, {1, 0}, {1, 1}};
    for (int l = info->level; l >= 1; --l) {
        for (const auto& band : bands) {
            if (info->pControl->bEndStream())
                continue;
            ScanBand(info, l, band[0], band[1]);
        }
    }
}

void DDomainPass(common_ptr info)
{
    if (info->pControl->bEndStream())
        return;
    DCScan(info);
    ACScan(info);
}

void DSubordinatePass(common_ptr info)
{
    const int t = info->t;
    if (info->pControl->bEndStream() || t <= 0)
        return;
    const int bit = 1 << (t - 1);
    const int length = info->pl->length;
    for (int i = 0; i < length; ++i) {
        int r, c;
        GetAt(info, i, r, c);
        if (info->C[r][c] != 1 || info->FMask[r][c] != info->MaskLayer)
            continue;
        const int refine = info->pAritDecoder->decode_symbol(*info->m3);
        if (info->pControl->bEndStream())
            return;
        if (refine) {
            int& a = info->A[r][c];
            a = a < 0 ? -(-a | bit) : (a | bit);
        }
    }
}

int DescendFromZTR(common_ptr info, int r, int c, int l)
{
    while (l < info->level) {
        r >>= 1;
        c >>= 1;
        ++l;
        const int b = info->B[r][c];
        if (b != SYM_NONE)
            return b == SYM_ZEROTREE || b == SYM_OUTSIDE_ZEROTREE;
    }
    return 0;
}

int HaveValidDescend(common_ptr info, int r, int c, int l)
{
    for (int k = 1; k < l; ++k) {
        const int size = 1 << k;
        for (int dr = 0; dr < size; ++dr)
            for (int dc = 0; dc < size; ++dc)
                if (info->FMask[(r << k) + dr][(c << k) + dc] == info->MaskLayer)
                    return 1;
    }
    return 0;
}
