// SPDX-License-Identifier: Apache-2.0
// pelorin-read --usb: reads the card straight from a reader on raw USB pipes
// and takes the card's data frame apart into the same records as a normal read.
#pragma once

#include "card_read.h"
#include "read_options.h"

#include <QJsonObject>
#include <QString>
#include <cstdint>

// Parses "VID:PID", two hexadecimal numbers of at most four digits each.
bool parseUsbIds(const QString& text, uint16_t& vid, uint16_t& pid);

// Fills `read` from the card on the reader named by options.usbIds. The
// fingerprint block goes to options.fpFile, or without it to the parser's
// "fp_raw_data.dat" in the current directory; `files` gets its entry. Returns
// READ_OK or the reader's failure code.
READ_RESULT readCardOverUsb(const ReadOptions& options, CardRead& read, QJsonObject& files,
                            bool& allWritten);
