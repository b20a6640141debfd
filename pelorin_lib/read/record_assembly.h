// SPDX-License-Identifier: Apache-2.0
// Turns the reader's CardInfoStruct into the public record of the card's kind.
#pragma once

#include "pelorin_api.h"

struct CardInfoStruct;

// The card as one read delivered it.
struct FetchedCard {
    const CardInfoStruct* docInfo;
    const unsigned char* photo;  // 38862 bytes: what headImage receives
    const unsigned char* fingerprints;
    unsigned int fingerprintLength;
};

// Checks that the card can be stored: UNSUPPORT_CARD for an unknown kind,
// PARSE_ERROR for a resident card's fingerprint length other than 0, 512
// or 1024; READ_OK otherwise. Nothing is written.
READ_RESULT checkFetchedCard(const FetchedCard& card);
// Sets *pIDType and fills the record of the card's kind; the other records
// are not touched. The card must have passed checkFetchedCard.
void storeFetchedCard(const FetchedCard& card, const ReadInfo& info);
