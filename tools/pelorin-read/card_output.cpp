// SPDX-License-Identifier: Apache-2.0
#include "card_output.h"

#include "card_files.h"
#include "card_json.h"
#include "result_text.h"
#include "stdout_redirect.h"

#include <cstdio>

READ_RESULT readIntoRecords(CardRead& read)
{
    StdoutToStderr progressToStderr;
    return readCardRecords(read);
}

void reportFailure(int result)
{
    fprintf(stderr, "%s (%d): %s\n", readResultName(result), result, readResultExplanation(result));
}

QJsonObject cardDocument(const ReadOptions& options, const CardRead& read, bool& allWritten,
                         QJsonObject files)
{
    bool cardFilesWritten = true;
    const QJsonObject cardFiles = writeCardFiles(options, read, cardFilesWritten);
    allWritten = allWritten && cardFilesWritten;
    for (auto it = cardFiles.begin(); it != cardFiles.end(); ++it)
        files.insert(it.key(), it.value());
    const QDate checksDay = options.checksDay.isValid() ? options.checksDay : QDate::currentDate();
    // The USB path speaks to the reader itself; the others go through a reader library.
    return options.usbIds.isEmpty() ? cardJsonFromReader(read, files, checksDay)
                                    : cardJson(read, files, checksDay);
}
