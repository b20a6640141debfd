// SPDX-License-Identifier: Apache-2.0
// Chain-coded contours: their store and their rasterisation.
#pragma once

class CImageData;

const int TRACE_MAX_STEPS = 2000;
const int TRACE_MAX_CONTOURS = 20;

struct trace_rect {
    int x1, x2, y1, y2;  // bounding box: min x, max x, min y, max y
    int area;            // pixels inside, outline included
    CImageData* buf;     // the filled contour while in use
};

struct trace_header {
    int Lmax;
    int stepnum;
    int x_init;
    int y_init;
    int label;
    int neck_loc;
    trace_rect rect;
    unsigned char code[TRACE_MAX_STEPS];  // direction codes 0..7
};

struct trace_buffer {
    int buf_num;
    int trace_num;
    trace_header** buf;
    trace_header* temp;
};

// Direction code steps: x grows to the right, y downwards.
extern const int trace_dx[8];
extern const int trace_dy[8];

void init_trace_buf(trace_buffer* tb, int Lmax);
// Copies temp into a new entry; returns 0 when the store is full.
int add_trace(trace_buffer* tb);
void empty_trace(trace_buffer* tb);
void term_trace_buf(trace_buffer* tb);

// 1 when every point of the chain, start included, lies in width x height.
int trace_inside(const trace_header* head, int width, int height);
// Rasterises the contour into a box of its own (rect.buf), its pixels set
// to index, and counts them (rect.area).
void trace_info(trace_header* head, int index);
void end_trace_info(trace_header* head);
void fill(CImageData* pSrc, trace_header* head);
