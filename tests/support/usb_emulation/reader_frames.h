// SPDX-License-Identifier: Apache-2.0
// The frames the card reader exchanges with the host.
#pragma once

#include "usb_conversation.h"

namespace reader_frames {

constexpr uint8_t kOut = 0x02;
constexpr uint8_t kBodyOut = 0x06;
constexpr uint8_t kIn = 0x81;
constexpr uint8_t kBodyIn = 0x85;

inline Bytes lookupRequest() { return {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x20, 0x01, 0x22}; }
inline Bytes selectRequest() { return {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x20, 0x02, 0x21}; }
inline Bytes fetchRequest() { return {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x30, 0x10, 0x23}; }
inline Bytes lookupResponse()
{
    return {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x08, 0x00, 0x00, 0x9F, 0, 0, 0, 0, 0x97};
}
inline Bytes selectResponse()
{
    return {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x0C, 0x00, 0x00,
            0x90, 0,    0,    0,    0,    0,    0,    0,    0,    0x9C};
}
// The reader's answer with status and check byte only.
inline Bytes statusOnly() { return {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x04, 0x00, 0x00, 0x90, 0x94}; }

// The reader finds a card and selects it, as the host asks.
inline void scriptCardFoundAndSelected(UsbConversation& talk)
{
    talk.hostSends(kOut, lookupRequest());
    talk.deviceAnswers(kIn, 15, lookupResponse());
    talk.hostSends(kOut, selectRequest());
    talk.deviceAnswers(kIn, 19, selectResponse());
}

// A card data frame with `fpLength` bytes of fingerprints; text and photo
// blocks are copied when given (256 and 1024 bytes).
inline Bytes dataFrame(int fpLength, const uint8_t* text = nullptr, const uint8_t* photo = nullptr)
{
    Bytes frame = {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0, 0, 0x00, 0x00, 0x90, 0x01, 0x00, 0x04, 0x00,
                   uint8_t(fpLength >> 8), uint8_t(fpLength)};
    for (int i = 0; i < 256; ++i)
        frame.push_back(text ? text[i] : uint8_t(i));
    for (int i = 0; i < 1024; ++i)
        frame.push_back(photo ? photo[i] : uint8_t(i * 7));
    for (int i = 0; i < fpLength; ++i)
        frame.push_back(uint8_t(0x40 + i % 64));
    const int n = int(frame.size()) + 1 - 7;
    frame[5] = uint8_t(n >> 8);
    frame[6] = uint8_t(n);
    uint8_t check = 0;
    for (size_t i = 5; i < frame.size(); ++i)
        check ^= frame[i];
    frame.push_back(check);
    return frame;
}

}  // namespace reader_frames
