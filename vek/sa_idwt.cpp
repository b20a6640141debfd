// SPDX-License-Identifier: Apache-2.0
// The inverse shape-adaptive transform of a colour plane: each level's
// columns, then its rows, synthesised along the runs the mask's plan found
// once for all colours. A line's bands are scaled into a small buffer and
// lifted from there straight back into the line; blocks of neighbouring
// columns with the same runs go across, a row at a time, so no transposed
// copies are made for them; lines and blocks of zeros (most of the finest
// level's detail) are left as they are.
#include "sa_idwt.h"
#include "sa_across.h"
#include "sa_lifting.h"
#include "sa_lines.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

// The mask half of a line's rebuild: low and high band entries back to their
// interleaved places, the markers turned back into the pixels they moved.
// Kept beside its callers, which it is inlined into with Direction known.
// Four pairs without a marker (nearly all of them) interleave in registers.
void RebuildMaskLine(const int* InMaskBuf, int* OutMaskBuf, int Length, int Direction)
{
    const int half = Length / 2;
    const __m128i noMarker = _mm_set1_epi32(MASK_MOVED_ROW - 1);
    for (int i = 0; i < half;) {
        if (i + 4 <= half) {
            const __m128i lo = Load4(InMaskBuf + i);
            const __m128i hi = Load4(InMaskBuf + half + i);
            if (_mm_movemask_epi8(_mm_cmpgt_epi32(hi, noMarker)) == 0) {
                Store4(OutMaskBuf + 2 * i, _mm_unpacklo_epi32(lo, hi));
                Store4(OutMaskBuf + 2 * i + 4, _mm_unpackhi_epi32(lo, hi));
                i += 4;
                continue;
            }
        }
        const int lo = InMaskBuf[i];
        const int hi = InMaskBuf[half + i];
        if (hi < MASK_MOVED_ROW) {  // the common case: no marker
            OutMaskBuf[2 * i] = lo;
            OutMaskBuf[2 * i + 1] = hi;
        } else if (Direction == 1 && hi == MASK_MOVED_ROW) {
            OutMaskBuf[2 * i] = 0;
            OutMaskBuf[2 * i + 1] = 1;
        } else if (Direction == 2 && hi == MASK_MOVED_COL) {
            OutMaskBuf[2 * i] = 0;
            OutMaskBuf[2 * i + 1] = 1;
        } else if (Direction == 2 && hi == MASK_MOVED_COL_ROW) {
            OutMaskBuf[2 * i] = MASK_MOVED_ROW;
            OutMaskBuf[2 * i + 1] = 1;
        } else {
            OutMaskBuf[2 * i] = lo;
            OutMaskBuf[2 * i + 1] = hi;
        }
        ++i;
    }
}

// Whether some run has two samples: those are lifted from unscaled entries.
bool HasPair(const MaskRun* runs, int count)
{
    for (int i = 0; i < count; ++i)
        if (runs[i].length == 2)
            return true;
    return false;
}

// One line of the synthesis, InBuf holding its low band then its high band,
// into OutBuf, which may be InBuf: the shape's runs come from their bands,
// every other sample becomes 0. A lone sample takes its low entry. work
// holds Length ints. small: every entry of the line is known to be below
// kSmallEntry in magnitude; otherwise the line is looked at.
void SynthesizeLine(int* InBuf, int* OutBuf, int* work, int Length, const MaskRun* runs, int count, bool small)
{
    // Sample x of a run takes entry x / 2 of its band, so on a line of even
    // length no two runs share an entry: when all are small, the line is
    // scaled into work in one sweep per band instead of run by run, to the
    // same values, and lifted from there.
    const int half = Length / 2;
    if (count > 0 && Length % 2 == 0 && Length <= kVectorRun && !HasPair(runs, count) &&
        (small || SmallBands(InBuf, half, InBuf + half, half))) {
        if (OutBuf == InBuf && AllZero(InBuf, Length))
            return;  // zeros synthesise to zeros: most fine-level detail is 0
        int* low = work;
        int* high = work + half;
        ScaleSmallBand(InBuf, low, half, kLowScale);
        ScaleSmallBand(InBuf + half, high, half, kHighScale);
        int end = 0;
        for (int i = 0; i < count; ++i) {
            const int start = runs[i].start;
            std::fill(OutBuf + end, OutBuf + start, 0);
            if (runs[i].length == 1)
                OutBuf[start] = low[start >> 1];
            else
                LiftSmallRun(OutBuf + start, low + ((start + 1) >> 1), high + (start >> 1), start & 1,
                             runs[i].length);
            end = start + runs[i].length;
        }
        std::fill(OutBuf + end, OutBuf + Length, 0);
        return;
    }
    std::copy(InBuf, InBuf + Length, work);
    std::fill(OutBuf, OutBuf + Length, 0);
    for (int i = 0; i < count; ++i) {
        const int start = runs[i].start;
        const int run = runs[i].length;
        int* low = work + (run == 1 ? start >> 1 : (start + 1) >> 1);
        int* high = work + half + (start >> 1);
        SynthesizeSegmentOddSymInt(OutBuf + start, low, high, start & 1, run);
    }
}

} // namespace

int iSADWT1dOddSymInt(int* InBuf, const int* InMaskBuf, int* OutBuf, int* OutMaskBuf, int Length,
                      int Direction)
{
    if (Length <= 0)
        return 0;
    RebuildMaskLine(InMaskBuf, OutMaskBuf, Length, Direction);
    std::vector<MaskRun> runs(RunRoom(Length));
    const int count = FindRuns(OutMaskBuf, Length, runs.data());
    std::vector<int> work(Length);
    SynthesizeLine(InBuf, OutBuf, work.data(), Length, runs.data(), count, false);
    return 0;
}

// Where the shape lies along every line the synthesis rebuilds, level by
// level from the coarsest, each level's columns then its rows. It follows
// from the mask alone, so all colours of a photo share one plan.
struct SynthesisPlan {
    int levels = 0;
    std::vector<MaskRun> runs;
    std::vector<size_t> lineEnd;  // one past each line's last run
};

namespace {

// The runs of the plan's line `line`.
std::pair<const MaskRun*, int> RunsOf(const SynthesisPlan& plan, size_t line)
{
    const size_t first = line == 0 ? 0 : plan.lineEnd[line - 1];
    return {plan.runs.data() + first, static_cast<int>(plan.lineEnd[line] - first)};
}

// The mask rebuild of one level, recording each line's runs of the shape.
void PlanOneLevel(SynthesisPlan& plan, matrix_t* mask, int level, int* in, int* out)
{
    const int h = mask->numrows_ >> (level - 1);
    const int w = mask->numcols_ >> (level - 1);
    // Straight into the plan: a line has a run or two, too few for a copy.
    auto recordRuns = [&](const int* line, int length) {
        ForEachRun(line, length, [&](int start, int run) { plan.runs.push_back({start, run}); });
        plan.lineEnd.push_back(plan.runs.size());
    };
    const size_t stride = mask->numcols_;
    const size_t room = static_cast<size_t>(std::max(mask->numrows_, mask->numcols_)) + 1;
    int* const ins[4] = {in, in + room, in + 2 * room, in + 3 * room};
    int* const outs[4] = {out, out + room, out + 2 * room, out + 3 * room};
    for (int c = 0; c < w; c += 4) {
        const int count = std::min(4, w - c);
        ColumnsToLines(mask->data_ + c, stride, h, count, ins);
        for (int k = 0; k < count; ++k) {
            RebuildMaskLine(ins[k], outs[k], h, 2);
            recordRuns(outs[k], h);
        }
        LinesToColumns(outs, count, h, mask->data_ + c, stride);
    }
    for (int r = 0; r < h; ++r) {
        std::memcpy(in, mask->rows_[r], sizeof(int) * w);
        RebuildMaskLine(in, mask->rows_[r], w, 1);
        recordRuns(mask->rows_[r], w);
    }
}

// One level of the coefficient synthesis along the plan's lines, which
// start at *line. in holds four lines of the longest side or a block of
// columns synthesised across, work one line.
// A bound of a pass's output from its input's (below 2^32): scaling by
// 1.4142 and lifting give at most 2.8285 x bound + 4.25, and no int is
// above 2^31.
uint64_t AfterPass(uint64_t bound)
{
    return std::min<uint64_t>(3 * bound + 5, uint64_t(1) << 31);
}

// known: no entry of the level is above it in magnitude, or kUnknownBound.
void SynthesizeOneLevelInt(const SynthesisPlan& plan, size_t* line, matrix_t* coeff, int level, int* in,
                           int* work, size_t longest, uint64_t known)
{
    const int h = coeff->numrows_ >> (level - 1);
    const int w = coeff->numcols_ >> (level - 1);
    // The columns' entries, then the rows', are looked at once for the level
    // unless a known bound shows them small: when all are, no line needs
    // looking at.
    auto levelBound = [&] {
        SmallEntries entries;
        for (int r = 0; r < h; ++r)
            entries.Add(coeff->rows_[r], w);
        return entries.Bound();
    };
    const bool knownSmall = known < static_cast<uint64_t>(kSmallEntry);
    const uint32_t bound = knownSmall ? 0 : levelBound();
    bool small = knownSmall || bound <= static_cast<uint32_t>(kSmallEntry);
    auto synthesizeLine = [&](int* lineIn, int length) {
        const auto runs = RunsOf(plan, (*line)++);
        SynthesizeLine(lineIn, lineIn, work, length, runs.first, runs.second, small);
    };
    int* const ins[4] = {in, in + longest, in + 2 * longest, in + 3 * longest};
    const size_t stride = coeff->numcols_;
    // Neighbouring columns with the same runs (a rectangular shape, the
    // picture's margins) whose lines SynthesizeLine would take in one sweep
    // are synthesised across, kAcross at a time.
    ColumnRuns columns[kAcross];
    auto acrossFits = [&](int c) {
        if (h % 2 != 0 || h > kVectorRun)
            return false;
        for (int j = 0; j < kAcross; ++j) {
            const auto runs = RunsOf(plan, *line + j);
            if (HasPair(runs.first, runs.second))
                return false;
            columns[j] = {runs.first, runs.second};
        }
        if (small)
            return true;
        SmallEntries entries;
        for (int r = 0; r < h; ++r)
            entries.Add(coeff->rows_[r] + c, kAcross);
        return entries.All();
    };
    for (int c = 0; c < w;) {
        if (w - c >= kAcross && acrossFits(c)) {
            SynthesizeColumnsAcross(coeff->data_ + c, stride, h, columns, in);
            *line += kAcross;
            c += kAcross;
            continue;
        }
        const int count = std::min(4, w - c);
        ColumnsToLines(coeff->data_ + c, stride, h, count, ins);
        for (int k = 0; k < count; ++k)
            synthesizeLine(ins[k], h);
        LinesToColumns(ins, count, h, coeff->data_ + c, stride);
        c += count;
    }
    // A pass leaves every magnitude below three times its inputs' bound
    // (and a few units): inputs up to 2^23 leave the rows small.
    if (knownSmall)
        small = AfterPass(known) < static_cast<uint64_t>(kSmallEntry) || levelBound() <= static_cast<uint32_t>(kSmallEntry);
    else
        small = bound <= static_cast<uint32_t>(kSmallEntry / 8) || levelBound() <= static_cast<uint32_t>(kSmallEntry);
    // A row is its own input line: its bands are scaled into work first.
    for (int r = 0; r < h; ++r)
        synthesizeLine(coeff->rows_[r], w);
}

} // namespace

SynthesisPlan* Plan_Synthesis(const matrix_t* InMask, int nLevels, matrix_t* OutMask)
{
    const size_t longest = static_cast<size_t>(std::max(InMask->numrows_, InMask->numcols_)) + 1;
    try {
        std::vector<int> in(4 * longest), out(4 * longest);
        auto* plan = new SynthesisPlan;
        plan->levels = nLevels;
        // Each level has as many lines as its rows and columns; a photo's
        // outline crosses most lines once or twice.
        size_t lines = 0;
        for (int l = nLevels; l >= 1; --l)
            lines += static_cast<size_t>((InMask->numrows_ >> (l - 1)) + (InMask->numcols_ >> (l - 1)));
        plan->lineEnd.reserve(lines);
        plan->runs.reserve(2 * lines);
        matrix_copy(OutMask, InMask);
        for (int l = nLevels; l >= 1; --l)
            PlanOneLevel(*plan, OutMask, l, in.data(), out.data());
        return plan;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void Free_Synthesis_Plan(SynthesisPlan* plan)
{
    delete plan;
}

int Synthesize_Planned(const SynthesisPlan* plan, matrix_t* coeff, uint64_t bound)
{
    const size_t longest = static_cast<size_t>(std::max(coeff->numrows_, coeff->numcols_)) + 1;
    // Four lines, or a block of columns synthesised across; and a line.
    const size_t room = std::max<size_t>(4 * longest, (longest + longest / 2 + 1) * kAcross);
    int* in = static_cast<int*>(std::malloc(sizeof(int) * (room + longest)));
    int* work = in + room;
    const int result = in ? 0 : -10;
    size_t line = 0;
    // A level's entries are the coarser level's output and detail entries.
    uint64_t known = bound;
    for (int l = plan->levels; l >= 1 && result == 0; --l) {
        SynthesizeOneLevelInt(*plan, &line, coeff, l, in, work, longest, known);
        known = known == kUnknownBound ? known : std::max(AfterPass(AfterPass(known)), bound);
    }
    std::free(in);
    return result;
}

void SA_IDWT(const matrix_t* InData, const matrix_t* InMask, int nLevels, matrix_t* OutCoeff,
             matrix_t* OutMask)
{
    // OutCoeff may be InData: each entry is read before it is written.
    const int* mask = InMask->data_;
    const int* coeff = InData->data_;
    int* pixels = OutCoeff->data_;
    for (int i = 0, n = InMask->datasize_; i < n; ++i) {
        const int value = coeff[i];  // read unconditionally, so the loop vectorises
        pixels[i] = mask[i] >= 1 ? value : 0;
    }
    SynthesisPlan* plan = Plan_Synthesis(InMask, nLevels, OutMask);
    if (plan)
        Synthesize_Planned(plan, OutCoeff);
    Free_Synthesis_Plan(plan);
}
