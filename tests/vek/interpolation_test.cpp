// SPDX-License-Identifier: Apache-2.0
// Background gradient fill: edges, spans, continuations and the row repeats.
#include "Interpolation.h"
#include "MemManage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Plane {
public:
    Plane(int width, int height) : width_(width), height_(height)
    {
        rows_ = reinterpret_cast<unsigned char**>(MallocBuf(width, height, 24));
    }
    ~Plane() { FreeBuf(reinterpret_cast<void**>(rows_)); }
    Plane(const Plane&) = delete;
    Plane& operator=(const Plane&) = delete;

    void Fill(std::vector<VERTEX> polygon)
    {
        interpolation(rows_, width_, height_, polygon.data(), static_cast<int>(polygon.size()));
    }
    int Red(int r, int c) const { return rows_[r][3 * c]; }
    std::vector<int> Row(int r, int channel) const
    {
        std::vector<int> out;
        for (int c = 0; c < width_; ++c)
            out.push_back(rows_[r][3 * c + channel]);
        return out;
    }
    unsigned char** rows() { return rows_; }

private:
    int width_;
    int height_;
    unsigned char** rows_;
};

VERTEX V(int x, int y, int r, int g = 0, int b = 0)
{
    return VERTEX{x, y, PIXEL{static_cast<UCHR>(r), static_cast<UCHR>(g), static_cast<UCHR>(b)}};
}

} // namespace

TEST(Gradient, TwoVerticesPaintEachRowInTheEdgeColourAtThatHeight)
{
    Plane plane(10, 8);
    plane.Fill({V(2, 1, 0, 0, 0), V(7, 6, 100, 50, 250)});
    // Rows 1..6 are painted 20 a row apart; the first painted row repeats
    // row 2 and the last painted row repeats row 5, as do the rows beyond.
    const int red[8] = {20, 20, 20, 40, 60, 80, 80, 80};
    for (int r = 0; r < 8; ++r) {
        EXPECT_EQ(std::vector<int>(10, red[r]), plane.Row(r, 0)) << "row " << r;
        EXPECT_EQ(std::vector<int>(10, red[r] / 2), plane.Row(r, 1)) << "row " << r;
        EXPECT_EQ(std::vector<int>(10, red[r] * 5 / 2), plane.Row(r, 2)) << "row " << r;
    }
}

TEST(Gradient, SpansAreNotClampedContinuationsAre)
{
    Plane plane(10, 8);
    plane.Fill({V(4, 1, 100), V(6, 1, 200), V(6, 5, 200), V(4, 5, 100)});
    const std::vector<int> expected = {0, 0, 0, 50, 100, 150, 200, 250, 255, 255};
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(expected, plane.Row(r, 0)) << "row " << r;
}

TEST(Gradient, EveryNeighbouringPairIsFilledGapsIncluded)
{
    // A chevron: rows 2 and 3 cross four edges, with the notch between 2 and 3.
    Plane plane(10, 8);
    plane.Fill({V(1, 1, 77), V(5, 4, 77), V(9, 1, 77), V(5, 7, 77)});
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(std::vector<int>(10, 77), plane.Row(r, 0)) << "row " << r;
}

TEST(Gradient, OneActiveEdgePaintsNothing)
{
    Plane plane(6, 3);
    Edge active = {};
    Edge* edge = new Edge();
    edge->xIntersect = 2;
    edge->rColor = 90;
    edge->yUpper = 2;
    insertEdge(&active, edge);
    fillScan(plane.rows(), 6, 1, &active);
    EXPECT_EQ(std::vector<int>(6, 0), plane.Row(1, 0));
    deleteAfter(&active);
}

TEST(Gradient, ContinuationsBeyondTheIntRangeClampLikeAnyOther)
{
    // Two crossings a hair apart: the slope is about 1e9 a pixel, so from the
    // second pixel on the continuations leave the int range both ways.
    Plane plane(6, 3);
    Edge active = {};
    Edge left = {}, right = {};
    left.xIntersect = 2;
    right.xIntersect = 2.0000002f;
    right.rColor = right.gColor = right.bColor = 255;
    insertEdge(&active, &left);
    insertEdge(&active, &right);
    fillScan(plane.rows(), 6, 1, &active);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_EQ(std::vector<int>({0, 0, 255, 255, 255, 255}), plane.Row(1, channel)) << channel;
}

TEST(Gradient, EqualCrossingsKeepInsertionOrder)
{
    Edge list = {};
    Edge a = {}, b = {}, c = {};
    a.xIntersect = 1;
    b.xIntersect = 3;
    c.xIntersect = 1;
    insertEdge(&list, &a);
    insertEdge(&list, &b);
    insertEdge(&list, &c);
    EXPECT_EQ(&a, list.next);
    EXPECT_EQ(&c, a.next);
    EXPECT_EQ(&b, c.next);
}

TEST(Gradient, NextDifferentHeightWrapsAndSkipsEqualOnes)
{
    VERTEX v[4] = {V(0, 3, 0), V(1, 5, 0), V(2, 5, 0), V(3, 5, 0)};
    EXPECT_EQ(3, yNext(1, 4, v));
    EXPECT_EQ(5, yNext(0, 4, v));
}

TEST(Gradient, PolygonsThatPaintNoUsableRowFallBackToTheLastCorner)
{
    Plane plane(10, 8);
    plane.Fill({V(3, 3, 9, 8, 7)});  // a single corner makes no edge
    EXPECT_EQ(std::vector<int>(10, 9), plane.Row(0, 0));
    EXPECT_EQ(std::vector<int>(10, 7), plane.Row(7, 2));

    Plane below(10, 8);
    below.Fill({V(0, 8, 1), V(9, 8, 1), V(9, 20, 1), V(0, 20, 42)});
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(std::vector<int>(10, 42), below.Row(r, 0));

    Plane lastRow(10, 8);  // only row 7 is painted: nothing below it to repeat
    lastRow.Fill({V(0, 7, 1), V(9, 7, 1), V(9, 30, 1), V(0, 30, 5)});
    EXPECT_EQ(std::vector<int>(10, 5), lastRow.Row(0, 0));
}

TEST(Gradient, CornersFarOutsideThePlaneStayInBounds)
{
    Plane plane(10, 8);
    plane.Fill({V(511, 0, 255), V(511, 511, 0), V(0, 511, 128), V(0, 2, 60)});
    // Row 2 starts on the left edge at x = 0; the polygon covers the row.
    EXPECT_EQ(60, plane.Red(2, 0));
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 10; ++c)
            EXPECT_GT(plane.Red(r, c), 0) << r << "," << c;
}
