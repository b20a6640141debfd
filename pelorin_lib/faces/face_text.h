// SPDX-License-Identifier: Apache-2.0
// Text transforms shared by the card faces: how a record field is turned into
// the text drawn on the picture.
#pragma once

#include <QString>

#include <string>

namespace FaceText {

// Field text up to its first NUL, decoded as UTF-8.
QString fromField(const std::string& field);
// Trimmed; a two-unit name gets three spaces between its units.
QString spreadName(const QString& name);
// Trimmed, without one leading "0"; *dropped tells whether a zero was removed.
QString dropLeadingZero(const QString& value, bool* dropped = nullptr);
// "2020.03.15 - 2040.03.15"; an end containing "长期" stays as it is.
QString validPeriod(const QString& start, const QString& end);
// "女 / F", "男 / M", or the text unchanged.
QString bilingualSex(const QString& gender);
// "name / code": from a three-letter code, from a Chinese country name of the
// country table, or a text already in that form, which stays as it is; an empty
// field stays empty.
QString bilingualNationality(const QString& nationality);

}  // namespace FaceText
