// SPDX-License-Identifier: Apache-2.0
#include "Interpolation.h"
#include "Intrinsics.h"

#include <cstring>
#include <vector>

namespace {

void PutPixel(unsigned char* row, int width, int x, unsigned char r, unsigned char g,
              unsigned char b)
{
    if (x < 0 || x >= width)
        return;
    row[3 * x] = r;
    row[3 * x + 1] = g;
    row[3 * x + 2] = b;
}

void FillFlat(unsigned char** background, int width, int height, const PIXEL& p)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            PutPixel(background[y], width, x, p.r, p.g, p.b);
}

void CopyRow(unsigned char** background, int width, int to, int from)
{
    std::memcpy(background[to], background[from], static_cast<size_t>(width) * 3);
}

} // namespace

void insertEdge(Edge* list, Edge* edge)
{
    Edge* p = list;
    while (p->next && p->next->xIntersect <= edge->xIntersect)
        p = p->next;
    edge->next = p->next;
    p->next = edge;
}

int yNext(int k, int count, VERTEX* vertex)
{
    int j = (k + 1) % count;
    while (j != k && vertex[j].y == vertex[k].y)
        j = (j + 1) % count;
    return vertex[j].y;
}

void makeEdgeRec(VERTEX lower, VERTEX upper, int yComp, Edge* edge, Edge** edges)
{
    const float dy = static_cast<float>(upper.y - lower.y);
    edge->dxPerScan = static_cast<float>(upper.x - lower.x) / dy;
    edge->xIntersect = static_cast<float>(lower.x);
    edge->rColor = lower.p.r;
    edge->gColor = lower.p.g;
    edge->bColor = lower.p.b;
    edge->drPerScan = static_cast<float>(upper.p.r - lower.p.r) / dy;
    edge->dgPerScan = static_cast<float>(upper.p.g - lower.p.g) / dy;
    edge->dbPerScan = static_cast<float>(upper.p.b - lower.p.b) / dy;
    edge->yUpper = upper.y < yComp ? upper.y - 1 : upper.y;
    insertEdge(edges[lower.y], edge);
}

void buildEdgeList(int count, VERTEX* vertex, Edge** edges, int height)
{
    VERTEX prev = vertex[count - 1];
    int yPrev = vertex[(2 * count - 2) % count].y;
    for (int i = 0; i < count; ++i) {
        const VERTEX cur = vertex[i];
        if (prev.y != cur.y) {
            const bool rising = prev.y < cur.y;
            const VERTEX& lower = rising ? prev : cur;
            // An edge starting below the plane never reaches a scan line.
            if (lower.y >= 0 && lower.y < height) {
                Edge* edge = new Edge();
                if (rising)
                    makeEdgeRec(prev, cur, yNext(i, count, vertex), edge, edges);
                else
                    makeEdgeRec(cur, prev, yPrev, edge, edges);
            }
        }
        yPrev = prev.y;
        prev = cur;
    }
}

void buildActiveList(int scan, Edge* active, Edge** edges)
{
    Edge* p = edges[scan]->next;
    while (p) {
        Edge* q = p->next;
        insertEdge(active, p);
        p = q;
    }
    edges[scan]->next = nullptr;
}

namespace {

// A colour as one register (r, g, b, 0): the three float sums of a span move
// together, each lane doing exactly the scalar operation.
__m128 ColourOf(const Edge& e)
{
    return _mm_setr_ps(e.rColor, e.gColor, e.bColor, 0);
}

// Three bytes from the register's lanes, packed without saturating: the
// values are already bytes.
void PutBytes(unsigned char* row, int width, int x, __m128i bytes)
{
    if (x < 0 || x >= width)
        return;
    const __m128i words = _mm_packs_epi32(bytes, bytes);
    const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(row + 3 * x, &packed, 3);
}

// Inside a span the colour is stored truncated, without clamping: the low
// byte of each lane's int.
__m128i SpanBytes(__m128 c)
{
    return _mm_and_si128(_mm_cvttps_epi32(c), _mm_set1_epi32(0xFF));
}

// Beyond the outer edges each lane is clamped to 0..255 first (compared as
// a float, so a lane that is not a number truncates to a low byte of 0).
__m128i ClampedBytes(__m128 c)
{
    const __m128i below = _mm_castps_si128(_mm_cmplt_ps(c, _mm_setzero_ps()));
    const __m128i above = _mm_castps_si128(_mm_cmpge_ps(c, _mm_set1_ps(255)));
    const __m128i inRange = _mm_andnot_si128(below, SpanBytes(c));
    return _mm_or_si128(_mm_and_si128(above, _mm_set1_epi32(255)), _mm_andnot_si128(above, inRange));
}

} // namespace

void fillScan(unsigned char** background, int width, int scan, Edge* active)
{
    if (!active->next || !active->next->next)
        return;
    unsigned char* row = background[scan];
    for (Edge* e1 = active->next; e1->next; e1 = e1->next) {
        Edge* e2 = e1->next;
        const float span = e2->xIntersect - e1->xIntersect;
        const __m128 dc =
            span != 0 ? _mm_div_ps(_mm_sub_ps(ColourOf(*e2), ColourOf(*e1)), _mm_set1_ps(span)) : _mm_setzero_ps();
        const int x1 = static_cast<int>(e1->xIntersect);
        const int x2 = static_cast<int>(e2->xIntersect);
        __m128 c = ColourOf(*e1);
        for (int x = x1; x < x2; ++x) {
            PutBytes(row, width, x, SpanBytes(c));
            c = _mm_add_ps(c, dc);
        }
        if (e1 == active->next && x1 >= 0) {
            c = ColourOf(*e1);
            for (int x = x1; x >= 0; --x) {
                PutBytes(row, width, x, ClampedBytes(c));
                c = _mm_sub_ps(c, dc);
            }
        }
        if (!e2->next) {
            if (x2 < width) {
                c = ColourOf(*e2);
                for (int x = x2; x < width; ++x) {
                    PutBytes(row, width, x, ClampedBytes(c));
                    c = _mm_add_ps(c, dc);
                }
            }
            return;
        }
    }
}

void deleteAfter(Edge* q)
{
    Edge* p = q->next;
    q->next = p->next;
    delete p;
}

void updateActiveList(int scan, Edge* active)
{
    Edge* q = active;
    Edge* p = active->next;
    while (p) {
        if (scan >= p->yUpper) {
            p = p->next;
            deleteAfter(q);
        } else {
            p->xIntersect += p->dxPerScan;
            p->rColor += p->drPerScan;
            p->gColor += p->dgPerScan;
            p->bColor += p->dbPerScan;
            q = p;
            p = p->next;
        }
    }
}

void resortActiveList(Edge* active)
{
    Edge* p = active->next;
    active->next = nullptr;
    while (p) {
        Edge* q = p->next;
        insertEdge(active, p);
        p = q;
    }
}

void interpolation(unsigned char** background, int width, int height, VERTEX* vertex, int count)
{
    if (count < 1 || width < 1 || height < 1)
        return;
    // One list head per scan line, all in one block.
    std::vector<Edge> heads(height);
    std::vector<Edge*> edges(height);
    for (int s = 0; s < height; ++s)
        edges[s] = &heads[s];
    buildEdgeList(count, vertex, edges.data(), height);
    Edge activeHead{};
    Edge* active = &activeHead;
    int ymin = height;
    int ymax = 0;
    for (int s = 0; s < height; ++s) {
        buildActiveList(s, active, edges.data());
        if (active->next) {
            fillScan(background, width, s, active);
            updateActiveList(s, active);
            resortActiveList(active);
            ymin = s < ymin ? s : ymin;
            ymax = s > ymax ? s : ymax;
        }
    }
    if (ymin > height - 2 || ymax < 1) {
        FillFlat(background, width, height, vertex[count - 1].p);
    } else {
        for (int y = 0; y <= ymin; ++y)
            CopyRow(background, width, y, ymin + 1);
        for (int y = ymax; y < height; ++y)
            CopyRow(background, width, y, ymax - 1);
    }
    while (active->next)
        deleteAfter(active);
}
