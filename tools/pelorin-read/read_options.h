// SPDX-License-Identifier: Apache-2.0
// Command line of pelorin-read.
#pragma once

#include "card_files.h"

#include <QDate>
#include <QString>

struct ReadOptions : CardFileNames {
    QDate checksDay;    // the day the checks are made for; invalid: today
    QString usbIds;  // "VID:PID" of a reader on raw USB pipes; empty: the normal reader
    QString fpFile;  // where --usb writes the fingerprint block
    bool help = false;
    bool version = false;
    bool listReaders = false;  // show the configured readers and whether each is there
    bool probe = false;        // ask each present reader for a card
    bool watch = false;        // a line per card placed and taken away, until stopped
    QString error;  // set when the command line cannot be used
};

ReadOptions parseReadOptions(int argc, char** argv);
const char* readUsageText();
