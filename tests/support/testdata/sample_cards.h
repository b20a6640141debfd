// SPDX-License-Identifier: Apache-2.0
// Invented card records with the sample photos of tests/fixtures/cards.
#pragma once

#include <memory>

#include <pelorin/pelorin_api.h>

namespace SampleCards {

// The records are large (the photo alone is 38862 bytes), hence the heap.
std::unique_ptr<IDCARD_INFO_ALL_CN> resident();
// Identity number beginning with 81 (Hong Kong).
std::unique_ptr<IDCARD_INFO_ALL_HMT> hongKongPermit();
// Identity number beginning with 83 (Taiwan).
std::unique_ptr<IDCARD_INFO_ALL_HMT> taiwanPermit();
std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_NEW> foreignerNew();
std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_2017> foreigner2017();

// Fills headImage with the named photo of the fixtures; false when it cannot be read.
bool loadPhoto(const char* fileName, unsigned char* headImage);

}  // namespace SampleCards
