// SPDX-License-Identifier: Apache-2.0
// The reader's frame: preamble AA AA AA 96 69, a big-endian length of
// everything after the length field, the body (command and parameter in a
// request, three status bytes and data in a response) and a check byte, the
// XOR of every byte from the length field on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cardproto {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kPreamble[5] = {0xAA, 0xAA, 0xAA, 0x96, 0x69};
constexpr size_t kLengthAt = 5;
constexpr size_t kHeaderSize = 7;  // preamble and length field
constexpr size_t kStatusAt = 9;    // the status byte that tells the outcome
// The shortest response: three status bytes and the check byte.
constexpr size_t kShortestLengthField = 4;
// The longest frame a reader sends: a data frame with two fingerprint records.
constexpr size_t kLongestFrame = 2321;

// Status bytes a reader answers with.
constexpr uint8_t kStatusOk = 0x90;
constexpr uint8_t kStatusCardFound = 0x9F;
constexpr uint8_t kStatusRetry = 0x41;
constexpr uint8_t kStatusNoCard = 0x80;

uint8_t checkByte(const uint8_t* bytes, size_t count);
// The whole frame around `body`.
Bytes buildFrame(const Bytes& body);
// The length field: how many bytes follow it.
size_t lengthField(const uint8_t* frame);
// True when the frame's last byte is the check byte of what precedes it.
bool checkByteMatches(const uint8_t* frame, size_t size);

Bytes findCardRequest();
Bytes selectCardRequest();
Bytes readCardRequest();
// The answers a reader gives when it has found and selected a card.
Bytes cardFoundResponse();
Bytes cardSelectedResponse();

}  // namespace cardproto
