// SPDX-License-Identifier: Apache-2.0
#include "frame.h"

namespace cardproto {

namespace {

Bytes request(uint8_t command, uint8_t parameter)
{
    return buildFrame({command, parameter});
}

Bytes statusResponse(uint8_t status, size_t dataBytes)
{
    Bytes body = {0x00, 0x00, status};
    body.resize(body.size() + dataBytes, 0x00);
    return buildFrame(body);
}

}  // namespace

uint8_t checkByte(const uint8_t* bytes, size_t count)
{
    uint8_t check = 0;
    for (size_t i = 0; i < count; ++i)
        check ^= bytes[i];
    return check;
}

Bytes buildFrame(const Bytes& body)
{
    const size_t length = body.size() + 1;
    Bytes frame(kPreamble, kPreamble + sizeof kPreamble);
    frame.push_back(uint8_t(length >> 8));
    frame.push_back(uint8_t(length));
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(checkByte(frame.data() + kLengthAt, frame.size() - kLengthAt));
    return frame;
}

size_t lengthField(const uint8_t* frame)
{
    return size_t(frame[kLengthAt]) * 256 + frame[kLengthAt + 1];
}

bool checkByteMatches(const uint8_t* frame, size_t size)
{
    if (size <= kHeaderSize)
        return false;
    return checkByte(frame + kLengthAt, size - kLengthAt - 1) == frame[size - 1];
}

Bytes findCardRequest() { return request(0x20, 0x01); }
Bytes selectCardRequest() { return request(0x20, 0x02); }
Bytes readCardRequest() { return request(0x30, 0x10); }
Bytes cardFoundResponse() { return statusResponse(kStatusCardFound, 4); }
Bytes cardSelectedResponse() { return statusResponse(kStatusOk, 8); }

}  // namespace cardproto
