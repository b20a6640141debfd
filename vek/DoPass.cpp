#include "DoPass.h"

#include "Control.h"
#include "Link.h"
#include "MemManage.h"
#include "QCoder.h"

#include <cstddef>
#include <vector>

namespace {

// Bits of a detail coefficient's tree flags.
const UCHR VALID_DESCEND = 1;  // some descendant carries MaskLayer (fixed per decode)
const UCHR SILENCED = 2;       // its descendants lie under a zero tree in this pass

// Like the decoder's other working state, one decode at a time.
UCHR** s_treeFlags = nullptr;

// The detail bands in the order ACScan visits them: for each level from the
// coarsest, bands (0, 1), (1, 0), (1, 1).
const int BAND_BLOCKS[3][2] = {{0, 1}, {1, 0}, {1, 1}};

// Per band, in its scan order, the coefficients a pass has to look at: those
// inside the shape and those outside with a descendant inside. The others
// are never coded, nor is anything below them.
std::vector<std::vector<position_struct>> s_bandScans;

int BandIndex(common_ptr info, int l, int band)
{
    return (info->level - l) * 3 + band;
}

// Band (0, 1) is scanned column by column, the other two row by row.
template <typename Visit>
void ForEachInBand(common_ptr info, int l, int band, Visit visit)
{
    const int h = info->sample_height >> l;
    const int w = info->sample_width >> l;
    const int r0 = BAND_BLOCKS[band][0] * h;
    const int c0 = BAND_BLOCKS[band][1] * w;
    if (band == 0) {
        for (int c = c0; c < c0 + w; ++c)
            for (int r = r0; r < r0 + h; ++r)
                visit(r, c);
    } else {
        for (int r = r0; r < r0 + h; ++r)
            for (int c = c0; c < c0 + w; ++c)
                visit(r, c);
    }
}

// DescendFromZTR through the parent's flag: the parent's level is scanned
// completely before this one in every pass.
bool UnderZeroTree(common_ptr info, int r, int c, int l)
{
    return l < info->level && (s_treeFlags[r >> 1][c >> 1] & SILENCED);
}

// Records, for the children's look-ups, whether a coefficient that is not
// under a zero tree itself starts one with its symbol.
void NoteSilence(common_ptr info, int r, int c)
{
    const int b = info->B[r][c];
    const bool silenced = b == SYM_ZEROTREE || b == SYM_OUTSIDE_ZEROTREE;
    s_treeFlags[r][c] = static_cast<UCHR>((s_treeFlags[r][c] & VALID_DESCEND) |
                                          (silenced ? SILENCED : 0));
}

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

// One coefficient of a band scan list; false when the budget ran out.
[[gnu::always_inline]] inline bool VisitDetail(common_ptr info, int r, int c, int l)
{
    const bool inside = info->FMask[r][c] == info->MaskLayer;
    UCHR& flags = s_treeFlags[r][c];
    if (UnderZeroTree(info, r, c, l)) {
        // Gets no symbol, so its descendants stay under the same zero tree.
        if (l > 1)
            flags |= SILENCED;
        return true;
    }
    if (!inside) {
        if (l > 1) {
            const int s = info->pAritDecoder->decode_symbol(*info->m5);
            info->B[r][c] = s == 0 ? SYM_OUTSIDE_ZEROTREE : SYM_OUTSIDE_CODED;
        }
    } else if (info->C[r][c] == 0) {
        const int s = info->pAritDecoder->decode_symbol(l > 1 ? *info->m1 : *info->m2);
        if (info->pControl->bEndStream())
            return false;
        info->B[r][c] = static_cast<UCHR>(s);
        if (s == SYM_POSITIVE || s == SYM_NEGATIVE)
            MarkSignificant(info, r, c, s);
    }
    if (l > 1)
        NoteSilence(info, r, c);
    return true;
}

void ScanBand(common_ptr info, int l, int band)
{
    for (const position_struct& p : s_bandScans[BandIndex(info, l, band)])
        if (!VisitDetail(info, p.row, p.col, l))
            return;
}

} // namespace

void Init_Tree_Flags(common_ptr info)
{
    s_treeFlags = reinterpret_cast<UCHR**>(MallocBuf(info->sample_width, info->sample_height, 8));
    // Level by level from the finest: a coefficient has a valid descendant when
    // one of its four children is inside the shape or has one itself.
    for (int l = 2; l <= info->level; ++l) {
        const int h = info->sample_height >> l;
        const int w = info->sample_width >> l;
        for (int r = 0; r < 2 * h; ++r) {
            for (int c = 0; c < 2 * w; ++c) {
                if (r < h && c < w)
                    continue;  // the low band of this level is the next level's business
                bool valid = false;
                for (int cr = 2 * r; cr <= 2 * r + 1; ++cr)
                    for (int cc = 2 * c; cc <= 2 * c + 1; ++cc)
                        valid = valid || info->FMask[cr][cc] == info->MaskLayer ||
                                (s_treeFlags[cr][cc] & VALID_DESCEND);
                s_treeFlags[r][c] = valid ? VALID_DESCEND : 0;
            }
        }
    }
    s_bandScans.assign(3 * info->level, {});
    for (int l = info->level; l >= 1; --l) {
        for (int band = 0; band < 3; ++band) {
            std::vector<position_struct>& scan = s_bandScans[BandIndex(info, l, band)];
            scan.reserve(static_cast<std::size_t>(info->sample_height >> l) * (info->sample_width >> l));
            ForEachInBand(info, l, band, [&](int r, int c) {
                if (info->FMask[r][c] == info->MaskLayer || (s_treeFlags[r][c] & VALID_DESCEND))
                    scan.push_back({static_cast<int16_t>(r), static_cast<int16_t>(c)});
            });
        }
    }
}

void Term_Tree_Flags()
{
    FreeBuf(reinterpret_cast<void**>(s_treeFlags));
    s_treeFlags = nullptr;
    std::vector<std::vector<position_struct>>().swap(s_bandScans);
}

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
    for (int l = info->level; l >= 1; --l) {
        for (int band = 0; band < 3; ++band) {
            if (info->pControl->bEndStream())
                continue;
            ScanBand(info, l, band);
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
