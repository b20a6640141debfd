// Adaptive binary arithmetic decoder (QM-coder) and its n-ary symbol models.
#pragma once

#include "common_struct.h"

struct Status {
    int Qe_Value;
    int Next_Index_LPS;
    int Next_Index_MPS;
    int Switch_MPS;
};

// Probability estimation table, 113 rows.
extern const Status state[113];

// Decoding tree node: when a leaf flag is 1 its next is the symbol value,
// otherwise the index of the node to go on with.
struct Tree {
    int16_t bLeaf0;
    int16_t next_0;
    int16_t bLeaf1;
    int16_t next_1;
};

// A model of Symbols_Number values: a balanced binary tree whose internal
// node s owns adaptive binary context s.
class Adaptive_Model {
public:
    int* LPS;
    int* MPS;
    int* Index;
    int* Qe;
    int Symbols_Number;
    Tree* node;
    int index;

    explicit Adaptive_Model(int ns);
    ~Adaptive_Model();
    Adaptive_Model(const Adaptive_Model&) = delete;
    Adaptive_Model& operator=(const Adaptive_Model&) = delete;

    void InitStatArea();
    void FormTree(int S, int number);
    int DecodeTree(AritDecoder* decoder);
    void Estimate_Qe_After_MPS(int S);
    void Estimate_Qe_After_LPS(int S);

private:
    static const int INLINE_SYMBOLS = 8;
    int contexts_[4 * INLINE_SYMBOLS];
    Tree nodes_[INLINE_SYMBOLS];
};

// Decoder of one coded segment. The segment starts with "o"; decoding
// begins at its byte 1, and its last byte is never used.
class AritDecoder {
public:
    int A;
    int C;  // upper 16 bits, unsigned, are Cx
    int SC;
    int CT;
    UCHR B;
    int byte_counter;
    int* buf_len;
    Adaptive_Model* cur_model;
    Adaptive_Model bit_model;
    UCHR* in_stream;
    // Bytes of in_stream that may be read; a length claimed by the stream
    // beyond this reads as zeros, as bytes past the payload do anyway.
    int capacity;
    // Set when the segment does not start with "o": the decoder then reads
    // only zeros, its byte count is past any budget, and the decode fault is raised.
    bool bad_segment;

    AritDecoder(void* stream, int* len);
    AritDecoder(void* stream, int* len, int capacity);
    AritDecoder(const AritDecoder&) = delete;
    AritDecoder& operator=(const AritDecoder&) = delete;

    void open_file(void* stream);
    int read_file();
    void Byte_In();
    void InitDec();
    // One decision of context S of cur_model.
    int Decode(int S);
    int decode_symbol(Adaptive_Model& model);
    int decode_bit();
    int decode_bits(int bits);
};
