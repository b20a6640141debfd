// SPDX-License-Identifier: Apache-2.0
#include "SyntheticPayload.h"

#include <cmath>
#include <cstdlib>
#include <random>

#include "Matrix.h"
#include "Vek.h"
#include "ZeroTreeEncoder.h"
#include "sa_idwt.h"
#include "trace.h"
#include "Imagedata.h"

static int Sign(int v) { return (v > 0) - (v < 0); }

static int Direction_Code(int dx, int dy)
{
    static const int CODE[3][3] = {{5, 4, 3}, {6, -1, 2}, {7, 0, 1}};  // [dx + 1][dy + 1]
    return CODE[dx + 1][dy + 1];
}

MaskContour Chain_Through(const std::vector<VERTEX>& corners)
{
    MaskContour chain{corners[0].x, corners[0].y, {}};
    int x = chain.x_init;
    int y = chain.y_init;
    for (size_t i = 1; i <= corners.size(); ++i) {
        const VERTEX& target = corners[i % corners.size()];
        while (x != target.x || y != target.y) {
            const int ax = std::abs(target.x - x);
            const int ay = std::abs(target.y - y);
            int sx = Sign(target.x - x);
            int sy = Sign(target.y - y);
            if (ax > 2 * ay)
                sy = 0;
            else if (ay > 2 * ax)
                sx = 0;
            chain.codes.push_back(Direction_Code(sx, sy));
            x += sx;
            y += sy;
        }
    }
    return chain;
}

MaskContour Head_And_Shoulders_Outline()
{
    return Chain_Through({{5, 125, {}}, {20, 95, {}}, {36, 86, {}}, {31, 60, {}}, {29, 30, {}},
                          {51, 8, {}}, {73, 30, {}}, {71, 60, {}}, {66, 86, {}}, {82, 95, {}},
                          {97, 125, {}}});
}

// The mask in the wavelet domain, as the decoder will derive it.
static std::vector<int> Decomposed_Mask(const MaskContour& outline, int sw, int sh, int level)
{
    trace_header head{};
    head.Lmax = TRACE_MAX_STEPS;
    head.x_init = outline.x_init;
    head.y_init = outline.y_init;
    head.stepnum = (int)outline.codes.size();
    for (int j = 0; j < head.stepnum; ++j)
        head.code[j] = (unsigned char)outline.codes[j];
    CImageData image(IMAGE_WIDTH, IMAGE_HEIGHT);
    image.SetDefaultValue(0);
    fill(&image, &head);

    matrix_t* spatial = matrix_create(sh, sw);
    for (int r = 0; r < IMAGE_HEIGHT; ++r)
        for (int c = 0; c < IMAGE_WIDTH; ++c)
            spatial->rows_[r][c] = image.m_pData[r][c] ? 1 : 0;
    matrix_t* decomposed = matrix_create(sh, sw);
    do_IDWT_Mask(spatial, level, decomposed);
    std::vector<int> fmask(decomposed->data_, decomposed->data_ + decomposed->datasize_);
    matrix_destroy(spatial);
    matrix_destroy(decomposed);
    return fmask;
}

// Level of the coefficient at (r, c): 0 for the low band, else 1 (finest) .. level.
static int Band_Level(int r, int c, int sw, int sh, int level)
{
    for (int l = 1; l <= level; ++l) {
        if (r >= (sh >> l) || c >= (sw >> l))
            return l;
    }
    return 0;
}

static ZeroTreePlanes Synthetic_Planes(std::mt19937& rng, const std::vector<int>& fmask, int sw,
                                       int sh, int level, double mean, double detail)
{
    ZeroTreePlanes p;
    p.width = sw;
    p.height = sh;
    p.level = level;
    p.fmask = fmask;
    p.coeff.assign(fmask.size(), 0);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (int r = 0; r < sh; ++r) {
        for (int c = 0; c < sw; ++c) {
            const size_t i = (size_t)r * sw + c;
            if (fmask[i] != 1)
                continue;
            const int l = Band_Level(r, c, sw, sh, level);
            const double v = l == 0 ? mean * (1 << level) * (1 + 0.1 * noise(rng))
                                    : detail * std::pow(1.8, l) * noise(rng);
            p.coeff[i] = (int)std::lround(v);
        }
    }
    return p;
}

Bytes Synthetic_Payload(unsigned seed, bool gradient, int level)
{
    std::mt19937 rng(seed);
    const int sw = ((IMAGE_WIDTH + (1 << level) - 1) >> level) << level;
    const int sh = ((IMAGE_HEIGHT + (1 << level) - 1) >> level) << level;

    MaskContent mask;
    mask.back = gradient ? 1 : 0;
    mask.clrmean = PIXEL{200, 210, 220};
    mask.points[0] = VERTEX{0, 0, {230, 235, 240}};
    mask.points[1] = VERTEX{101, 0, {200, 210, 230}};
    mask.points[2] = VERTEX{101, 125, {150, 170, 200}};
    mask.points[3] = VERTEX{0, 125, {170, 180, 210}};
    mask.contours.push_back(Head_And_Shoulders_Outline());
    const std::vector<int> fmask = Decomposed_Mask(mask.contours[0], sw, sh, level);

    PayloadContent content;
    content.config = Config_Byte(3, 1, level);
    content.mask_segment = Encode_Mask_Segment(mask);
    const double means[3] = {110, 120, 140};
    const double details[3] = {6, 2, 2};
    for (int k = 0; k < 3; ++k)
        content.colour_segments.push_back(
            Encode_Zero_Tree(Synthetic_Planes(rng, fmask, sw, sh, level, means[k], details[k])).segment);
    // Every byte the card has room for: config, mask length and segment,
    // object length, then colour sizes adding up to L + 26.
    const int room = 1014 - 1 - 4 - (int)content.mask_segment.size() - 4;
    content.object_length = room - 26;
    return Build_Payload(content);
}
