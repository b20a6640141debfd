// SPDX-License-Identifier: Apache-2.0
#include "SaDwtAnalysis.h"

#include <cmath>

#include "sa_idwt.h"

namespace {

int FloorHalf(int v)
{
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

int FloorQuarter(int v)
{
    return v >= 0 ? v / 4 : -((-v + 3) / 4);
}

int Nearest(double v)
{
    return static_cast<int>(std::lround(v));
}

// Lifting over one run starting at absolute position start; even absolute
// positions are low samples, odd ones high.
void AnalyzeRun(const int* x, int start, int len, int* out, int n)
{
    const int half = n / 2;
    if (len == 1) {
        out[start >> 1] = Nearest(x[start] / 0.7071);
        return;
    }
    std::vector<int> y(x + start, x + start + len);
    auto low = [&](int j) { return ((start + j) & 1) == 0; };
    auto at = [&](const std::vector<int>& v, int j, int other) {
        return j >= 0 && j < len ? v[j] : v[other];
    };
    std::vector<int> lifted(y);
    for (int j = 0; j < len; ++j)
        if (!low(j))
            lifted[j] = y[j] - FloorHalf(at(y, j - 1, j + 1) + at(y, j + 1, j - 1));
    for (int j = 0; j < len; ++j)
        if (low(j))
            lifted[j] = y[j] + FloorQuarter(at(lifted, j - 1, j + 1) + at(lifted, j + 1, j - 1) + 2);
    for (int j = 0; j < len; ++j) {
        const int q = start + j;
        if (low(j))
            out[q / 2] = len == 2 ? lifted[j] : Nearest(lifted[j] / 0.7071);
        else
            out[half + q / 2] = len == 2 ? lifted[j] : Nearest(lifted[j] / 1.4142);
    }
}

} // namespace

void Analyze_Line(const int* in, const int* mask, int* out, int n)
{
    for (int s = 0; s < n;) {
        int len = 0;
        while (s + len < n && mask[s + len] == 1)
            ++len;
        if (len == 0) {
            ++s;
            continue;
        }
        AnalyzeRun(in, s, len, out, n);
        s += len;
    }
}

std::vector<int> Analyze_SA_DWT(const std::vector<int>& pixels, const std::vector<int>& mask,
                                int width, int height, int levels)
{
    std::vector<int> data(pixels), shape(mask);
    std::vector<int> in, inMask, out, outMask;
    auto pass = [&](int count, int length, int direction, auto index) {
        in.resize(length);
        inMask.resize(length);
        outMask.resize(length);
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < length; ++j) {
                in[j] = data[index(i, j)];
                inMask[j] = shape[index(i, j)];
            }
            out.assign(length, 0);
            Analyze_Line(in.data(), inMask.data(), out.data(), length);
            SADWT1dOddSymInt_Mask(inMask.data(), outMask.data(), length, direction);
            for (int j = 0; j < length; ++j) {
                data[index(i, j)] = out[j];
                shape[index(i, j)] = outMask[j];
            }
        }
    };
    for (int l = 1; l <= levels; ++l) {
        const int h = height >> (l - 1);
        const int w = width >> (l - 1);
        pass(h, w, 1, [&](int r, int c) { return r * width + c; });
        pass(w, h, 2, [&](int c, int r) { return r * width + c; });
    }
    return data;
}
