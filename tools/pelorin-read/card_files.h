// Writes the photo and face files a pelorin-read command line asks for.
#pragma once

#include "card_read.h"
#include "read_options.h"

#include <QJsonObject>

// One entry per requested file ("photo", "front", "back"): the file name when
// it was written, otherwise why not. allWritten turns false when a file that
// had data could not be written.
QJsonObject writeCardFiles(const ReadOptions& options, const CardRead& read, bool& allWritten);
