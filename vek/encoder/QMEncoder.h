// SPDX-License-Identifier: Apache-2.0
// QM-coder encoder (ITU-T T.81 Annex D) producing segments that AritDecoder
// reads back symbol for symbol.
#pragma once

#include <cstdint>
#include <vector>

#include "QCoder.h"

class QMEncoder {
public:
    QMEncoder();

    // One binary decision in context S of model.
    void Code0(Adaptive_Model& model, int S);
    void Code1(Adaptive_Model& model, int S);
    void Code(Adaptive_Model& model, int S, int bit);

    // value in 0 .. Symbols_Number - 1, along the model's tree.
    void encode_symbol(Adaptive_Model& model, int value);
    // Raw bits, most significant first, all in the one 2-value bit model.
    void encode_bit(int bit);
    void encode_bits(uint32_t value, int bits);

    // Ends the code and returns the segment: "o", the code bytes with 0xFF
    // stuffing, and one trailing byte that the decoder never reads.
    // The encoder is spent afterwards.
    std::vector<uint8_t> Finish();

private:
    void CodeLPS(Adaptive_Model& model, int S);
    void CodeMPS(Adaptive_Model& model, int S);
    void RenormE();
    void ByteOut();
    void Flush();

    uint32_t A_;
    uint32_t C_;
    int CT_;
    // Code bytes before stuffing; a carry is added into them directly.
    std::vector<uint8_t> bytes_;
    Adaptive_Model bit_model_;
};
