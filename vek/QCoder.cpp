// SPDX-License-Identifier: Apache-2.0
#include "QCoder.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "DecodeFault.h"

// ---- Adaptive_Model ----

// The four context arrays share one block, inside the model for the decoder's
// models: they are made per colour and per segment, and each allocation
// counts in a decode.
Adaptive_Model::Adaptive_Model(int ns)
    : LPS(ns <= INLINE_SYMBOLS ? contexts_ : new int[4 * ns]),
      MPS(LPS + ns),
      Index(MPS + ns),
      Qe(Index + ns),
      Symbols_Number(ns),
      node(ns <= INLINE_SYMBOLS ? nodes_ : new Tree[ns]()),
      index(0),
      contexts_(),
      nodes_()
{
    InitStatArea();
    FormTree(0, ns);
}

Adaptive_Model::~Adaptive_Model()
{
    if (LPS != contexts_)
        delete[] LPS;
    if (node != nodes_)
        delete[] node;
}

void Adaptive_Model::InitStatArea()
{
    for (int s = 0; s < Symbols_Number; ++s) {
        LPS[s] = 1;
        MPS[s] = 0;
        Index[s] = 0;
        Qe[s] = state[0].Qe_Value;
    }
}

// Balanced tree, nodes numbered depth-first from S, leaves left to right,
// so symbol values come out in their natural binary order.
void Adaptive_Model::FormTree(int S, int number)
{
    if (number < 2)
        return;
    if (S == 0)
        index = 0;
    const int N1 = number / 2;
    const int N0 = number - N1;
    Tree& t = node[S];
    if (N0 > 1) {
        t.bLeaf0 = 0;
        t.next_0 = (int16_t)(S + 1);
        FormTree(S + 1, N0);
    } else {
        t.bLeaf0 = 1;
        t.next_0 = (int16_t)index++;
    }
    if (N1 == 1) {
        t.bLeaf1 = 1;
        t.next_1 = (int16_t)index++;
    } else {
        t.bLeaf1 = 0;
        t.next_1 = (int16_t)(S + N0);
        FormTree(S + N0, N1);
    }
}

int Adaptive_Model::DecodeTree(AritDecoder* decoder)
{
    return decoder->decode_symbol(*this);
}

void Adaptive_Model::Estimate_Qe_After_MPS(int S)
{
    Index[S] = state[Index[S]].Next_Index_MPS;
    Qe[S] = state[Index[S]].Qe_Value;
}

void Adaptive_Model::Estimate_Qe_After_LPS(int S)
{
    if (state[Index[S]].Switch_MPS == 1)
        MPS[S] = 1 - MPS[S];
    Index[S] = state[Index[S]].Next_Index_LPS;
    Qe[S] = state[Index[S]].Qe_Value;
}

// ---- AritDecoder ----

// Where a bad segment's byte count starts: beyond any segment budget, with
// room left to count the reads that follow.
static const int EXHAUSTED_COUNTER = INT_MAX / 2;

AritDecoder::AritDecoder(void* stream, int* len) : AritDecoder(stream, len, INT_MAX) {}

AritDecoder::AritDecoder(void* stream, int* len, int readable)
    : A(0),
      C(0),
      SC(0),
      CT(0),
      B(0),
      byte_counter(0),
      buf_len(len),
      cur_model(nullptr),
      bit_model(2),
      in_stream(nullptr),
      capacity(readable),
      bad_segment(false)
{
    open_file(stream);
    InitDec();
}

void AritDecoder::open_file(void* stream)
{
    in_stream = static_cast<UCHR*>(stream);
    byte_counter = 1;
    const bool has_first_byte = *buf_len >= 1 && capacity >= 1;
    if (!has_first_byte || in_stream[0] != 'o') {
        // Not a coded segment: refuse it without ending the process.
        bad_segment = true;
        byte_counter = EXHAUSTED_COUNTER;
        Raise_Decode_Fault();
    }
}

int AritDecoder::read_file()
{
    const int64_t end = (int64_t)*buf_len - 1;
    int byte = 0;
    if (byte_counter < end && byte_counter < capacity)
        byte = in_stream[byte_counter];
    ++byte_counter;
    return byte;
}

// Registers are worked on as unsigned 32-bit values: the code register's
// top bits fall off on shifts, exactly as in a 32-bit int register.
static inline int shl(int v, int n) { return (int)((uint32_t)v << n); }

void AritDecoder::Byte_In()
{
    B = (UCHR)read_file();
    if (B != 0xFF) {
        C = (int)((uint32_t)C + ((uint32_t)B << 8));
        return;
    }
    B = (UCHR)read_file();
    if (B == 0)
        C = (int)((uint32_t)C | 0xFF00u);
}

void AritDecoder::InitDec()
{
    A = 0x10000;
    C = 0;
    Byte_In();
    C = shl(C, 8);
    Byte_In();
    C = shl(C, 8);
    CT = 0;
}


int AritDecoder::Decode(int S)
{
    LiveRegisters live(*this);
    return live.Decide(*cur_model, S);
}

int AritDecoder::decode_symbol(Adaptive_Model& model)
{
    LiveRegisters live(*this);
    return live.Symbol(model);
}

int AritDecoder::decode_bit()
{
    return decode_symbol(bit_model);
}

int AritDecoder::decode_bits(int bits)
{
    if (bits < 1)
        return -1;
    uint32_t v = 0;
    for (int i = 0; i < bits; ++i)
        v = (v << 1) | (uint32_t)decode_bit();
    return (int)v;
}
