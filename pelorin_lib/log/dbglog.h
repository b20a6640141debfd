// SPDX-License-Identifier: Apache-2.0
// The library's diagnostic log "pelorin_dbg.log" (its place: log_path.h),
// and the crash report written there on SIGSEGV and SIGABRT
// (crash_report.h). The file is created readable by its owner only; past
// 1 MiB it moves aside to "pelorin_dbg.log.1", replacing the older one, so a
// log takes at most about 2 MiB. Each message is one line: a newline of its
// own is not doubled. The file is only written where no other account can
// steer it (log_file.h); elsewhere the process logs nothing.
#pragma once

#include "crash_report.h"
#include "log_path.h"
#include "log_timestamp.h"

#include <cstdarg>

// Location tag arguments for messages that begin with "[%s(%d)<%s>] ".
#define LOG_AT __FILE_NAME__, __LINE__, __func__

// Writes one stamped line to fd; returns the message byte count (a newline
// it ends in included) or -1.
int safe_write_va(int fd, const char* fmt, va_list args);
// Writes one stamped line to the log file; returns the message byte count or
// -1. Each line finds the log's place, opens, locks, writes, flushes to disk
// and closes it again: a crash loses no line, and a log moved aside or
// removed meanwhile is simply made anew.
int safe_write_fmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void print_stacktrace();
