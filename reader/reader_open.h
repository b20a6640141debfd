// SPDX-License-Identifier: Apache-2.0
// Opens the line to a configured reader.
#pragma once

#include <memory>
#include <string>

#include "reader_config.h"
#include "reader_line.h"

// Null with the reason in `problem` when the reader cannot be opened.
std::unique_ptr<ReaderLine> openReader(const ConfiguredReader& reader, std::string& problem);
