// SPDX-License-Identifier: Apache-2.0
#include "reader_open.h"

#include "reader_session.h"
#include "serial_line.h"
#include "simulated_reader.h"
#include "usb_pipes.h"

namespace {

std::unique_ptr<OpenReader> sessionOn(std::unique_ptr<ReaderLine> line)
{
    return line ? std::make_unique<ReaderSession>(std::move(line)) : nullptr;
}

}  // namespace

std::unique_ptr<OpenReader> openReader(const ConfiguredReader& reader, std::string& problem)
{
    switch (reader.kind) {
    case ConfiguredReader::Serial: return sessionOn(SerialLine::open(reader.path, reader.baud, problem));
    case ConfiguredReader::Usb: return sessionOn(UsbPipes::open(reader.vid, reader.pid, problem));
    case ConfiguredReader::Simulated: break;
    }
    return SimulatedReader::open(reader.path, problem);
}
