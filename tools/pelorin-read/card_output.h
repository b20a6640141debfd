// SPDX-License-Identifier: Apache-2.0
// One read of the card and what pelorin-read makes of it, for a single read
// and for the watch loop alike.
#pragma once

#include "card_read.h"
#include "read_options.h"

#include <QJsonObject>

// readIDCard into `read`, with the library's progress lines on standard
// error so that they stay out of the JSON on standard output.
READ_RESULT readIntoRecords(CardRead& read);

// "NAME (value): explanation" on standard error.
void reportFailure(int result);

// The card's JSON with the files the options ask for written: `files` holds
// entries of files written already; allWritten turns false when one could
// not be.
QJsonObject cardDocument(const ReadOptions& options, const CardRead& read, bool& allWritten,
                         QJsonObject files = {});
