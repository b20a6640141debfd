#include "Interpolation.h"

#include <cstring>
#include <vector>

namespace {

unsigned char ClampColor(float c)
{
    if (c < 0)
        return 0;
    if (c >= 255)
        return 255;
    return static_cast<unsigned char>(static_cast<int>(c));
}

struct Rgb {
    float r, g, b;
};

void PutPixel(unsigned char* row, int width, int x, unsigned char r, unsigned char g,
              unsigned char b)
{
    if (x < 0 || x >= width)
        return;
    row[3 * x] = r;
    row[3 * x + 1] = g;
    row[3 * x + 2] = b;
}

// Inside a span the colour is stored truncated, without clamping.
unsigned char SpanByte(float c)
{
    return static_cast<unsigned char>(static_cast<int>(c));
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

void fillScan(unsigned char** background, int width, int scan, Edge* active)
{
    if (!active->next || !active->next->next)
        return;
    unsigned char* row = background[scan];
    for (Edge* e1 = active->next; e1->next; e1 = e1->next) {
        Edge* e2 = e1->next;
        const float span = e2->xIntersect - e1->xIntersect;
        Rgb dc = {0, 0, 0};
        if (span != 0) {
            dc.r = (e2->rColor - e1->rColor) / span;
            dc.g = (e2->gColor - e1->gColor) / span;
            dc.b = (e2->bColor - e1->bColor) / span;
        }
        const int x1 = static_cast<int>(e1->xIntersect);
        const int x2 = static_cast<int>(e2->xIntersect);
        Rgb c = {e1->rColor, e1->gColor, e1->bColor};
        for (int x = x1; x < x2; ++x) {
            PutPixel(row, width, x, SpanByte(c.r), SpanByte(c.g), SpanByte(c.b));
            c.r += dc.r;
            c.g += dc.g;
            c.b += dc.b;
        }
        if (e1 == active->next && x1 >= 0) {
            c = {e1->rColor, e1->gColor, e1->bColor};
            for (int x = x1; x >= 0; --x) {
                PutPixel(row, width, x, ClampColor(c.r), ClampColor(c.g), ClampColor(c.b));
                c.r -= dc.r;
                c.g -= dc.g;
                c.b -= dc.b;
            }
        }
        if (!e2->next) {
            if (x2 < width) {
                c = {e2->rColor, e2->gColor, e2->bColor};
                for (int x = x2; x < width; ++x) {
                    PutPixel(row, width, x, ClampColor(c.r), ClampColor(c.g), ClampColor(c.b));
                    c.r += dc.r;
                    c.g += dc.g;
                    c.b += dc.b;
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
