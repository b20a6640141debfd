// SPDX-License-Identifier: Apache-2.0
#include "data_frame.h"

#include <cstring>

namespace cardproto {

namespace {

// Status and the text and photo block lengths, bytes 7 to 13 of a data frame.
constexpr size_t kFixedPartAt = 7;
constexpr uint8_t kFixedPart[7] = {0x00, 0x00, kStatusOk, 0x01, 0x00, 0x04, 0x00};
constexpr size_t kFingerprintLengthAt = 14;

bool knownFrameLength(size_t length)
{
    return length == kFrameTwoFingerprints || length == kFrameOneFingerprint ||
           length == kFrameNoFingerprints;
}

}  // namespace

DataFrameCheck checkDataFrame(const uint8_t* frame, size_t length)
{
    if (length == kFrameNoData)
        return {DataFrameVerdict::NoCardData, int(length), -1};
    if (!knownFrameLength(length))
        return {DataFrameVerdict::BadLength, int(length), -1};
    if (std::memcmp(frame, kPreamble, sizeof kPreamble) != 0)
        return {DataFrameVerdict::BadPreamble, 0, -1};
    if (std::memcmp(frame + kFixedPartAt, kFixedPart, sizeof kFixedPart) != 0)
        return {DataFrameVerdict::BadFixedPart, 0, -1};
    const size_t total = lengthField(frame);
    if (total + kHeaderSize != length)
        return {DataFrameVerdict::BadTotalLength, int(total), -1};
    const int fpLength = frame[kFingerprintLengthAt] * 256 + frame[kFingerprintLengthAt + 1];
    if (fpLength != 1024 && fpLength != 512 && fpLength != 0)
        return {DataFrameVerdict::BadFingerprintLength, fpLength, fpLength};
    return {DataFrameVerdict::Complete, 0, fpLength};
}

DataFrameBlocks sliceDataFrame(const uint8_t* frame, size_t length)
{
    return {frame + kTextBlockAt, frame + kPhotoBlockAt, frame + kFingerprintsAt,
            length - kFrameNoFingerprints};
}

Bytes buildDataFrame(const uint8_t* text, const uint8_t* photo, const uint8_t* fingerprints,
                     size_t fingerprintLength)
{
    Bytes body(kFixedPart, kFixedPart + sizeof kFixedPart);
    body.push_back(uint8_t(fingerprintLength >> 8));
    body.push_back(uint8_t(fingerprintLength));
    body.insert(body.end(), text, text + kTextBlockSize);
    body.insert(body.end(), photo, photo + kPhotoBlockSize);
    body.insert(body.end(), fingerprints, fingerprints + fingerprintLength);
    return buildFrame(body);
}

}  // namespace cardproto
