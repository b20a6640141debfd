// SPDX-License-Identifier: Apache-2.0
// The report a crash (SIGSEGV, SIGABRT) leaves in the diagnostic log.
#pragma once

// The crash report: the console text on standard output, then the two log
// lines and the call stack into the log file (path and UTC offset prepared
// at installation), each stamped by formatStampText; the file lock is
// honoured for at most five seconds, the log mutex is not taken. Frames come
// from backtrace (its unwinder loaded at installation) and
// backtrace_symbols_fd, which need no heap. Then puts back the handler that
// was there before (or the default) and raises the signal again for it.
void signalHandler(int sig);

// Prepares what the crash handler needs so that it runs with
// async-signal-safe calls only, then installs it for SIGSEGV and SIGABRT.
void installCrashHandlers();
