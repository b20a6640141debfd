// SPDX-License-Identifier: Apache-2.0
#include "expected_answer.h"

#include <algorithm>

#include "data_frame.h"

size_t ExpectedAnswer::longest() const
{
    return std::max(*std::max_element(doneLengths.begin(), doneLengths.end()), cardproto::kFrameNoData);
}

bool ExpectedAnswer::fits(const cardproto::Bytes& frame) const
{
    const bool ownLength = std::find(doneLengths.begin(), doneLengths.end(), frame.size()) != doneLengths.end();
    if (frame.size() <= cardproto::kStatusAt)
        return false;
    const uint8_t status = frame[cardproto::kStatusAt];
    if (status == doneStatus)
        return ownLength;
    // The done status of another request belongs to that request's answer.
    const bool anotherDone = status == cardproto::kStatusOk || status == cardproto::kStatusCardFound;
    return !anotherDone && (ownLength || frame.size() == cardproto::kFrameNoData);
}

const ExpectedAnswer& findCardAnswer()
{
    static const ExpectedAnswer answer{cardproto::kStatusCardFound, {cardproto::cardFoundResponse().size()}};
    return answer;
}

const ExpectedAnswer& selectCardAnswer()
{
    static const ExpectedAnswer answer{cardproto::kStatusOk, {cardproto::cardSelectedResponse().size()}};
    return answer;
}

const ExpectedAnswer& readCardAnswer()
{
    static const ExpectedAnswer answer{cardproto::kStatusOk,
                                       {cardproto::kFrameNoFingerprints, cardproto::kFrameOneFingerprint,
                                        cardproto::kFrameTwoFingerprints}};
    return answer;
}
