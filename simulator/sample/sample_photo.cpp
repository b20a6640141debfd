// SPDX-License-Identifier: Apache-2.0
#include "sample_photo.h"

#include <algorithm>
#include <functional>

namespace kvssample {
namespace {

using Region = std::function<bool(double x, double y)>;

Region ellipse(double cx, double cy, double rx, double ry)
{
    return [=](double x, double y) {
        const double dx = (x - cx) / rx;
        const double dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    };
}

Region rect(double left, double top, double right, double bottom)
{
    return [=](double x, double y) { return x >= left && x <= right && y >= top && y <= bottom; };
}

Region both(Region a, Region b)
{
    return [=](double x, double y) { return a(x, y) && b(x, y); };
}

Region without(Region a, Region b)
{
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

Region above(double yLimit)
{
    return [=](double, double y) { return y <= yLimit; };
}

Region below(double yLimit)
{
    return [=](double, double y) { return y >= yLimit; };
}

Region ring(double cx, double cy, double rx, double ry, double width)
{
    return without(ellipse(cx, cy, rx, ry), ellipse(cx, cy, rx - width, ry - width));
}

Rgb shade(Rgb c, double factor)
{
    auto scale = [factor](uint8_t v) {
        return static_cast<uint8_t>(std::clamp(v * factor, 0.0, 255.0));
    };
    return {scale(c.r), scale(c.g), scale(c.b)};
}

// A top-down RGB picture; each fill blends by the share of a 4 x 4 grid of
// sample points inside the region, which smooths the outlines.
class Canvas {
public:
    explicit Canvas(Rgb background) : m_pixels(kPhotoWidth * kPhotoHeight, background) {}

    void fill(const Region& region, Rgb colour)
    {
        constexpr int kGrid = 4;
        for (int y = 0; y < kPhotoHeight; ++y) {
            for (int x = 0; x < kPhotoWidth; ++x) {
                int inside = 0;
                for (int sy = 0; sy < kGrid; ++sy)
                    for (int sx = 0; sx < kGrid; ++sx)
                        inside += region(x + (sx + 0.5) / kGrid, y + (sy + 0.5) / kGrid) ? 1 : 0;
                if (inside > 0)
                    blend(m_pixels[y * kPhotoWidth + x], colour, inside / double(kGrid * kGrid));
            }
        }
    }

    void verticalGradient(Rgb top, Rgb bottom)
    {
        for (int y = 0; y < kPhotoHeight; ++y) {
            Rgb c = top;
            blend(c, bottom, y / double(kPhotoHeight - 1));
            std::fill_n(m_pixels.begin() + y * kPhotoWidth, kPhotoWidth, c);
        }
    }

    Rgb at(int x, int y) const { return m_pixels[y * kPhotoWidth + x]; }

private:
    static void blend(Rgb& dst, Rgb src, double alpha)
    {
        auto mix = [alpha](uint8_t d, uint8_t s) { return static_cast<uint8_t>(d + (s - d) * alpha + 0.5); };
        dst = {mix(dst.r, src.r), mix(dst.g, src.g), mix(dst.b, src.b)};
    }

    std::vector<Rgb> m_pixels;
};

constexpr double kHeadX = 51, kHeadY = 56, kHeadRx = 23, kHeadRy = 29;

void drawHairBehindHead(Canvas& c, const FaceLook& look)
{
    switch (look.hairStyle) {
    case HairStyle::Long:
        c.fill(both(ellipse(kHeadX, 66, 33, 48), above(112)), look.hair);
        break;
    case HairStyle::Bun:
        c.fill(ellipse(kHeadX, 22, 12, 10), look.hair);
        c.fill(ellipse(kHeadX, 48, 26, 26), look.hair);
        break;
    case HairStyle::Short:
        c.fill(ellipse(kHeadX, 48, 26, 25), look.hair);
        break;
    case HairStyle::Receding:
        c.fill(both(ellipse(kHeadX, 52, 25, 24), below(42)), look.hair);
        break;
    }
}

void drawHairOverHead(Canvas& c, const FaceLook& look)
{
    switch (look.hairStyle) {
    case HairStyle::Long:
    case HairStyle::Bun:
        // Parted fringe: two sweeps meeting above the middle of the forehead.
        c.fill(both(ellipse(kHeadX - 9, 36, 17, 12), above(40)), look.hair);
        c.fill(both(ellipse(kHeadX + 9, 36, 17, 12), above(40)), look.hair);
        break;
    case HairStyle::Short:
        c.fill(both(ellipse(kHeadX, 40, 25, 16), above(38)), look.hair);
        break;
    case HairStyle::Receding:
        break;  // only the sides behind the head remain
    }
}

void drawEyes(Canvas& c, const FaceLook& look)
{
    for (double side : {-1.0, 1.0}) {
        const double ex = kHeadX + side * 9.5;
        c.fill(both(ellipse(ex, 45, 6, 2.2), above(46)), look.hair);  // eyebrow
        c.fill(ellipse(ex, 53, 5, 2.8), Rgb{250, 250, 250});
        c.fill(ellipse(ex, 53, 2.4, 2.4), look.iris);
        c.fill(ellipse(ex, 53, 1.0, 1.0), Rgb{15, 15, 15});
    }
    if (look.glasses) {
        const Rgb frame{40, 40, 45};
        c.fill(ring(kHeadX - 10, 53, 8, 6.5, 1.3), frame);
        c.fill(ring(kHeadX + 10, 53, 8, 6.5, 1.3), frame);
        c.fill(rect(kHeadX - 2.5, 51.5, kHeadX + 2.5, 52.8), frame);
        c.fill(rect(kHeadX - 23, 51.5, kHeadX - 17.5, 52.8), frame);
        c.fill(rect(kHeadX + 17.5, 51.5, kHeadX + 23, 52.8), frame);
    }
}

void drawNoseAndMouth(Canvas& c, const FaceLook& look)
{
    const Rgb shadow = shade(look.skin, 0.82);
    c.fill(ellipse(kHeadX, 61, 2.2, 6), shade(look.skin, 0.93));
    c.fill(ellipse(kHeadX - 2.3, 66, 1.3, 0.9), shadow);
    c.fill(ellipse(kHeadX + 2.3, 66, 1.3, 0.9), shadow);
    if (look.beard)
        c.fill(without(both(ellipse(kHeadX, 66, 21, 20), below(68)), ellipse(kHeadX, 74, 8, 3.5)),
               look.hair);
    // A slight smile: the lower half of a flat ellipse.
    c.fill(both(ellipse(kHeadX, 72, 7.5, 3.4), below(72)), Rgb{178, 72, 78});
    c.fill(rect(kHeadX - 7, 71.6, kHeadX + 7, 72.4), Rgb{120, 40, 45});
}

void drawPortrait(Canvas& c, const FaceLook& look)
{
    drawHairBehindHead(c, look);
    // Shoulders and collar.
    c.fill(ellipse(kHeadX, 128, 58, 35), look.shirt);
    c.fill(both(ellipse(kHeadX, 94, 11, 13), below(92)), shade(look.skin, 0.9));
    c.fill(rect(kHeadX - 8, 76, kHeadX + 8, 94), shade(look.skin, 0.9));
    c.fill(ellipse(kHeadX - 23, 56, 3.5, 6), shade(look.skin, 0.92));  // ears
    c.fill(ellipse(kHeadX + 23, 56, 3.5, 6), shade(look.skin, 0.92));
    c.fill(ellipse(kHeadX, kHeadY, kHeadRx, kHeadRy), look.skin);
    drawHairOverHead(c, look);
    drawEyes(c, look);
    drawNoseAndMouth(c, look);
}

void putLe(std::vector<uint8_t>& out, size_t offset, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> drawPortraitRgb(const FaceLook& look)
{
    Canvas canvas(look.background);
    canvas.verticalGradient(look.background, shade(look.background, 0.9));
    drawPortrait(canvas, look);

    std::vector<uint8_t> rgb;
    rgb.reserve(kPhotoWidth * kPhotoHeight * 3);
    for (int y = 0; y < kPhotoHeight; ++y)
        for (int x = 0; x < kPhotoWidth; ++x) {
            const Rgb p = canvas.at(x, y);
            rgb.insert(rgb.end(), {p.r, p.g, p.b});
        }
    return rgb;
}

std::vector<uint8_t> drawPortraitBitmap(const FaceLook& look)
{
    const std::vector<uint8_t> rgb = drawPortraitRgb(look);
    std::vector<uint8_t> file(kPhotoFileBytes, 0);
    file[0] = 'B';
    file[1] = 'M';
    putLe(file, 2, kPhotoFileBytes, 4);
    putLe(file, 10, kPhotoHeaderBytes, 4);
    putLe(file, 14, 40, 4);
    putLe(file, 18, kPhotoWidth, 4);
    putLe(file, 22, kPhotoHeight, 4);
    putLe(file, 26, 1, 2);
    putLe(file, 28, 24, 2);
    for (int row = 0; row < kPhotoHeight; ++row) {
        const int y = kPhotoHeight - 1 - row;  // the file stores the bottom row first
        const uint8_t* in = &rgb[y * kPhotoWidth * 3];
        uint8_t* out = &file[kPhotoHeaderBytes + row * kPhotoRowBytes];
        for (int x = 0; x < kPhotoWidth; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return file;
}

}  // namespace kvssample
