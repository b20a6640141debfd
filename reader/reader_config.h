// SPDX-License-Identifier: Apache-2.0
// Which readers the library may use: /etc/pelorin/readers.conf, or for one
// process the file named by PELORIN_READERS. One reader a line:
//
//     serial /dev/ttyUSB0          # 115200 baud 8N1
//     serial /dev/ttyACM0 9600     # another speed
//     usb 0400:c35a                # vendor:product, hexadecimal
//
// "#" starts a comment; blank lines are ignored. Readers are tried in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ConfiguredReader {
    enum Kind { Serial, Usb };
    Kind kind;
    std::string path;  // serial
    int baud;          // serial
    uint16_t vid;      // usb
    uint16_t pid;      // usb

    // "serial /dev/ttyUSB0 115200" or "usb 0400:c35a".
    std::string describe() const;
    // The serial port exists, or a USB device with the identifiers is attached.
    bool present() const;
};

constexpr const char* kSystemReadersFile = "/etc/pelorin/readers.conf";
constexpr const char* kReadersFileVariable = "PELORIN_READERS";

// The file in use: PELORIN_READERS when set and not empty, else the system file.
std::string readersFile();

// Reads the readers from `path`. On failure returns false with one line in
// `problem` that names the file and, for a malformed line, its number.
bool loadReaders(const std::string& path, std::vector<ConfiguredReader>& readers, std::string& problem);
