// SPDX-License-Identifier: Apache-2.0
#include "QMEncoder.h"

#include <cstddef>

// Register layout of C (T.81): bits 0-15 fraction, 16-18 spacer, 19-26 the
// byte to go out, 27 carry.
static const uint32_t BYTE_SHIFT = 19;
static const uint32_t LOW_MASK = 0x7FFFF;

QMEncoder::QMEncoder() : A_(0x10000), C_(0), CT_(11), bit_model_(2) {}

void QMEncoder::Code0(Adaptive_Model& model, int S)
{
    if (model.MPS[S] == 0)
        CodeMPS(model, S);
    else
        CodeLPS(model, S);
}

void QMEncoder::Code1(Adaptive_Model& model, int S)
{
    if (model.MPS[S] == 1)
        CodeMPS(model, S);
    else
        CodeLPS(model, S);
}

void QMEncoder::Code(Adaptive_Model& model, int S, int bit)
{
    if (bit)
        Code1(model, S);
    else
        Code0(model, S);
}

// The MPS sub-interval is the lower one unless A - Qe < Qe, in which case
// the two swap (conditional exchange).
void QMEncoder::CodeLPS(Adaptive_Model& model, int S)
{
    const uint32_t qe = (uint32_t)model.Qe[S];
    A_ -= qe;
    if (A_ >= qe) {
        C_ += A_;
        A_ = qe;
    }
    model.Estimate_Qe_After_LPS(S);
    RenormE();
}

void QMEncoder::CodeMPS(Adaptive_Model& model, int S)
{
    const uint32_t qe = (uint32_t)model.Qe[S];
    A_ -= qe;
    if (A_ < 0x8000) {
        if (A_ < qe) {
            C_ += A_;
            A_ = qe;
        }
        model.Estimate_Qe_After_MPS(S);
        RenormE();
    }
}

void QMEncoder::RenormE()
{
    do {
        A_ <<= 1;
        C_ <<= 1;
        if (--CT_ == 0) {
            ByteOut();
            CT_ = 8;
        }
    } while (A_ < 0x8000);
}

void QMEncoder::ByteOut()
{
    uint32_t t = C_ >> BYTE_SHIFT;
    if (t > 0xFF) {
        // Carry into the bytes already out; the code value stays below 1,
        // so it always stops inside the segment.
        for (size_t i = bytes_.size(); i-- > 0;) {
            if (++bytes_[i] != 0)
                break;
        }
        t &= 0xFF;
    }
    bytes_.push_back((uint8_t)t);
    C_ &= LOW_MASK;
}

void QMEncoder::Flush()
{
    // Pick the value in [C, C + A) with the most trailing zero bits.
    uint32_t t = (C_ + A_ - 1) & 0xFFFF0000u;
    if (t < C_)
        t += 0x8000;
    C_ = t << CT_;
    ByteOut();
    C_ <<= 8;
    ByteOut();
    // The decoder reads zeros past the end, so trailing zero bytes need not be stored.
    while (!bytes_.empty() && bytes_.back() == 0)
        bytes_.pop_back();
}

void QMEncoder::encode_symbol(Adaptive_Model& model, int value)
{
    // Walk the tree FormTree built: node S covers `number` values from lo,
    // its 0-branch the first number - number / 2 of them.
    int S = 0;
    int lo = 0;
    int number = model.Symbols_Number;
    while (number >= 2) {
        const int N0 = number - number / 2;
        const int bit = value >= lo + N0;
        Code(model, S, bit);
        if (bit) {
            S += N0;
            lo += N0;
            number -= N0;
        } else {
            S += 1;
            number = N0;
        }
    }
}

void QMEncoder::encode_bit(int bit)
{
    encode_symbol(bit_model_, bit ? 1 : 0);
}

void QMEncoder::encode_bits(uint32_t value, int bits)
{
    for (int i = bits - 1; i >= 0; --i)
        encode_bit((value >> i) & 1);
}

std::vector<uint8_t> QMEncoder::Finish()
{
    Flush();
    std::vector<uint8_t> segment;
    segment.reserve(bytes_.size() + bytes_.size() / 64 + 2);
    segment.push_back('o');
    for (uint8_t b : bytes_) {
        segment.push_back(b);
        if (b == 0xFF)
            segment.push_back(0x00);
    }
    segment.push_back(0x00);
    return segment;
}
