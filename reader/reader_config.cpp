// SPDX-License-Identifier: Apache-2.0
#include "reader_config.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

#include "serial_line.h"
#include "simulated_reader.h"
#include "usb_pipes.h"

namespace {

constexpr int kDefaultBaud = 115200;

bool parseLine(const std::string& text, ConfiguredReader& reader, std::string& problem)
{
    std::istringstream words(text);
    std::string kind, first, second, extra;
    words >> kind >> first >> second >> extra;
    if (kind == "serial") {
        if (first.empty() || first[0] != '/') {
            problem = "a serial reader needs the absolute path of its port";
            return false;
        }
        int baud = kDefaultBaud;
        if (!second.empty()) {
            baud = std::atoi(second.c_str());
            if (second.find_first_not_of("0123456789") != std::string::npos ||
                !SerialLine::supportedSpeed(baud)) {
                problem = "unsupported speed \"" + second + "\"";
                return false;
            }
        }
        reader = {ConfiguredReader::Serial, first, baud, 0, 0};
    } else if (kind == "usb") {
        static const std::regex ids("([0-9A-Fa-f]{1,4}):([0-9A-Fa-f]{1,4})");
        std::smatch match;
        if (!std::regex_match(first, match, ids)) {
            problem = "a USB reader is named by VENDOR:PRODUCT in hexadecimal, e.g. usb 0400:c35a";
            return false;
        }
        reader = {ConfiguredReader::Usb, "", 0, uint16_t(std::stoul(match[1].str(), nullptr, 16)),
                  uint16_t(std::stoul(match[2].str(), nullptr, 16))};
    } else if (kind == "simulated") {
        reader = {ConfiguredReader::Simulated, first, 0, 0, 0};
    } else {
        problem = "unknown reader kind \"" + kind + "\" (expected serial, usb or simulated)";
        return false;
    }
    if (!extra.empty() || (kind != "serial" && !second.empty())) {
        problem = "unexpected \"" + (extra.empty() ? second : extra) + "\" at the end of the line";
        return false;
    }
    return true;
}

}  // namespace

const char* ConfiguredReader::kindName() const
{
    switch (kind) {
    case Serial: return "serial";
    case Usb: return "usb";
    case Simulated: break;
    }
    return "simulated";
}

std::string ConfiguredReader::where() const
{
    switch (kind) {
    case Serial: return path + " " + std::to_string(baud);
    case Simulated: return path;
    case Usb: break;
    }
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", vid, pid);
    return ids;
}

std::string ConfiguredReader::describe() const
{
    const std::string place = where();
    return place.empty() ? kindName() : kindName() + (" " + place);
}

bool ConfiguredReader::present() const
{
    switch (kind) {
    case Serial: return access(path.c_str(), F_OK) == 0;
    case Usb: return UsbPipes::present(vid, pid);
    case Simulated: break;
    }
    return SimulatedReader::present(path);
}

bool loadReaders(const std::string& path, std::vector<ConfiguredReader>& readers, std::string& problem)
{
    std::ifstream file(path);
    if (!file) {
        problem = path + ": cannot be read; it names the card readers (see pelorin-read --help)";
        return false;
    }
    std::vector<ConfiguredReader> loaded;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        ConfiguredReader reader;
        std::string lineProblem;
        if (!parseLine(line, reader, lineProblem)) {
            problem = path + ":" + std::to_string(number) + ": " + lineProblem;
            return false;
        }
        loaded.push_back(reader);
    }
    if (loaded.empty()) {
        problem = path + ": names no reader";
        return false;
    }
    readers = loaded;
    return true;
}
