// SPDX-License-Identifier: Apache-2.0
#include "DoPass.h"

#include "Control.h"
#include "Link.h"
#include "MemManage.h"
#include "QCoder.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace {

// Tree flag of a detail coefficient, fixed per decode: inside the shape, or
// some descendant is. Passes look at no other coefficient.
const UCHR IN_SCAN = 1;
// Flag of every coefficient inside the shape: the passes test it in a byte
// plane rather than in FMask's ints.
const UCHR INSIDE = 2;

// Like the decoder's other working state, one decode at a time.
UCHR** s_treeFlags = nullptr;

// The detail bands in the order ACScan visits them: for each level from the
// coarsest, bands (0, 1), (1, 0), (1, 1).
const int BAND_BLOCKS[3][2] = {{0, 1}, {1, 0}, {1, 1}};
const int BANDS = 3;

// Band (0, 1) is scanned column by column, the other two row by row.
bool ScannedByColumn(int band)
{
    return band == 0;
}

// The coarsest detail bands in scan order, IN_SCAN coefficients only. Finer
// bands are visited through their parents (see ChildrenInScanOrder), so the
// coefficients under a zero tree cost nothing.
std::vector<position_struct> s_topScans[BANDS];

// Positions kept from a series of candidates without a branch per entry:
// every candidate is written, the count moves on only for those kept.
struct PositionList {
    // One entry per possible candidate, written before it is read: left
    // uninitialised rather than cleared on every decode.
    std::unique_ptr<position_struct[]> room;
    size_t count = 0;

    void Offer(int r, int c, bool keep)
    {
        room[count] = {static_cast<int16_t>(r), static_cast<int16_t>(c)};
        count += keep;
    }
    const position_struct* begin() const { return room.get(); }
    const position_struct* end() const { return room.get() + count; }
};

// Per band, the coefficients of the last scanned level whose children the
// pass looks at (not under a zero tree, not the root of one), in scan order.
PositionList s_openParents[BANDS];
PositionList s_children;

// Entries of one detail band of level l.
size_t BandSize(common_ptr info, int l)
{
    return static_cast<size_t>(info->sample_height >> l) * (info->sample_width >> l);
}

template <typename Visit>
void ForEachInBand(common_ptr info, int l, int band, Visit visit)
{
    const int h = info->sample_height >> l;
    const int w = info->sample_width >> l;
    const int r0 = BAND_BLOCKS[band][0] * h;
    const int c0 = BAND_BLOCKS[band][1] * w;
    if (ScannedByColumn(band)) {
        for (int c = c0; c < c0 + w; ++c)
            for (int r = r0; r < r0 + h; ++r)
                visit(r, c);
    } else {
        for (int r = r0; r < r0 + h; ++r)
            for (int c = c0; c < c0 + w; ++c)
                visit(r, c);
    }
}

// The IN_SCAN children of parents given in their band's scan order, in the
// scan order of the band below: parents sharing a row (a column for a
// column-scanned band) give two rows (columns) of children, one after the other.
void ChildrenInScanOrder(const PositionList& parents, bool byColumn, int width,
                         PositionList& children)
{
    children.count = 0;
    const UCHR* flags = s_treeFlags[0];
    const position_struct* p = parents.begin();
    auto line = [byColumn](const position_struct& e) { return byColumn ? e.col : e.row; };
    for (size_t first = 0; first < parents.count;) {
        size_t end = first + 1;
        while (end < parents.count && line(p[end]) == line(p[first]))
            ++end;
        for (int across = 0; across < 2; ++across) {
            for (size_t k = first; k < end; ++k) {
                for (int along = 0; along < 2; ++along) {
                    const int r = 2 * p[k].row + (byColumn ? along : across);
                    const int c = 2 * p[k].col + (byColumn ? across : along);
                    children.Offer(r, c, flags[r * width + c] & IN_SCAN);
                }
            }
        }
        first = end;
    }
}

int Threshold(common_ptr info)
{
    return 1 << info->t;
}

// The planes through their first row: each is one block.
void MarkSignificant(common_ptr info, int r, int c, int s)
{
    const int i = r * info->sample_width + c;
    info->A[0][i] = s == SYM_POSITIVE ? Threshold(info) : -Threshold(info);
    info->C[0][i] = 1;
    AddToTail(info, r, c);
}

// Visits a band's coefficients and keeps those whose children are visited
// next; false when the budget ran out. The planes are read through their
// first row: each is one block.
template <bool Finest, typename Scan>
bool ScanBand(common_ptr info, const Scan& scan, PositionList& open)
{
    open.count = 0;
    const int width = info->sample_width;
    const UCHR* flags = s_treeFlags[0];
    const UCHR* significant = info->C[0];
    LiveRegisters decoder(*info->pAritDecoder);
    CControl& control = *info->pControl;
    const int budget = control.Budget();
    // The colour's models: four symbols above the finest level, three on it;
    // two outside the shape.
    HeldModel<Finest ? 3 : 4> inside(Finest ? *info->m2 : *info->m1);
    HeldModel<2> outside(*info->m5);
    for (const position_struct& p : scan) {
        const int i = p.row * width + p.col;
        int b = SYM_NONE;  // the symbol of an entry already significant
        if (!(flags[i] & INSIDE)) {
            if (!Finest) {
                const int s = outside.Symbol(decoder);
                b = s == 0 ? SYM_OUTSIDE_ZEROTREE : SYM_OUTSIDE_CODED;
            }
        } else if (significant[i] == 0) {
            b = inside.Symbol(decoder);
            if (decoder.ByteCount() > budget && control.bEndStream())
                return false;
            if (b == SYM_POSITIVE || b == SYM_NEGATIVE)
                MarkSignificant(info, p.row, p.col, b);
        }
        if (!Finest)  // the finest level's children are not visited
            open.Offer(p.row, p.col, b != SYM_ZEROTREE && b != SYM_OUTSIDE_ZEROTREE);
    }
    return true;
}

template <typename Scan>
bool ScanBand(common_ptr info, int l, const Scan& scan, PositionList& open)
{
    return l == 1 ? ScanBand<true>(info, scan, open) : ScanBand<false>(info, scan, open);
}

} // namespace

void Init_Tree_Flags(common_ptr info)
{
    s_treeFlags = reinterpret_cast<UCHR**>(MallocBuf(info->sample_width, info->sample_height, 8));
    UCHR* flags = s_treeFlags[0];
    const int* fmask = info->FMask[0];
    const int width = info->sample_width;
    const int layer = info->MaskLayer;  // a local: the byte stores may alias info
    for (int i = 0, n = width * info->sample_height; i < n; ++i)
        flags[i] = fmask[i] == layer ? INSIDE | IN_SCAN : 0;
    // Level by level from the finest: a detail coefficient is also scanned
    // when one of its four children is.
    for (int l = 2; l <= info->level; ++l) {
        const int h = info->sample_height >> l;
        const int w = info->sample_width >> l;
        for (int r = 0; r < 2 * h; ++r) {
            for (int c = r < h ? w : 0; c < 2 * w; ++c) {  // the low band is the next level's
                const UCHR* child = flags + 2 * r * width + 2 * c;
                flags[r * width + c] |= (child[0] | child[1] | child[width] | child[width + 1]) & IN_SCAN;
            }
        }
    }
    for (int band = 0; band < BANDS && info->level >= 1; ++band) {
        std::vector<position_struct>& scan = s_topScans[band];
        scan.clear();
        ForEachInBand(info, info->level, band, [&](int r, int c) {
            if (s_treeFlags[r][c] & IN_SCAN)
                scan.push_back({static_cast<int16_t>(r), static_cast<int16_t>(c)});
        });
        s_openParents[band].room.reset(new position_struct[scan.size() + BandSize(info, 2)]);
    }
    s_children.room.reset(new position_struct[BandSize(info, 1)]);
}

void Term_Tree_Flags()
{
    FreeBuf(reinterpret_cast<void**>(s_treeFlags));
    s_treeFlags = nullptr;
    for (int band = 0; band < BANDS; ++band) {
        std::vector<position_struct>().swap(s_topScans[band]);
        s_openParents[band].room.reset();
    }
    s_children.room.reset();
}

void DCScan(common_ptr info)
{
    const int h = info->sample_height >> info->level;
    const int w = info->sample_width >> info->level;
    LiveRegisters decoder(*info->pAritDecoder);
    HeldModel<3> model(*info->m0);
    CControl& control = *info->pControl;
    const int budget = control.Budget();
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            if (!(s_treeFlags[r][c] & INSIDE) || info->C[r][c] != 0)
                continue;
            const int s = model.Symbol(decoder);
            if (decoder.ByteCount() > budget && control.bEndStream())
                return;
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
        for (int band = 0; band < BANDS; ++band) {
            if (info->pControl->bEndStream())
                return;
            bool more;
            if (l < info->level) {
                ChildrenInScanOrder(s_openParents[band], ScannedByColumn(band), info->sample_width,
                                    s_children);
                more = ScanBand(info, l, s_children, s_openParents[band]);
            } else {
                more = ScanBand(info, l, s_topScans[band], s_openParents[band]);
            }
            if (!more)
                return;
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
    const position_struct* list = info->pl->head;
    const int length = info->pl->length;
    // The planes through their first row: each is one block.
    const int width = info->sample_width;
    const UCHR* significant = info->C[0];
    const UCHR* flags = s_treeFlags[0];
    int* coefficients = info->A[0];
    LiveRegisters decoder(*info->pAritDecoder);
    HeldModel<2> refinement(*info->m3);
    CControl& control = *info->pControl;
    const int budget = control.Budget();
    for (int k = 0; k < length; ++k) {
        const int i = list[k].row * width + list[k].col;
        if (significant[i] != 1 || !(flags[i] & INSIDE))
            continue;
        const int refine = refinement.Symbol(decoder);
        if (decoder.ByteCount() > budget && control.bEndStream())
            return;
        // No branch on the refinement bit: it is as hard to predict as the data.
        const int add = refine ? bit : 0;
        int& a = coefficients[i];
        a = a < 0 ? -(-a | add) : (a | add);
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
