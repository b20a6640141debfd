// SPDX-License-Identifier: Apache-2.0
// Arithmetic decoder: the decisions pinned from the text, and round trips
// through the encoder.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "DecodeFault.h"
#include "QCoder.h"
#include "QMEncoder.h"

namespace {

struct Segment {
    std::vector<UCHR> bytes;
    int length;
    explicit Segment(std::vector<UCHR> b) : bytes(std::move(b)), length((int)bytes.size()) {}
};

int Cx(const AritDecoder& d) { return (int)((uint32_t)d.C >> 16); }

TEST(QCoderDecode, FreshContextOnZeroBytesThenMpsExchange)
{
    Segment seg({'o', 0, 0, 0, 0, 0, 0, 0});
    AritDecoder d(seg.bytes.data(), &seg.length);
    Adaptive_Model m(2);
    d.cur_model = &m;
    EXPECT_EQ(d.Decode(0), 0);
    EXPECT_EQ(d.A, 0x10000 - 0x5A1D);  // no renormalisation
    EXPECT_EQ(d.CT, 0);
    EXPECT_EQ(m.Index[0], 0);
    // A becomes 0x10000 - 2 x 0x5A1D, below Qe: the MPS exchange yields the LPS.
    EXPECT_EQ(d.Decode(0), 1);
    EXPECT_EQ(m.MPS[0], 1);  // state 0 switches the MPS
    EXPECT_EQ(m.Index[0], 1);
    EXPECT_GE(d.A, 0x8000);
}

TEST(QCoderDecode, AEqualToCxTakesLpsPath)
{
    // Cx = 0xA5E3 = 0x10000 - 0x5A1D, exactly A after the first subtraction.
    Segment seg({'o', 0xA5, 0xE3, 0, 0, 0});
    AritDecoder d(seg.bytes.data(), &seg.length);
    Adaptive_Model m(2);
    d.cur_model = &m;
    EXPECT_EQ(Cx(d), 0xA5E3);
    // A (0xA5E3) is not below Qe: no exchange, the LPS (1) comes out.
    EXPECT_EQ(d.Decode(0), 1);
    EXPECT_EQ(m.MPS[0], 1);
    EXPECT_EQ(m.Index[0], 1);
    // Cx - A = 0, then renormalised with A = Qe = 0x5A1D shifted once.
    EXPECT_EQ(d.A, 0x5A1D << 1);
    EXPECT_EQ(Cx(d), 0);
}

TEST(QCoderDecode, StartsAtSegmentBytesOneAndTwo)
{
    Segment seg({'o', 0x12, 0x34, 0x56, 0});
    AritDecoder d(seg.bytes.data(), &seg.length);
    EXPECT_EQ(Cx(d), 0x1234);
    EXPECT_EQ(d.byte_counter, 3);
}

TEST(QCoderByteIn, FfHandling)
{
    {
        // 0xFF 0x00 feeds 0xFF and consumes both bytes.
        Segment seg({'o', 0xFF, 0x00, 0x12, 0});
        AritDecoder d(seg.bytes.data(), &seg.length);
        EXPECT_EQ(Cx(d), 0xFF12);
        EXPECT_EQ(d.byte_counter, 4);
    }
    {
        // 0xFF followed by anything else feeds nothing; both bytes go.
        Segment seg({'o', 0xFF, 0x7E, 0x12, 0x34, 0});
        AritDecoder d(seg.bytes.data(), &seg.length);
        EXPECT_EQ(Cx(d), 0x0012);
        EXPECT_EQ(d.byte_counter, 4);
    }
}

TEST(QCoderReadFile, LastByteNeverUsedAndCounterRunsOn)
{
    Segment seg({'o', 0x11, 0x22, 0x33});
    AritDecoder d(seg.bytes.data(), &seg.length);
    EXPECT_EQ(Cx(d), 0x1122);
    EXPECT_EQ(d.read_file(), 0);  // byte 3 is the last one
    EXPECT_EQ(d.read_file(), 0);
    EXPECT_EQ(d.byte_counter, 5);
}

TEST(QCoderReadFile, CapacityBoundsReadsBeyondTheStagingArea)
{
    std::vector<UCHR> staging = {'o', 1, 2, 3};
    int claimed = 1000;
    AritDecoder d(staging.data(), &claimed, (int)staging.size());
    EXPECT_EQ(d.read_file(), 3);
    EXPECT_EQ(d.read_file(), 0);
}

TEST(QCoderSegment, NotStartingWithOIsRefusedWithoutExit)
{
    DecodeFault = 0;
    Segment seg({'x', 0xFF, 0xFF, 0xFF, 0xFF});
    AritDecoder d(seg.bytes.data(), &seg.length);
    EXPECT_TRUE(d.bad_segment);
    EXPECT_EQ(DecodeFault, 1);
    EXPECT_GT(d.byte_counter, 1 << 29);
    // Only zeros are read: it decodes as a segment of zero bytes would.
    Segment zeros({'o', 0, 0, 0, 0, 0});
    AritDecoder z(zeros.bytes.data(), &zeros.length);
    EXPECT_EQ(d.decode_bits(16), z.decode_bits(16));
    DecodeFault = 0;

    int empty = 0;
    UCHR o = 'o';
    AritDecoder none(&o, &empty);
    EXPECT_TRUE(none.bad_segment);
    DecodeFault = 0;
}

TEST(QCoderModel, FormTreeCodes)
{
    Adaptive_Model m3(3);
    // 0 -> 00, 1 -> 01, 2 -> 1
    EXPECT_EQ(m3.node[0].bLeaf0, 0);
    EXPECT_EQ(m3.node[0].next_0, 1);
    EXPECT_EQ(m3.node[0].bLeaf1, 1);
    EXPECT_EQ(m3.node[0].next_1, 2);
    EXPECT_EQ(m3.node[1].bLeaf0, 1);
    EXPECT_EQ(m3.node[1].next_0, 0);
    EXPECT_EQ(m3.node[1].bLeaf1, 1);
    EXPECT_EQ(m3.node[1].next_1, 1);

    Adaptive_Model m4(4);
    // 00, 01, 10, 11: node 0 splits, node 1 holds 0/1, node 2 holds 2/3.
    EXPECT_EQ(m4.node[0].next_0, 1);
    EXPECT_EQ(m4.node[0].next_1, 2);
    EXPECT_EQ(m4.node[0].bLeaf0 | m4.node[0].bLeaf1, 0);
    EXPECT_EQ(m4.node[1].next_0, 0);
    EXPECT_EQ(m4.node[1].next_1, 1);
    EXPECT_EQ(m4.node[2].next_0, 2);
    EXPECT_EQ(m4.node[2].next_1, 3);

    // 8 values: three decisions, most significant first; depth-first nodes.
    Adaptive_Model m8(8);
    const int expected[7][4] = {{0, 1, 0, 4}, {0, 2, 0, 3}, {1, 0, 1, 1}, {1, 2, 1, 3},
                                {0, 5, 0, 6}, {1, 4, 1, 5}, {1, 6, 1, 7}};
    for (int s = 0; s < 7; ++s) {
        EXPECT_EQ(m8.node[s].bLeaf0, expected[s][0]) << s;
        EXPECT_EQ(m8.node[s].next_0, expected[s][1]) << s;
        EXPECT_EQ(m8.node[s].bLeaf1, expected[s][2]) << s;
        EXPECT_EQ(m8.node[s].next_1, expected[s][3]) << s;
    }
    EXPECT_EQ(m8.Qe[6], 0x5A1D);
    EXPECT_EQ(m8.LPS[6], 1);
}

TEST(QCoderModel, ThreeValuesTakeOneOrTwoDecisions)
{
    // Value 2 costs one decision in context 0; 0 and 1 a second in context 1.
    QMEncoder enc;
    Adaptive_Model em(3);
    enc.encode_symbol(em, 2);  // a 1 (the LPS) in context 0 only
    EXPECT_EQ(em.Index[0], 1);
    EXPECT_EQ(em.MPS[0], 1);
    EXPECT_EQ(em.Index[1], 0);
    enc.encode_symbol(em, 1);  // a 0 in context 0, then a 1 in context 1
    EXPECT_EQ(em.Index[1], 1);
    EXPECT_EQ(em.MPS[1], 1);
}

TEST(QCoderBits, DecodeBitsZeroIsMinusOneAndDecodesNothing)
{
    Segment seg({'o', 0x80, 0x00, 0x00, 0});
    AritDecoder d(seg.bytes.data(), &seg.length);
    const int a = d.A, c = d.C, bc = d.byte_counter;
    EXPECT_EQ(d.decode_bits(0), -1);
    EXPECT_EQ(d.decode_bits(-3), -1);
    EXPECT_EQ(d.A, a);
    EXPECT_EQ(d.C, c);
    EXPECT_EQ(d.byte_counter, bc);
    EXPECT_EQ(d.bit_model.Index[0], 0);
    EXPECT_EQ(d.decode_bits(1), 0);  // Cx 0x8000 lies below A 0xA5E3: the MPS
    EXPECT_EQ(d.A, 0x10000 - 0x5A1D);
}

// ---- Round trips ----

struct Op {
    int kind;  // 0: symbol of model[m], 1: raw bits
    int model;
    int value;
    int bits;
};

void RoundTrip(unsigned seed, int count, double skew)
{
    std::mt19937 rng(seed);
    std::vector<Op> ops;
    for (int i = 0; i < count; ++i) {
        Op op{};
        op.kind = rng() % 5 == 0;
        if (op.kind) {
            op.bits = 1 + rng() % 16;
            op.value = (int)(rng() & ((1u << op.bits) - 1));
        } else {
            op.model = rng() % 7;  // models of 2..8 values
            const int n = op.model + 2;
            // Skewed sources drive the contexts deep into the table.
            op.value = std::uniform_real_distribution<double>(0, 1)(rng) < skew ? 0 : (int)(rng() % n);
        }
        ops.push_back(op);
    }

    QMEncoder enc;
    std::vector<Adaptive_Model*> em;
    for (int n = 2; n <= 8; ++n)
        em.push_back(new Adaptive_Model(n));
    for (const Op& op : ops) {
        if (op.kind)
            enc.encode_bits((uint32_t)op.value, op.bits);
        else
            enc.encode_symbol(*em[op.model], op.value);
    }
    std::vector<UCHR> seg = enc.Finish();
    ASSERT_EQ(seg[0], 'o');
    int len = (int)seg.size();

    DecodeFault = 0;
    AritDecoder d(seg.data(), &len);
    std::vector<Adaptive_Model*> dm;
    for (int n = 2; n <= 8; ++n)
        dm.push_back(new Adaptive_Model(n));
    for (size_t i = 0; i < ops.size(); ++i) {
        const Op& op = ops[i];
        const int got = op.kind ? d.decode_bits(op.bits) : d.decode_symbol(*dm[op.model]);
        ASSERT_EQ(got, op.value) << "operation " << i << " seed " << seed;
    }
    EXPECT_EQ(DecodeFault, 0);
    // Every code byte was needed: the decoder read up to the end of the segment.
    EXPECT_GE(d.byte_counter, len - 3);
    for (auto* m : em)
        delete m;
    for (auto* m : dm)
        delete m;
}

TEST(QCoderRoundTrip, UniformSymbolsAndBits)
{
    for (unsigned seed = 1; seed <= 20; ++seed)
        RoundTrip(seed, 5000, 0.0);
}

TEST(QCoderRoundTrip, SkewedSymbols)
{
    for (unsigned seed = 100; seed <= 120; ++seed)
        RoundTrip(seed, 20000, 0.97);
}

// A scan holds its model's contexts in locals: the symbols and the contexts
// left behind are those of the encoder, for the two- to four-symbol models.
template <int n>
void HeldModelRoundTrip()
{
    {
        std::mt19937 rng(300 + n);
        QMEncoder enc;
        Adaptive_Model em(n);
        std::vector<int> symbols;
        for (int i = 0; i < 3000; ++i)
            symbols.push_back(rng() % 4 == 0 ? (int)(rng() % n) : n - 1);
        for (int v : symbols)
            enc.encode_symbol(em, v);
        std::vector<UCHR> seg = enc.Finish();
        int len = (int)seg.size();
        AritDecoder d(seg.data(), &len);
        Adaptive_Model dm(n);
        {
            LiveRegisters live(d);
            HeldModel<n> held(dm);
            for (size_t i = 0; i < symbols.size(); ++i)
                ASSERT_EQ(held.Symbol(live), symbols[i]) << n << " symbols, " << i;
        }
        for (int s = 0; s + 1 < n; ++s) {
            EXPECT_EQ(dm.Index[s], em.Index[s]) << n << " symbols, context " << s;
            EXPECT_EQ(dm.MPS[s], em.MPS[s]) << n << " symbols, context " << s;
            EXPECT_EQ(dm.Qe[s], em.Qe[s]) << n << " symbols, context " << s;
        }
    }
}

TEST(QCoderRoundTrip, HeldModelDecodesAndWritesBack)
{
    HeldModelRoundTrip<2>();
    HeldModelRoundTrip<3>();
    HeldModelRoundTrip<4>();
}

TEST(QCoderRoundTrip, FfBytesAreStuffedAndCarriesPropagate)
{
    // Long runs of LPS after MPS build-up produce 0xFF bytes and carries.
    bool saw_ff = false;
    for (unsigned seed = 200; seed < 260 && !saw_ff; ++seed) {
        std::mt19937 rng(seed);
        QMEncoder enc;
        Adaptive_Model em(2);
        std::vector<int> bits;
        for (int i = 0; i < 4000; ++i)
            bits.push_back(rng() % 50 == 0 ? 1 : (rng() % 3 == 0));
        for (int b : bits)
            enc.encode_symbol(em, b);
        std::vector<UCHR> seg = enc.Finish();
        for (size_t i = 1; i + 1 < seg.size(); ++i) {
            if (seg[i] == 0xFF) {
                saw_ff = true;
                EXPECT_EQ(seg[i + 1], 0x00);
            }
        }
        int len = (int)seg.size();
        AritDecoder d(seg.data(), &len);
        Adaptive_Model dm(2);
        for (size_t i = 0; i < bits.size(); ++i)
            ASSERT_EQ(d.decode_symbol(dm), bits[i]) << i;
    }
    EXPECT_TRUE(saw_ff);
}

}  // namespace
