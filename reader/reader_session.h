// SPDX-License-Identifier: Apache-2.0
// The frame protocol on one open line: find card, select card, read card
// data, each request answered by one frame within a time-out: a fixed
// allowance for the reader to answer, plus the time the request and its
// longest answer take on the line. At the slowest speed (9600 baud) the three
// steps of a read, each at its time-out, end within 7 of a read's 8 seconds.
#pragma once

#include <memory>

#include "expected_answer.h"
#include "frame.h"
#include "open_reader.h"
#include "reader_line.h"

class ReaderSession : public OpenReader {
public:
    static constexpr int kAnswerAllowanceMs = 1500;

    explicit ReaderSession(std::unique_ptr<ReaderLine> line) : m_line(std::move(line)) {}

    // 144 when a card is on the reader, else the reader's status or a
    // negative reader_result.
    int findCard() override;
    // Selects the card and reads it into the record and the two buffers
    // (photo: the 1024-byte payload; fingerprints: 0, 512 or 1024 bytes).
    // Nothing is written unless the result is 144.
    int readCard(CardInfoStruct& info, unsigned char* photo, unsigned int& photoLength,
                 unsigned char* fingerprints, unsigned int& fingerprintLength) override;

private:
    // Sends `request` and waits for an answer that fits `expected`, dropping
    // late answers to earlier requests; 144 with the frame in `answer`, else
    // a negative reader_result.
    int exchange(const cardproto::Bytes& request, const ExpectedAnswer& expected,
                 cardproto::Bytes& answer);

    std::unique_ptr<ReaderLine> m_line;
};
