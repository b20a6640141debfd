// SPDX-License-Identifier: Apache-2.0
// pelorin-read: reads the card on the reader and prints it as JSON.
#include "card_json.h"
#include "card_output.h"
#include "gui_platform.h"
#include "read_options.h"
#include "reader_library.h"
#include "reader_list.h"
#include "usb_read.h"
#include "watch_loop.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

int printCard(const ReadOptions& options, const CardRead& read, QJsonObject files = {},
              bool allWritten = true)
{
    const QJsonObject card = cardDocument(options, read, allWritten, files);
    const QByteArray json = QJsonDocument(card).toJson(QJsonDocument::Indented);
    fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
    return allWritten ? 0 : 3;
}

int readCardFromUsb(const ReadOptions& options)
{
    auto read = std::make_unique<CardRead>();
    QJsonObject files;
    bool allWritten = true;
    const READ_RESULT result = readCardOverUsb(options, *read, files, allWritten);
    if (result != READ_OK) {
        reportFailure(result);
        return 1;
    }
    return printCard(options, *read, files, allWritten);
}

int readCard(const ReadOptions& options)
{
    auto read = std::make_unique<CardRead>();
    const READ_RESULT result = readIntoRecords(*read);
    if (result == READ_DATA_TIMEOUT) {
        // The timed-out worker may still be running and may still write into
        // the records: leave at once, without tearing anything down under it.
        reportFailure(result);
        fflush(stdout);
        _exit(1);
    }
    if (result != READ_OK) {
        reportFailure(result);
        return 1;
    }
    if (idTypeName(read->idType) == nullptr) {
        fprintf(stderr, "READ_OK (0): the read named no known card kind (%d)\n",
                static_cast<int>(read->idType));
        return 1;
    }
    return printCard(options, *read);
}

}  // namespace

int main(int argc, char** argv)
{
    const ReadOptions options = parseReadOptions(argc, argv);
    if (!options.error.isEmpty()) {
        fprintf(stderr, "pelorin-read: %s\n\n%s", qPrintable(options.error), readUsageText());
        return 2;
    }
    if (options.help) {
        fputs(readUsageText(), stdout);
        // The loader has chosen by now: tell which one it took.
        printf("\nReader library in use: %s\n", qPrintable(readerLibraryPath()));
        return 0;
    }
    if (options.version) {
        printf("%s\n", getSDKVersion().c_str());
        return 0;
    }

    if (options.listReaders || options.probe)
        return listReaders(options.probe);
    // The USB path composes no faces and needs no GUI.
    if (!options.usbIds.isEmpty())
        return readCardFromUsb(options);

    if (options.watch)
        holdStopSignals();
    preferOffscreenWithoutDisplay();
    const bool ownApplication = QCoreApplication::instance() == nullptr;
    if (ownApplication)
        guiInit();
    const int status = options.watch ? watchCards(options) : readCard(options);
    if (ownApplication)
        guiUninit();
    return status;
}
