// SPDX-License-Identifier: Apache-2.0
// The library's diagnostic log "pelorin_dbg.log" (its place: chooseLogPath),
// and the crash report written there on SIGSEGV and SIGABRT. The file is
// created readable by its owner only; past 1 MiB it moves aside to
// "pelorin_dbg.log.1", replacing the older one, so a log takes at most about
// 2 MiB. Each message is one line: a newline of its own is not doubled.
// The file is only written where no other account can steer it (log_file.h);
// elsewhere the process logs nothing.
#pragma once

#include <cstdarg>
#include <cstddef>

// Location tag arguments for messages that begin with "[%s(%d)<%s>] ".
#define LOG_AT __FILE_NAME__, __LINE__, __func__

// Path of the log file, or "" when the library's own file cannot be found
// or the path does not fit the 256-byte buffer.
const char* getLogName();
// Writes "YYYY-mm-dd HH:MM:SS.mmm" (23 characters and a NUL); size >= 24.
void get_formatted_time(char* buffer, size_t size);
// Size of the stamp text with its NUL.
constexpr size_t kStampTextSize = 24;
// The same text for a time already shifted to local time (seconds since the
// epoch plus the UTC offset), by plain arithmetic: no locale, no time-zone
// lock, no allocation, so the crash handler can use it too.
void formatStampText(long long localSeconds, long milliseconds, char* out);
// Writes one stamped line to fd; returns the message byte count (a newline
// it ends in included) or -1.
int safe_write_va(int fd, const char* fmt, va_list args);
// Writes one stamped line to the log file; returns the message byte count or -1.
int safe_write_fmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void print_stacktrace();
// The crash report: the console text on standard output, then the two log
// lines and the call stack into the log file (path and UTC offset prepared
// at installation), each stamped by formatStampText; the file lock is
// honoured for at most five seconds, the log mutex is not taken. Frames come
// from backtrace (its unwinder loaded at installation) and
// backtrace_symbols_fd, which need no heap. Then puts back the handler that
// was there before (or the default) and raises the signal again for it.
void signalHandler(int sig);

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
// Prepares what the crash handler needs so that it runs with
// async-signal-safe calls only, then installs it for SIGSEGV and SIGABRT.
void installCrashHandlers();
