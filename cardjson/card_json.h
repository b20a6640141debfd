// SPDX-License-Identifier: Apache-2.0
// The JSON document pelorin-read prints for a card.
#pragma once

#include "card_read.h"

#include <QDate>
#include <QJsonObject>

// Enumeration name of a card kind; nullptr for a value that names no card.
const char* idTypeName(ID_TYPE type);

// {"kind", "idType", "record", "finger_info_type" (resident cards), "files",
// "facesDegraded" (characters of the faces drawn as boxes), "checks"}, the
// checks as of the local date `today`. The card kind must be one idTypeName
// knows.
QJsonObject cardJson(const CardRead& read, const QJsonObject& files,
                     const QDate& today = QDate::currentDate());

// cardJson of a card read through a reader-access library, plus
// "readerLibrary": the file of the library that answered.
QJsonObject cardJsonFromReader(const CardRead& read, const QJsonObject& files,
                               const QDate& today = QDate::currentDate());
