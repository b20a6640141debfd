// SPDX-License-Identifier: Apache-2.0
// The residence permit's back: one template for Hong Kong and Macau, one for
// Taiwan, told by the identity number.
#pragma once

#include <QString>

#include "pelorin_api.h"

namespace PermitFaces {

// The back template of a residence permit by its identity number, and the
// baseline of its first row; empty when the number names none.
QString backTemplate(const ID_TEXT_INFO_HMT& text, int& firstBaseline);

}  // namespace PermitFaces
