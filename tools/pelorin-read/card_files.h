// SPDX-License-Identifier: Apache-2.0
// Writes the photo, face and copy files a pelorin-read command line asks
// for, readable by their owner only.
#pragma once

#include "card_read.h"
#include "read_options.h"

#include <QJsonObject>

// Writes all of data or nothing, mode 0600; returns the file name, or why it
// could not be written (allWritten then turns false), which also goes to
// standard error with the file name.
QString writeCardFile(const QString& fileName, const QByteArray& data, bool& allWritten);

// One entry per requested file ("photo", "front", "back", "copy"): the file name when
// it was written, otherwise why not. allWritten turns false when a file that
// had data could not be written.
QJsonObject writeCardFiles(const ReadOptions& options, const CardRead& read, bool& allWritten);
