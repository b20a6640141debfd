// SPDX-License-Identifier: Apache-2.0
// The zero-tree passes. Shaped for speed: coefficients travel as offsets into
// the planes' single block, a band's children are visited straight from their
// parents' list (no list of candidates in between), and the lists are filled
// through a cursor held in a register.
#include "DoPass.h"

#include "Control.h"
#include "Link.h"
#include "MemManage.h"
#include "QCoder.h"

#include <cstddef>
#include <utility>

namespace {

// Tree flag of a detail coefficient, fixed per decode: inside the shape, or
// some descendant is. Passes look at no other coefficient.
const UCHR IN_SCAN = 1;
// Flag of every coefficient inside the shape: the passes test it in a byte
// plane rather than in FMask's ints.
const UCHR INSIDE = 2;

// Like the decoder's other working state, one decode at a time. The flags
// and top scans stay for the next decode, which takes them as they are when
// its shape and layer are the same (every photo without a mask segment has
// the same shape).
UCHR** s_treeFlags = nullptr;
// The shape and layer they were made for (a shape's id names its level and
// size too); shape 0 is never taken as it is.
uint64_t s_flagsShape = 0;
int s_flagsLayer = 0;

// The detail bands in the order ACScan visits them: for each level from the
// coarsest, bands (0, 1), (1, 0), (1, 1).
const int BAND_BLOCKS[3][2] = {{0, 1}, {1, 0}, {1, 1}};
const int BANDS = 3;

// Band (0, 1) is scanned column by column, the other two row by row.
bool ScannedByColumn(int band)
{
    return band == 0;
}

// Coefficients (offsets into the planes' block) in scan order, cut into
// lines: rows, or columns in a column-scanned band. The children of one line
// make two lines of the band below.
struct IndexList {
    int* entries = nullptr;
    int* lineEnds = nullptr;  // one past each line's last entry; no line is empty
    int lines = 0;
};

// The coarsest detail bands, IN_SCAN coefficients only; finer bands are
// visited through their parents, so the coefficients under a zero tree cost
// nothing. Per band, the coefficients of the last scanned level whose
// children the pass looks at (not under a zero tree, not the root of one),
// and a spare list the next level fills. All in one block.
IndexList s_topScans[BANDS];
IndexList s_openParents[BANDS];
IndexList s_spare;
int* s_listBlock = nullptr;  // no destructor: freed by Term_Tree_Flags alone

// Entries of one detail band of level l.
size_t BandSize(common_ptr info, int l)
{
    return static_cast<size_t>(info->sample_height >> l) * (info->sample_width >> l);
}

// Fills a list without a branch per entry: every candidate is written, the
// cursor moves on only for those kept. Each entry is offered once, so the
// list's room for a whole band is enough.
class ListWriter {
public:
    explicit ListWriter(IndexList& list) : list_(list), out_(list.entries), lineStart_(list.entries)
    {
        list.lines = 0;
    }
    void Offer(int i, bool keep)
    {
        *out_ = i;
        out_ += keep;
    }
    void EndLine()
    {
        if (out_ == lineStart_)
            return;
        list_.lineEnds[list_.lines++] = static_cast<int>(out_ - list_.entries);
        lineStart_ = out_;
    }

private:
    IndexList& list_;
    int* out_;
    int* lineStart_;
};

// The planes through their first row: each is one block.
void MarkSignificant(common_ptr info, int i, int s, int threshold)
{
    info->A[0][i] = s == SYM_POSITIVE ? threshold : -threshold;
    info->C[0][i] = 1;
    int r = i / info->sample_width;
    int c = i % info->sample_width;
    AddToTail(info, r, c);
}

// One band of a dominant pass: decodes the symbol of each coefficient it is
// given and keeps those whose children are visited next. Everything a
// decision needs stays in locals for the whole band.
template <bool Finest>
class BandScan {
public:
    BandScan(common_ptr info, IndexList& open)
        : info_(info),
          flags_(s_treeFlags[0]),
          significant_(info->C[0]),
          threshold_(1 << info->t),
          decoder_(*info->pAritDecoder),
          control_(*info->pControl),
          budget_(control_.Budget()),
          inside_(Finest ? *info->m2 : *info->m1),
          outside_(*info->m5),
          open_(open)
    {
    }

    // False when the budget ran out.
    [[gnu::always_inline]] bool Visit(int i)
    {
        int b = SYM_NONE;  // the symbol of an entry already significant
        if (!(flags_[i] & INSIDE)) {
            if (!Finest) {
                const int s = outside_.Symbol(decoder_);
                b = s == 0 ? SYM_OUTSIDE_ZEROTREE : SYM_OUTSIDE_CODED;
            }
        } else if (significant_[i] == 0) {
            b = inside_.Symbol(decoder_);
            if (decoder_.ByteCount() > budget_ && control_.bEndStream())
                return false;
            if (b == SYM_POSITIVE || b == SYM_NEGATIVE)
                MarkSignificant(info_, i, b, threshold_);
        }
        if (!Finest)  // the finest level's children are not visited
            open_.Offer(i, b != SYM_ZEROTREE && b != SYM_OUTSIDE_ZEROTREE);
        return true;
    }
    void EndLine()
    {
        if (!Finest)
            open_.EndLine();
    }

private:
    common_ptr info_;
    const UCHR* flags_;
    const UCHR* significant_;
    const int threshold_;
    LiveRegisters decoder_;
    CControl& control_;
    const int budget_;
    // The colour's models: four symbols above the finest level, three on it;
    // two outside the shape.
    HeldModel<Finest ? 3 : 4> inside_;
    HeldModel<2> outside_;
    ListWriter open_;
};

template <bool Finest>
bool ScanTop(common_ptr info, const IndexList& top, IndexList& open)
{
    BandScan<Finest> scan(info, open);
    int k = 0;
    for (int line = 0; line < top.lines; ++line) {
        for (const int end = top.lineEnds[line]; k < end; ++k)
            if (!scan.Visit(top.entries[k]))
                return false;
        scan.EndLine();
    }
    return true;
}

// The IN_SCAN children of the parents, in the scan order of their band: a
// line of parents gives two lines of children, one after the other, two
// children a parent on each.
template <bool Finest>
bool ScanChildren(common_ptr info, const IndexList& parents, bool byColumn, IndexList& open)
{
    BandScan<Finest> scan(info, open);
    const UCHR* flags = s_treeFlags[0];
    const int width = info->sample_width;
    const int acrossLines = byColumn ? 1 : width;
    const int alongLine = byColumn ? width : 1;
    int first = 0;
    for (int line = 0; line < parents.lines; ++line) {
        const int end = parents.lineEnds[line];
        for (int across = 0; across < 2; ++across) {
            for (int k = first; k < end; ++k) {
                const int child = 2 * parents.entries[k] + across * acrossLines;
                if ((flags[child] & IN_SCAN) && !scan.Visit(child))
                    return false;
                if ((flags[child + alongLine] & IN_SCAN) && !scan.Visit(child + alongLine))
                    return false;
            }
            scan.EndLine();
        }
        first = end;
    }
    return true;
}

// Scans one band of level l, from the top scan on the coarsest level and
// from the open parents below it; the parents left open replace them.
bool ScanBand(common_ptr info, int l, int band)
{
    if (l == info->level)
        return l == 1 ? ScanTop<true>(info, s_topScans[band], s_openParents[band])
                      : ScanTop<false>(info, s_topScans[band], s_openParents[band]);
    if (l == 1)
        return ScanChildren<true>(info, s_openParents[band], ScannedByColumn(band), s_spare);
    const bool more = ScanChildren<false>(info, s_openParents[band], ScannedByColumn(band), s_spare);
    std::swap(s_openParents[band], s_spare);
    return more;
}

} // namespace

void Init_Tree_Flags(common_ptr info)
{
    if (s_treeFlags && info->shape_id != 0 && info->shape_id == s_flagsShape && info->MaskLayer == s_flagsLayer)
        return;
    Term_Tree_Flags();
    s_flagsShape = info->shape_id;
    s_flagsLayer = info->MaskLayer;
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
    if (info->level < 1)
        return;
    // Every list holds at most one band: the coarsest, or one of level 2
    // or finer that the pass keeps open (the finest level keeps none).
    const size_t room = BandSize(info, info->level >= 2 ? 2 : 1);
    s_listBlock = new int[2 * room * (2 * BANDS + 1)];
    int* next = s_listBlock;
    for (IndexList* list : {&s_topScans[0], &s_topScans[1], &s_topScans[2], &s_openParents[0],
                            &s_openParents[1], &s_openParents[2], &s_spare}) {
        list->entries = next;
        list->lineEnds = next + room;
        list->lines = 0;
        next += 2 * room;
    }
    const int h = info->sample_height >> info->level;
    const int w = info->sample_width >> info->level;
    for (int band = 0; band < BANDS; ++band) {
        const int r0 = BAND_BLOCKS[band][0] * h;
        const int c0 = BAND_BLOCKS[band][1] * w;
        const bool byColumn = ScannedByColumn(band);
        ListWriter top(s_topScans[band]);
        for (int line = 0; line < (byColumn ? w : h); ++line) {
            for (int along = 0; along < (byColumn ? h : w); ++along) {
                const int i = byColumn ? (r0 + along) * width + c0 + line : (r0 + line) * width + c0 + along;
                top.Offer(i, flags[i] & IN_SCAN);
            }
            top.EndLine();
        }
    }
}

void Term_Tree_Flags()
{
    s_flagsShape = 0;
    FreeBuf(reinterpret_cast<void**>(s_treeFlags));
    s_treeFlags = nullptr;
    for (IndexList* list : {&s_topScans[0], &s_topScans[1], &s_topScans[2], &s_openParents[0],
                            &s_openParents[1], &s_openParents[2], &s_spare})
        *list = IndexList();
    delete[] s_listBlock;
    s_listBlock = nullptr;
}

void DCScan(common_ptr info)
{
    const int h = info->sample_height >> info->level;
    const int w = info->sample_width >> info->level;
    const int width = info->sample_width;
    const UCHR* flags = s_treeFlags[0];
    const UCHR* significant = info->C[0];
    const int threshold = 1 << info->t;
    LiveRegisters decoder(*info->pAritDecoder);
    HeldModel<3> model(*info->m0);
    CControl& control = *info->pControl;
    const int budget = control.Budget();
    for (int r = 0; r < h; ++r) {
        for (int i = r * width; i < r * width + w; ++i) {
            if (!(flags[i] & INSIDE) || significant[i] != 0)
                continue;
            const int s = model.Symbol(decoder);
            if (decoder.ByteCount() > budget && control.bEndStream())
                return;
            if (s == SYM_POSITIVE || s == SYM_NEGATIVE)
                MarkSignificant(info, i, s, threshold);
            else
                info->A[0][i] = 0;
        }
    }
}

void ACScan(common_ptr info)
{
    for (int l = info->level; l >= 1; --l) {
        for (int band = 0; band < BANDS; ++band) {
            if (info->pControl->bEndStream() || !ScanBand(info, l, band))
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
    int* coefficients = info->A[0];
    LiveRegisters decoder(*info->pAritDecoder);
    HeldModel<2> refinement(*info->m3);
    CControl& control = *info->pControl;
    const int budget = control.Budget();
    // Every entry is significant and inside the shape: only the dominant
    // passes add to the list, and only such coefficients.
    for (int k = 0; k < length; ++k) {
        const int i = list[k].row * width + list[k].col;
        const int refine = refinement.UnpredictableSymbol(decoder);
        if (decoder.ByteCount() > budget && control.bEndStream())
            return;
        // No branch on the refinement bit nor on the sign: both are as hard
        // to predict as the data. The bit goes into the magnitude.
        const uint32_t add = refine ? bit : 0;
        const uint32_t sign = coefficients[i] < 0 ? ~0u : 0u;
        const uint32_t magnitude = ((uint32_t)coefficients[i] ^ sign) - sign;
        coefficients[i] = (int)(((magnitude | add) ^ sign) - sign);
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
