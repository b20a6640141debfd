// SPDX-License-Identifier: Apache-2.0
#include "reader_session.h"

#include <chrono>
#include <cstring>

#include "card_info.h"
#include "data_frame.h"
#include "frame_assembler.h"
#include "reader_results.h"

namespace {

int resultOf(ReaderLine::Outcome outcome)
{
    return outcome == ReaderLine::Outcome::TimedOut ? reader_result::kTimedOut
                                                    : reader_result::kLineLost;
}

}  // namespace

int ReaderSession::exchange(const cardproto::Bytes& request, const ExpectedAnswer& expected,
                            cardproto::Bytes& answer)
{
    using Clock = std::chrono::steady_clock;
    const int timeoutMs = kAnswerAllowanceMs + m_line->wireTimeMs(request.size() + expected.longest());
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto msLeft = [&] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        return left.count() > 0 ? int(left.count()) : 0;
    };

    m_line->discardInput();
    ReaderLine::Outcome outcome = m_line->send(request.data(), request.size(), msLeft());
    if (outcome != ReaderLine::Outcome::Done)
        return resultOf(outcome);

    cardproto::FrameAssembler assembler;
    uint8_t piece[cardproto::kLongestFrame];
    for (;;) {
        while (assembler.hasFrame()) {
            answer = assembler.frame();
            assembler.dropFrame();
            if (expected.fits(answer))
                return cardproto::checkByteMatches(answer.data(), answer.size()) ? reader_result::kOk
                                                                                : reader_result::kBadFrame;
        }
        const int left = msLeft();
        if (left == 0)
            return reader_result::kTimedOut;
        size_t received = 0;
        outcome = m_line->receive(piece, sizeof piece, left, received);
        if (outcome != ReaderLine::Outcome::Done)
            return resultOf(outcome);
        assembler.feed(piece, received);
    }
}

int ReaderSession::findCard()
{
    cardproto::Bytes answer;
    const int result = exchange(cardproto::findCardRequest(), findCardAnswer(), answer);
    if (result != reader_result::kOk)
        return result;
    const uint8_t status = answer[cardproto::kStatusAt];
    return status == cardproto::kStatusCardFound ? reader_result::kOk : status;
}

int ReaderSession::readCard(CardInfoStruct& info, unsigned char* photo, unsigned int& photoLength,
                            unsigned char* fingerprints, unsigned int& fingerprintLength)
{
    cardproto::Bytes answer;
    int result = exchange(cardproto::selectCardRequest(), selectCardAnswer(), answer);
    if (result != reader_result::kOk)
        return result;
    if (answer[cardproto::kStatusAt] != cardproto::kStatusOk)
        return answer[cardproto::kStatusAt];

    result = exchange(cardproto::readCardRequest(), readCardAnswer(), answer);
    if (result != reader_result::kOk)
        return result;
    if (answer[cardproto::kStatusAt] != cardproto::kStatusOk)
        return answer[cardproto::kStatusAt];
    const cardproto::DataFrameCheck check = cardproto::checkDataFrame(answer.data(), answer.size());
    if (check.verdict != cardproto::DataFrameVerdict::Complete)
        return reader_result::kBadFrame;

    const cardproto::DataFrameBlocks blocks = cardproto::sliceDataFrame(answer.data(), answer.size());
    cardproto::fillCardInfo(blocks.text, info);
    std::memcpy(photo, blocks.photo, cardproto::kPhotoBlockSize);
    photoLength = cardproto::kPhotoBlockSize;
    std::memcpy(fingerprints, blocks.fingerprints, blocks.fingerprintLength);
    fingerprintLength = unsigned(blocks.fingerprintLength);
    return reader_result::kOk;
}
