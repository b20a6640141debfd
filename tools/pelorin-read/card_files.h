// SPDX-License-Identifier: Apache-2.0
// Writes the photo and face files a pelorin-read command line asks for.
#pragma once

#include "card_read.h"
#include "read_options.h"

#include <QJsonObject>

// Writes all of data or nothing; returns the file name, or why it could not
// be written (allWritten then turns false).
QString writeCardFile(const QString& fileName, const QByteArray& data, bool& allWritten);

// One entry per requested file ("photo", "front", "back"): the file name when
// it was written, otherwise why not. allWritten turns false when a file that
// had data could not be written.
QJsonObject writeCardFiles(const ReadOptions& options, const CardRead& read, bool& allWritten);
