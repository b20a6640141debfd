// SPDX-License-Identifier: Apache-2.0
// The card data frame, the answer to the read request: status 00 00 90, the
// lengths of the text (256), photo (1024) and fingerprint blocks (0, 512 or
// 1024), the three blocks, and the check byte.
#pragma once

#include "frame.h"

namespace cardproto {

constexpr size_t kTextBlockAt = 16;
constexpr size_t kTextBlockSize = 256;
constexpr size_t kPhotoBlockAt = kTextBlockAt + kTextBlockSize;
constexpr size_t kPhotoBlockSize = 1024;
constexpr size_t kFingerprintsAt = kPhotoBlockAt + kPhotoBlockSize;
constexpr size_t kFingerprintRecordSize = 512;
constexpr size_t kFrameNoFingerprints = kFingerprintsAt + 1;
constexpr size_t kFrameOneFingerprint = kFrameNoFingerprints + kFingerprintRecordSize;
constexpr size_t kFrameTwoFingerprints = kFrameOneFingerprint + kFingerprintRecordSize;
static_assert(kFrameTwoFingerprints == kLongestFrame, "the data frame is the longest frame");
// A reader's answer without card data: status and check byte only.
constexpr size_t kFrameNoData = 11;

// The outcome of the data frame checks, in the order they are made.
enum class DataFrameVerdict {
    Complete,
    NoCardData,          // value: the frame length
    BadLength,           // value: the frame length
    BadPreamble,
    BadFixedPart,        // status and block lengths, bytes 7 to 13
    BadTotalLength,      // value: the length field
    BadFingerprintLength // value: the fingerprint length field
};

struct DataFrameCheck {
    DataFrameVerdict verdict;
    int value;
    int fingerprintLength;  // the field, once the checks got that far; else -1
};

// Checks `length` received bytes as a card data frame. The check byte is not
// looked at: readers have been seen to send data frames with a wrong one.
DataFrameCheck checkDataFrame(const uint8_t* frame, size_t length);

struct DataFrameBlocks {
    const uint8_t* text;          // kTextBlockSize bytes
    const uint8_t* photo;         // kPhotoBlockSize bytes
    const uint8_t* fingerprints;  // fingerprintLength bytes
    size_t fingerprintLength;     // 0, 512 or 1024, told by the frame's length
};

// The blocks of a frame that checkDataFrame found Complete.
DataFrameBlocks sliceDataFrame(const uint8_t* frame, size_t length);

// A complete data frame around the given blocks (the emulated reader's answer).
Bytes buildDataFrame(const uint8_t* text, const uint8_t* photo, const uint8_t* fingerprints,
                     size_t fingerprintLength);

}  // namespace cardproto
