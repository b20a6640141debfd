// SPDX-License-Identifier: Apache-2.0
// Any bytes a reader's line delivers, in pieces of any size: frame
// reassembly keeps to the longest frame and hands on only frames that start
// with the preamble and end where their length field says; a data frame that
// passes the checks, and any text block, become a CardInfoStruct without a
// read or write outside the bytes given.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "card_info.h"
#include "data_frame.h"
#include "frame_assembler.h"

namespace {

void convert(const cardproto::Bytes& frame)
{
    if (cardproto::checkDataFrame(frame.data(), frame.size()).verdict !=
        cardproto::DataFrameVerdict::Complete)
        return;
    const cardproto::DataFrameBlocks blocks = cardproto::sliceDataFrame(frame.data(), frame.size());
    if (blocks.fingerprintLength > 1024 || blocks.fingerprints + blocks.fingerprintLength >= frame.data() + frame.size())
        std::abort();
    CardInfoStruct info;
    cardproto::fillCardInfo(blocks.text, info);
}

// Every whole frame, one after the other, as a reader session takes them.
void takeFrames(cardproto::FrameAssembler& assembler)
{
    while (assembler.hasFrame()) {
        const cardproto::Bytes frame = assembler.frame();
        if (frame.size() > cardproto::kLongestFrame || frame.size() != cardproto::lengthField(frame.data()) + 7 ||
            !std::equal(frame.begin(), frame.begin() + 5, cardproto::kPreamble))
            std::abort();
        cardproto::checkByteMatches(frame.data(), frame.size());
        convert(frame);
        assembler.dropFrame();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t piece = size_t(data[0]) + 1;
    // An exact-size copy lets the sanitizer see any read past the bytes.
    const std::vector<uint8_t> line(data + 1, data + size);

    cardproto::FrameAssembler assembler;
    for (size_t at = 0; at < line.size(); at += piece) {
        const size_t n = line.size() - at < piece ? line.size() - at : piece;
        assembler.feed(line.data() + at, n);
        takeFrames(assembler);
    }

    if (line.size() >= cardproto::kTextBlockSize) {
        const std::vector<uint8_t> text(line.begin(), line.begin() + cardproto::kTextBlockSize);
        CardInfoStruct info;
        cardproto::fillCardInfo(text.data(), info);
        if (info.cardType < 1 || info.cardType > 4)
            std::abort();
    }
    return 0;
}
