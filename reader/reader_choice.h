// SPDX-License-Identifier: Apache-2.0
// The readers of the reader-access library in use, for the C interface and
// pelorin-read: pelorin's own library answers through its calls of
// pelorin_kvs.h; a vendor's library has no readers file, and then every
// function here returns false.
#pragma once

#include <string>
#include <vector>

struct ListedReader {
    std::string kind;   // "serial", "usb" or "simulated"
    std::string where;  // "/dev/ttyUSB0 115200", "0400:c35a", a card file or ""
    bool present;
    int answer;           // probed: what it said to find card; else 0
    std::string problem;  // probed: why it could not be opened
};

struct ReaderListing {
    std::string file;     // the readers file in use
    std::string problem;  // why it cannot be used; empty when it can
    std::vector<ListedReader> readers;
};

// Names the readers file for this process (empty: back to the others).
bool useReadersFile(const std::string& path);
// The readers of the readers file in use; with `probe`, each that is there
// is asked for a card.
bool listReaders(bool probe, ReaderListing& listing);
