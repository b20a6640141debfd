// SPDX-License-Identifier: Apache-2.0
// The readers a readers file names (see readers_file.h for which file). One
// reader a line:
//
//     serial /dev/ttyUSB0          # 115200 baud 8N1
//     serial /dev/ttyACM0 9600     # another speed
//     usb 0400:c35a                # vendor:product, hexadecimal
//     simulated                    # the simulated reader and its built-in card
//     simulated cards/hmt.json     # ... presenting a card file
//
// "#" starts a comment; blank lines are ignored. Readers are tried in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ConfiguredReader {
    enum Kind { Serial, Usb, Simulated };
    Kind kind;
    std::string path;  // serial: the port; simulated: the card file, empty for none
    int baud;          // serial
    uint16_t vid;      // usb
    uint16_t pid;      // usb

    // "serial", "usb" or "simulated".
    const char* kindName() const;
    // "/dev/ttyUSB0 115200", "0400:c35a", or the card file (empty: none named).
    std::string where() const;
    // The kind and where it is: "serial /dev/ttyUSB0 115200", "usb 0400:c35a", "simulated".
    std::string describe() const;
    // The serial port exists, a USB device with the identifiers is attached,
    // or the simulated reader would open with its card file.
    bool present() const;
};

// Reads the readers from `path`. On failure returns false with one line in
// `problem` that names the file and, for a malformed line, its number.
bool loadReaders(const std::string& path, std::vector<ConfiguredReader>& readers, std::string& problem);
