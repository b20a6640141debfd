// SPDX-License-Identifier: Apache-2.0
// One open reader behind the reader-access calls: KVS_OpenPort opens one,
// KVS_FindIDCard and KVS_ReadIDCard ask it, KVS_ClosePort lets it go. The
// simulated reader and the real readers' protocol session both are one.
#pragma once

#include "kvsdecompose.h"

class OpenReader {
public:
    virtual ~OpenReader() = default;
    // KVS_OK when a card is on the reader, else the reader's answer.
    virtual int findCard() = 0;
    // Reads the card into the record and the caller's buffers (photo: up to
    // 38862 bytes, fingerprints: up to 1024 bytes) with their lengths; KVS_OK,
    // KVS_RETRY for an attempt worth repeating, else the reader's answer.
    virtual int readCard(CardInfoStruct& info, unsigned char* photo, unsigned int& photoLength,
                         unsigned char* fingerprints, unsigned int& fingerprintLength) = 0;
};
