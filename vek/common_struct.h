// SPDX-License-Identifier: Apache-2.0
// The decoder's working record and the small value types every stage shares.
#pragma once

#include <cstdint>

typedef unsigned char UCHR;
typedef int BOOL;

// Stream functions: (buffer, size, count) -> bytes moved.
typedef int (*INSTREAM)(void* obj, int size, int num);
typedef int (*OUTSTREAM)(void* source, int size, int num);

struct color_pixel {
    UCHR r;
    UCHR g;
    UCHR b;
};
typedef color_pixel PIXEL;

struct color_point {
    int x;
    int y;
    PIXEL p;
};
typedef color_point VERTEX;

class Adaptive_Model;
class AritDecoder;
class CControl;
struct ColourModels;
struct SynthesisPlan;

struct position_struct {
    int16_t row;
    int16_t col;
};

// Significance list of one colour.
struct link_struct {
    int current;
    int length;
    int linklen;
    int buflen;
    int T;
    position_struct* head;
    position_struct* buf;
};
typedef link_struct* link_ptr;

// State of one colour component (0 = Y, 1 = U, 2 = V).
struct color_struct {
    int** A;
    UCHR** C;
    int t;
    uint64_t bound;  // no coefficient's magnitude is above it (0: not known)
    Adaptive_Model* m0;
    Adaptive_Model* m1;
    Adaptive_Model* m2;
    Adaptive_Model* m3;
    Adaptive_Model* m4;
    Adaptive_Model* m5;
    ColourModels* models;  // owns m0 to m5
    link_ptr pl;
};
typedef color_struct* color_ptr;

struct common_struct;
typedef common_struct* common_ptr;

// One exists per decode; zero-initialise it before use.
struct common_struct {
    UCHR* buf_stream;
    char* FileMask;
    INSTREAM Read;
    OUTSTREAM Write;
    int is_encoder;
    int** A;
    int** SMask;
    int** FMask;
    SynthesisPlan* synthesis;  // FMask's rebuild, shared by the colours
    UCHR** B;
    UCHR** C;
    int image_width;
    int image_height;
    int color_number;
    int image_bits;
    int sample_width;
    int sample_height;
    int t;
    uint64_t bound;  // the active colour's
    int level;
    int edge_thr;
    Adaptive_Model* m0;
    Adaptive_Model* m1;
    Adaptive_Model* m2;
    Adaptive_Model* m3;
    Adaptive_Model* m4;
    Adaptive_Model* m5;
    AritDecoder* pAritDecoder;
    CControl* pControl;
    link_ptr pl;
    int comp_length;
    int cur_length;
    color_ptr color[3];
    void (*read_raw)(common_ptr info);
    void (*write_raw)(common_ptr info);
    int face_model;
    int mask_area_ratio;
    int back;
    PIXEL clrmean;
    VERTEX points[4];
    int MaskLayer;
    // Names FMask's shape: the same number, the same decomposition (0: not
    // named, as in records made by hand).
    uint64_t shape_id;
};
