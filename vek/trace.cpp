// SPDX-License-Identifier: Apache-2.0
#include "trace.h"

#include <algorithm>

#include "Imagedata.h"

const int trace_dx[8] = {1, 1, 0, -1, -1, -1, 0, 1};
const int trace_dy[8] = {0, 1, 1, 1, 0, -1, -1, -1};

void init_trace_buf(trace_buffer* tb, int Lmax)
{
    tb->buf_num = TRACE_MAX_CONTOURS;
    tb->trace_num = 0;
    tb->buf = new trace_header*[tb->buf_num]();
    tb->temp = new trace_header();
    tb->temp->Lmax = Lmax;
}

int add_trace(trace_buffer* tb)
{
    if (tb->trace_num >= tb->buf_num)
        return 0;
    tb->buf[tb->trace_num++] = new trace_header(*tb->temp);
    return 1;
}

void empty_trace(trace_buffer* tb)
{
    for (int i = 0; i < tb->trace_num; ++i) {
        delete tb->buf[i];
        tb->buf[i] = nullptr;
    }
    tb->trace_num = 0;
}

void term_trace_buf(trace_buffer* tb)
{
    empty_trace(tb);
    delete[] tb->buf;
    delete tb->temp;
    tb->buf = nullptr;
    tb->temp = nullptr;
}

int trace_inside(const trace_header* head, int width, int height)
{
    int x = head->x_init;
    int y = head->y_init;
    for (int j = 0;; ++j) {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0;
        if (j >= head->stepnum)
            return 1;
        x += trace_dx[head->code[j]];
        y += trace_dy[head->code[j]];
    }
}

static void Toggle_row(CImageData* box, int row, int last_column, int index)
{
    unsigned char* p = box->m_pData[row];
    for (int c = 0; c <= last_column; ++c)
        p[c] ^= (unsigned char)index;
}

namespace {

// Scan-line parity: each crossing toggles its row from the box's left edge,
// so what lies between an odd and an even crossing ends up set.
void Rasterise(trace_header* head, int index)
{
    trace_rect& rect = head->rect;
    int x = head->x_init;
    int y = head->y_init;
    rect.x1 = rect.x2 = x;
    rect.y1 = rect.y2 = y;
    for (int j = 0; j < head->stepnum; ++j) {
        x += trace_dx[head->code[j]];
        y += trace_dy[head->code[j]];
        rect.x1 = std::min(rect.x1, x);
        rect.x2 = std::max(rect.x2, x);
        rect.y1 = std::min(rect.y1, y);
        rect.y2 = std::max(rect.y2, y);
    }
    CImageData* box = new CImageData(rect.x2 - rect.x1 + 1, rect.y2 - rect.y1 + 1);
    box->SetDefaultValue(0);
    rect.buf = box;

    x = head->x_init - rect.x1;
    y = head->y_init - rect.y1;
    int last_dy = -1;
    for (int j = 0; j < head->stepnum; ++j) {
        const int dy = trace_dy[head->code[j]];
        const int nx = x + trace_dx[head->code[j]];
        const int ny = y + dy;
        if (dy != 0) {
            if (dy == last_dy) {
                Toggle_row(box, ny, nx, index);
            } else {
                Toggle_row(box, y, x, index);
                Toggle_row(box, ny, nx, index);
                last_dy = dy;
            }
        }
        x = nx;
        y = ny;
    }

    x = head->x_init - rect.x1;
    y = head->y_init - rect.y1;
    box->m_pData[y][x] = (unsigned char)index;
    for (int j = 0; j < head->stepnum; ++j) {
        x += trace_dx[head->code[j]];
        y += trace_dy[head->code[j]];
        box->m_pData[y][x] = (unsigned char)index;
    }
}

} // namespace

void trace_info(trace_header* head, int index)
{
    Rasterise(head, index);
    const CImageData* box = head->rect.buf;
    // Width and rows through locals: a byte store may alias any field, which
    // would keep this loop and fill's from vectorising.
    const int width = box->m_Width;
    const unsigned char mark = (unsigned char)index;
    trace_rect& rect = head->rect;
    int area = 0;
    for (int r = 0; r < box->m_Height; ++r) {
        const unsigned char* row = box->m_pData[r];
        for (int c = 0; c < width; ++c)
            area += row[c] == mark;
    }
    rect.area = area;
}

void end_trace_info(trace_header* head)
{
    delete head->rect.buf;
    head->rect.buf = nullptr;
}

void fill(CImageData* pSrc, trace_header* head)
{
    Rasterise(head, 255);  // the area is not needed here
    const CImageData* box = head->rect.buf;
    const int width = box->m_Width;
    const int x1 = head->rect.x1;
    const int y1 = head->rect.y1;
    for (int r = 0; r < box->m_Height; ++r) {
        const unsigned char* from = box->m_pData[r];
        unsigned char* to = pSrc->m_pData[y1 + r] + x1;
        for (int c = 0; c < width; ++c)
            to[c] = from[c] == 255 ? 255 : to[c];  // a select, so the row vectorises
    }
    end_trace_info(head);
}
