// SPDX-License-Identifier: Apache-2.0
#include "reader_open.h"

#include "serial_line.h"
#include "usb_pipes.h"

std::unique_ptr<ReaderLine> openReader(const ConfiguredReader& reader, std::string& problem)
{
    if (reader.kind == ConfiguredReader::Serial)
        return SerialLine::open(reader.path, reader.baud, problem);
    return UsbPipes::open(reader.vid, reader.pid, problem);
}
