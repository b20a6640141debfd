// SPDX-License-Identifier: Apache-2.0
// What the answer to each request looks like, so that a late answer to an
// earlier request is not taken for the answer to this one: the status that
// says done comes with the request's own lengths, any other status with a
// status-only frame (or one of the request's own length).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame.h"

struct ExpectedAnswer {
    uint8_t doneStatus;
    std::vector<size_t> doneLengths;  // whole frames, preamble to check byte

    // The longest frame this request can be answered with.
    size_t longest() const;
    // True when `frame` can be the answer to this request.
    bool fits(const cardproto::Bytes& frame) const;
};

const ExpectedAnswer& findCardAnswer();
const ExpectedAnswer& selectCardAnswer();
const ExpectedAnswer& readCardAnswer();
