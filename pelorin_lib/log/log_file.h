// SPDX-License-Identifier: Apache-2.0
// The diagnostic log's file: opened so that no other account can steer its
// lines (not through a link, a FIFO or a device at its path, nor through a
// file or a directory that someone else may change), locked against other
// processes, moved aside when full. Async-signal-safe throughout: the crash
// report writes the log this way too.
#pragma once

#include <cstddef>

// The log file open for appending and the directory it was found in.
struct LogFile {
    int directory = -1;
    int file = -1;
    const char* name = nullptr;  // within directory: points into the path opened
};

// Opens path ("<directory>/<name>") for appending, creating the file with
// mode 0600 when it is missing, without following a link at its end and
// without waiting for a FIFO's reader. Accepted only: a regular file with
// one link, owned by the effective uid, without a group or other write bit,
// in a directory owned by the effective uid or by root, without a group or
// other write bit. Both descriptors are close-on-exec and above 2 (a host
// that closed its standard descriptors does not find the log there). False,
// with nothing left open, for anything else.
bool openLogFile(const char* path, LogFile& log);

// Renames the log to "<name>.1" in its directory, replacing an older one,
// if the name still leads to the file open in log (another writer may have
// moved it already). True when it moved.
bool moveLogAside(const LogFile& log);

void closeLogFile(LogFile& log);

// openLogFile, but a log past 1 MiB first moves aside to "<name>.1",
// replacing the older one, so that a log takes at most about 2 MiB.
bool openLogForLine(const char* path, LogFile& log);

// Takes the exclusive file lock, giving up once more than five whole seconds
// passed; false then.
bool lockLogFile(int fd);

// Writes all of data, going on after an interrupted or partial write; false
// on an error.
bool writeLogBytes(int fd, const char* data, size_t length);
// writeLogBytes of a NUL-terminated text.
void writeLogText(int fd, const char* text);
