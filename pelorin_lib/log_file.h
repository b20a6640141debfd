// SPDX-License-Identifier: Apache-2.0
// Opening the diagnostic log so that no other account can steer its lines:
// not through a link, a FIFO or a device at its path, nor through a file or
// a directory that someone else may change. Async-signal-safe throughout:
// the crash report opens the log this way too.
#pragma once

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
