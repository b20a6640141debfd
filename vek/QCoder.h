// SPDX-License-Identifier: Apache-2.0
// Adaptive binary arithmetic decoder (QM-coder) and its n-ary symbol models.
// Shaped for speed: the scans hold the registers and contexts in locals and
// inline every decision; decisions that go either way about as often take
// no branch on their outcome.
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

// A context's state outside its model, for loops that hold it in locals:
// the next decision then waits for no store to the model.
struct ContextState {
    int index;
    int mps;
    int qe;
};

// The decoder's registers in locals for as long as a caller decodes: the
// contexts are ints too, and every store to them would otherwise reload A, C
// and CT. A scan keeps one through its whole loop; the decoder's own fields
// are stale until it is gone, and only its byte count may be read meanwhile.
class LiveRegisters {
public:
    explicit LiveRegisters(AritDecoder& d) : d_(d), A_(d.A), C_((uint32_t)d.C), CT_(d.CT) {}
    ~LiveRegisters()
    {
        d_.A = A_;
        d_.C = (int)C_;
        d_.CT = CT_;
    }
    LiveRegisters(const LiveRegisters&) = delete;
    LiveRegisters& operator=(const LiveRegisters&) = delete;

    int ByteCount() const { return d_.byte_counter; }

    // One decision of a context. Inlined into every loop, so that a held
    // context stays in registers rather than going through memory.
    [[gnu::always_inline]] int Decide(ContextState& c)
    {
        const int a = A_ - c.qe;
        const int cx = (int)(C_ >> 16);
        if (a > (cx > 0x7FFF ? cx : 0x7FFF)) {  // above Cx and no renormalisation due
            A_ = a;
            return c.mps;
        }
        // The rest takes no further branch on the outcome: the fast path
        // failing is the one misprediction an LPS costs.
        return DecideUnpredictable(c);
    }

    // The same decision without a branch on its outcome, for contexts that
    // go either way about as often (signs, refinement bits): there a branch
    // would be mispredicted every other time, a select never is. Slower
    // where one outcome dominates, as the fast path above then seldom fails.
    [[gnu::always_inline]] int DecideUnpredictable(ContextState& c)
    {
        const int qe = c.qe;
        const int a = A_ - qe;
        const int cx = (int)(C_ >> 16);
        const bool upper = a <= cx;  // the LPS interval, before the conditional exchange
        const bool lps = upper != (a < qe);
        const bool renormalise = upper || a < 0x8000;
        const int D = c.mps ^ (int)lps;
        const Status& now = state[c.index];
        const int next = lps ? now.Next_Index_LPS : now.Next_Index_MPS;
        // Masks, not conditions, which the compiler would turn into branches.
        const int upperMask = -(int)upper;
        const int keepIndex = (int)renormalise - 1;
        C_ -= ((uint32_t)a << 16) & (uint32_t)upperMask;
        A_ = (qe & upperMask) | (a & ~upperMask);
        c.mps ^= (int)lps & now.Switch_MPS;
        c.index = (c.index & keepIndex) | (next & ~keepIndex);
        c.qe = state[c.index].Qe_Value;
        const int n = __builtin_clz((unsigned)A_) - 16;
        if (n > CT_) {
            Renormalise();
        } else {
            A_ <<= n;
            C_ <<= n;
            CT_ -= n;
        }
        return D;
    }

    // One decision of context S of m.
    int Decide(Adaptive_Model& m, int S)
    {
        ContextState c = {m.Index[S], m.MPS[S], m.Qe[S]};
        const int D = Decide(c);
        m.Index[S] = c.index;
        m.MPS[S] = c.mps;
        m.Qe[S] = c.qe;
        return D;
    }

    // One symbol of m, down its tree from node 0.
    int Symbol(Adaptive_Model& m)
    {
        if (m.Symbols_Number < 2)
            return 0;
        int s = 0;
        for (;;) {
            const Tree& t = m.node[s];
            if (Decide(m, s)) {
                if (t.bLeaf1)
                    return t.next_1;
                s = t.next_1;
            } else {
                if (t.bLeaf0)
                    return t.next_0;
                s = t.next_0;
            }
        }
    }

private:
    // Doubles A until it reaches 0x8000, C with it, a byte entering C every
    // eight doublings: the doublings between two bytes go in one shift.
    void Renormalise()
    {
        int n = __builtin_clz((unsigned)A_) - 16;
        while (n > 0) {
            if (CT_ == 0) {
                d_.C = (int)C_;
                d_.Byte_In();
                C_ = (uint32_t)d_.C;
                CT_ = 8;
            }
            const int k = n < CT_ ? n : CT_;
            A_ <<= k;
            C_ <<= k;
            CT_ -= k;
            n -= k;
        }
    }

    AritDecoder& d_;
    int A_;
    uint32_t C_;
    int CT_;
};

// A model of Symbols symbols (two to four) with its contexts in locals while
// a loop decodes with it, written back when it is gone. Node 0 is on top,
// below it node 1 decides the lower pair and, with four symbols, node 2 the
// upper pair (with three, the upper half is symbol 2 alone). The count is
// fixed where the loop is compiled, so the tree's shape costs no test.
template <int Symbols>
class HeldModel {
    static_assert(Symbols >= 2 && Symbols <= 4, "two to four symbols");
    static const int CONTEXTS = Symbols - 1;

public:
    // m must have Symbols symbols.
    explicit HeldModel(Adaptive_Model& m) : m_(m)
    {
        for (int s = 0; s < CONTEXTS; ++s)
            c_[s] = ContextState{m.Index[s], m.MPS[s], m.Qe[s]};
    }
    ~HeldModel()
    {
        for (int s = 0; s < CONTEXTS; ++s) {
            m_.Index[s] = c_[s].index;
            m_.MPS[s] = c_[s].mps;
            m_.Qe[s] = c_[s].qe;
        }
    }
    HeldModel(const HeldModel&) = delete;
    HeldModel& operator=(const HeldModel&) = delete;

    // Inlined, as Decide is, for the contexts' sake.
    [[gnu::always_inline]] int Symbol(LiveRegisters& decoder)
    {
        if (CONTEXTS == 1)
            return decoder.Decide(c_[0]);
        if (decoder.Decide(c_[0]))
            return CONTEXTS == 3 ? 2 + decoder.Decide(c_[2]) : 2;
        // The lower pair is a coefficient's sign in every model held here.
        return decoder.DecideUnpredictable(c_[1]);
    }

    // A two-symbol model's symbol by DecideUnpredictable.
    [[gnu::always_inline]] int UnpredictableSymbol(LiveRegisters& decoder)
    {
        static_assert(CONTEXTS == 1, "one decision a symbol");
        return decoder.DecideUnpredictable(c_[0]);
    }

private:
    Adaptive_Model& m_;
    ContextState c_[CONTEXTS];
};
