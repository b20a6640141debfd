// Command line of pelorin-read.
#pragma once

#include <QString>

struct ReadOptions {
    QString photoFile;  // empty: do not write the photo
    QString frontFile;
    QString backFile;
    bool help = false;
    bool version = false;
    QString error;  // set when the command line cannot be used
};

ReadOptions parseReadOptions(int argc, char** argv);
const char* readUsageText();
