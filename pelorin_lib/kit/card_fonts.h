// SPDX-License-Identifier: Apache-2.0
// Font families the card faces are drawn with.
#pragma once

#include <QString>

namespace CardFonts {

// Every text field except the identity numbers.
inline QString fieldFamily() { return QStringLiteral("华文细黑"); }
// The identity numbers.
inline QString numberFamily() { return QStringLiteral("黑体"); }
// The free CJK family that stands in for both where they are not installed.
inline QString standInFamily() { return QStringLiteral("Noto Sans CJK SC"); }

}  // namespace CardFonts
