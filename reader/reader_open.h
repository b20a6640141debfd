// SPDX-License-Identifier: Apache-2.0
// Opens a configured reader of any kind.
#pragma once

#include <memory>
#include <string>

#include "open_reader.h"
#include "reader_config.h"

// Null with the reason in `problem` when the reader cannot be opened.
std::unique_ptr<OpenReader> openReader(const ConfiguredReader& reader, std::string& problem);
