// SPDX-License-Identifier: Apache-2.0
// Everything one readIDCard call fills.
#pragma once

#include <pelorin/pelorin_api.h>

#include <string>

struct CardRead {
    ID_TYPE idType = ID_TYPE_UNKNOWN;
    IDCARD_INFO_ALL_CN cn{};
    IDCARD_INFO_ALL_FOREIGN_2017 foreign2017{};
    IDCARD_INFO_ALL_FOREIGN_NEW foreignNew{};
    IDCARD_INFO_ALL_HMT hmt{};
    std::string frontBase64;
    std::string backBase64;
    // Characters of the faces came out as boxes: no font could draw them.
    bool facesDegraded = false;

    // The photo bitmap of the record of idType, or null for an unknown kind.
    unsigned char* headImage();
    const unsigned char* headImage() const { return const_cast<CardRead*>(this)->headImage(); }
    // The addresses readIDCard fills, the records' among them.
    ReadInfo records() const;
};

// readIDCard into read, with whether its faces are degraded.
READ_RESULT readCardRecords(CardRead& read);
