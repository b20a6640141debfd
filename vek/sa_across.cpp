// SPDX-License-Identifier: Apache-2.0
#include "sa_across.h"

#include <algorithm>
#include <cstring>

#include "sa_lifting.h"

namespace {

// Sample p of a run [s, e) of one column, from its scaled band entries: low
// ones (even p) from L, high ones (odd p) from H, both kAcross apart; at an
// end of the run the neighbour inside stands for both.
class RunSample {
public:
    RunSample(const int* L, const int* H, int s, int e) : L_(L), H_(H), s_(s), e_(e) {}
    int At(int p) const
    {
        if (p % 2 == 0)
            return Low(p);
        const int left = p - 1 >= s_ ? Low(p - 1) : Low(p + 1);
        const int right = p + 1 < e_ ? Low(p + 1) : left;
        return HighStep(H_[(p >> 1) * kAcross], left, right);
    }

private:
    int Low(int p) const
    {
        const int left = H_[((p - 1 >= s_ ? p - 1 : p + 1) >> 1) * kAcross];
        const int right = p + 1 < e_ ? H_[((p + 1) >> 1) * kAcross] : left;
        return LowStep(L_[(p >> 1) * kAcross], left, right);
    }
    const int* L_;
    const int* H_;
    int s_, e_;
};

// Lifting along the runs all kAcross columns share; in holds their scaled
// entries row after row, lo room for the lifted low samples.
void LiftSharedRuns(int* top, size_t stride, int h, const ColumnRuns& shared, const int* in, int* lo)
{
    const int half = h / 2;
    const MaskRun* runs = shared.runs;
    const int count = shared.count;
    auto row = [&](int r) { return top + r * stride; };
    auto clear = [&](int from, int to) {
        for (int r = from; r < to; ++r)
            std::fill(row(r), row(r) + kAcross, 0);
    };
    int end = 0;
    for (int i = 0; i < count; ++i) {
        const int start = runs[i].start;
        const int length = runs[i].length;
        clear(end, start);
        end = start + length;
        if (length == 1) {
            std::memcpy(row(start), in + (start >> 1) * kAcross, sizeof(int) * kAcross);
            continue;
        }
        const bool lowFirst = (start & 1) == 0;
        const int highCount = lowFirst ? length / 2 : (length + 1) / 2;
        const int lowCount = length - highCount;
        const int* inLow = in + ((start + 1) >> 1) * kAcross;
        const int* inHigh = in + (half + (start >> 1)) * kAcross;
        // As in LiftSmallRun: low sample k between high samples k + o and
        // k + o + 1, high sample k between low samples k + q and k + q + 1.
        for (int k = 0; k < lowCount; ++k) {
            int left, right;
            RunNeighbours(k, lowFirst ? -1 : 0, highCount, left, right);
            const int* l = inLow + k * kAcross;
            const int* a = inHigh + left * kAcross;
            const int* b = inHigh + right * kAcross;
            int* out = lo + k * kAcross;
            int* shown = row(start + (lowFirst ? 2 * k : 2 * k + 1));
            for (int j = 0; j < kAcross; j += 4) {
                const __m128i low = LowStep(Load4(l + j), Load4(a + j), Load4(b + j));
                Store4(out + j, low);
                Store4(shown + j, low);
            }
        }
        for (int k = 0; k < highCount; ++k) {
            int left, right;
            RunNeighbours(k, lowFirst ? 0 : -1, lowCount, left, right);
            const int* hi = inHigh + k * kAcross;
            const int* a = lo + left * kAcross;
            const int* b = lo + right * kAcross;
            int* out = row(start + (lowFirst ? 2 * k + 1 : 2 * k));
            for (int j = 0; j < kAcross; j += 4)
                Store4(out + j, HighStep(Load4(hi + j), Load4(a + j), Load4(b + j)));
        }
    }
    clear(end, h);
}


// Lifting of columns whose runs differ.
void LiftOwnRuns(int* top, size_t stride, int h, const ColumnRuns* columns, const int* in, int* lo)
{
    const int half = h / 2;
    const int* inHigh = in + half * kAcross;
    auto row = [&](int r) { return top + r * stride; };
    // Low sample k between high entries k - 1 and k (the first mirrored).
    for (int k = 0; k < half; ++k) {
        const int* a = inHigh + (k > 0 ? k - 1 : 0) * kAcross;
        const int* b = inHigh + k * kAcross;
        for (int j = 0; j < kAcross; j += 4)
            Store4(lo + k * kAcross + j, LowStep(Load4(in + k * kAcross + j), Load4(a + j), Load4(b + j)));
    }
    // Where each column's run starts and ends, for the columns with one run
    // at most (nearly all): samples outside it are cleared as they are stored.
    bool oneRun = true;
    int starts[kAcross], ends[kAcross];
    for (int j = 0; j < kAcross; ++j) {
        oneRun = oneRun && columns[j].count <= 1;
        starts[j] = columns[j].count > 0 ? columns[j].runs[0].start : 0;
        ends[j] = columns[j].count > 0 ? starts[j] + columns[j].runs[0].length : 0;
    }
    auto inRun = [&](int r, int j) {  // lanes j to j + 3 of row r: all ones inside the run
        const __m128i at = _mm_set1_epi32(r);
        const __m128i started = _mm_cmpgt_epi32(at, _mm_sub_epi32(Load4(starts + j), _mm_set1_epi32(1)));
        return _mm_and_si128(started, _mm_cmplt_epi32(at, Load4(ends + j)));
    };
    const __m128i all = _mm_set1_epi32(-1);
    // High sample k between low samples k and k + 1 (the last mirrored).
    for (int k = 0; k < half; ++k) {
        const int* a = lo + k * kAcross;
        const int* b = lo + (k + 1 < half ? k + 1 : k) * kAcross;
        int* even = row(2 * k);
        int* odd = row(2 * k + 1);
        for (int j = 0; j < kAcross; j += 4) {
            const __m128i left = Load4(a + j);
            const __m128i high = HighStep(Load4(inHigh + k * kAcross + j), left, Load4(b + j));
            Store4(even + j, _mm_and_si128(left, oneRun ? inRun(2 * k, j) : all));
            Store4(odd + j, _mm_and_si128(high, oneRun ? inRun(2 * k + 1, j) : all));
        }
    }
    // Then, column by column, the samples the above did not get right.
    for (int j = 0; j < kAcross; ++j) {
        int* out = top + j;
        auto clear = [&](int from, int to) {
            for (int r = from; !oneRun && r < to; ++r)
                out[r * stride] = 0;
        };
        int end = 0;
        for (int i = 0; i < columns[j].count; ++i) {
            const int s = columns[j].runs[i].start;
            const int e = s + columns[j].runs[i].length;
            clear(end, s);
            end = e;
            if (e - s == 1) {  // a lone sample takes its low entry
                out[s * stride] = in[(s >> 1) * kAcross + j];
                continue;
            }
            // Only samples s, s + 1, e - 2 and e - 1 see an end of the run.
            const RunSample sample(in + j, inHigh + j, s, e);
            for (int p : {s, s + 1, e - 2, e - 1})
                out[p * stride] = sample.At(p);
        }
        clear(end, h);
    }
}

} // namespace

void SynthesizeColumnsAcross(int* top, size_t stride, int h, const ColumnRuns* columns, int* work)
{
    const int half = h / 2;
    int* in = work;  // the entries, row after row
    int* lo = work + static_cast<size_t>(h) * kAcross;
    auto row = [&](int r) { return top + r * stride; };
    // A block of zeros stays zeros: most fine-level detail is 0.
    __m128i bits = _mm_setzero_si128();
    for (int r = 0; r < h; ++r) {
        for (int j = 0; j < kAcross; j += 4) {
            const __m128i four = Load4(row(r) + j);
            bits = _mm_or_si128(bits, four);
            Store4(in + r * kAcross + j, four);
        }
    }
    if (IsZero(bits))
        return;
    ScaleSmallBand(in, in, half * kAcross, kLowScale);
    ScaleSmallBand(in + half * kAcross, in + half * kAcross, half * kAcross, kHighScale);
    auto same = [](const MaskRun& a, const MaskRun& b) { return a.start == b.start && a.length == b.length; };
    bool shared = true;
    for (int j = 1; j < kAcross && shared; ++j)
        shared = columns[j].count == columns[0].count &&
                 std::equal(columns[0].runs, columns[0].runs + columns[0].count, columns[j].runs, same);
    if (shared)
        LiftSharedRuns(top, stride, h, columns[0], in, lo);
    else
        LiftOwnRuns(top, stride, h, columns, in, lo);
}
