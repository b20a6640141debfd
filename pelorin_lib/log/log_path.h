// SPDX-License-Identifier: Apache-2.0
// Where the diagnostic log "pelorin_dbg.log" is written: beside the library
// file that holds this code, or where that cannot be, a private place.
#pragma once

#include <cstddef>

// Size of the buffers that hold a log path, its NUL included.
constexpr size_t kLogPathSize = 256;

// Path of the log file, or "" when the library's own file cannot be found
// or the path does not fit the 256-byte buffer. Worked out again on each
// call: the library's directory may stop (or start) taking files.
const char* getLogName();

// Builds "<absolute directory of libraryFile>/pelorin_dbg.log" into out.
// Returns false, leaving out empty, when the path would not fit.
bool makeLogPath(const char* libraryFile, char* out, size_t outSize);
// Builds "$XDG_STATE_HOME/pelorin/pelorin_dbg.log" (default state directory
// ~/.local/state) into out, creating missing directories with mode 0700.
// Returns false, leaving out empty, when they cannot be made or the path
// would not fit.
bool makeStateLogPath(char* out, size_t outSize);
// The log's place for the library file libraryFile, into out: an installed
// library (under /usr) never writes into the system's directories and logs
// in /var/log/pelorin when the process may write there (root), any other
// copy (a build tree, a private copy) beside itself when it may; otherwise
// the user's state directory as makeStateLogPath makes it. False, out empty,
// when none can be had.
bool chooseLogPath(const char* libraryFile, char* out, size_t outSize);
