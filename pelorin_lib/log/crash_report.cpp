// SPDX-License-Identifier: Apache-2.0
#include "crash_report.h"

#include "log_file.h"
#include "log_path.h"
#include "log_timestamp.h"

#include <execinfo.h>
#include <sys/file.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <ctime>

namespace {

constexpr int kMaxFrames = 1000;

// Taken once when the crash handlers are installed: the handler must not
// allocate, resolve symbols or take the log mutex.
char g_crashLogPath[kLogPathSize];
// Local time's offset from UTC in seconds, also taken at installation: the
// time-zone functions take glibc's time-zone lock, which a crashing process
// may hold. A daylight-saving change after installation shifts the crash
// report's stamps by that hour; the ordinary lines stay exact.
long g_crashUtcOffset = 0;
// What SIGSEGV and SIGABRT did before the library's handler: the handler
// hands the signal back to it after the report.
struct sigaction g_previousHandlers[2];

// The crash handler's stamp: the clock and plain arithmetic only.
void writeCrashStamp(int fd)
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    char text[kStampTextSize];
    formatStampText(static_cast<long long>(now.tv_sec) + g_crashUtcOffset, now.tv_nsec / 1000000, text);
    char stamp[kBracedStampSize];
    braceStampText(text, stamp);
    writeLogText(fd, stamp);
}

// Decimal text of a signal number without snprintf, for the crash handler.
void formatInt(int value, char* out)
{
    char digits[16];
    int n = 0;
    bool negative = value < 0;
    unsigned int v = negative ? 0u - static_cast<unsigned int>(value) : static_cast<unsigned int>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    int pos = 0;
    if (negative)
        out[pos++] = '-';
    while (n > 0)
        out[pos++] = digits[--n];
    out[pos] = '\0';
}

void crashLine(int fd, const char* a, const char* b = "")
{
    writeCrashStamp(fd);
    writeLogText(fd, a);
    writeLogText(fd, b);
    writeLogText(fd, "\n");
    fsync(fd);
}

}  // namespace

void signalHandler(int sig)
{
    if (sig != SIGSEGV && sig != SIGABRT)
        return;
    char number[16];
    formatInt(sig, number);
    writeLogText(STDOUT_FILENO, "非法使用内存，请检查是否违规初始化GUI或者违规使用GUI方法。错误号:");
    writeLogText(STDOUT_FILENO, number);
    writeLogText(STDOUT_FILENO, "\n");

    // The same lines as the ordinary writer, without its mutex: the fault
    // may have happened while this very thread held it. The file lock is
    // still honoured against other writers, but only for a bounded time.
    LogFile log;
    if (g_crashLogPath[0] && openLogFile(g_crashLogPath, log)) {
        const int fd = log.file;
        bool locked = lockLogFile(fd);
        crashLine(fd, "非法使用内存, 请检查是否违规初始化GUI或者违规使用GUI方法。错误号:", number);
        crashLine(fd, "Segmentation fault detected!");
        crashLine(fd, "Call stack:");
        void* frames[kMaxFrames];
        int count = backtrace(frames, kMaxFrames);
        for (int i = 0; i < count; ++i) {
            writeCrashStamp(fd);
            backtrace_symbols_fd(&frames[i], 1, fd);  // the frame text and its newline
        }
        fsync(fd);
        if (locked)
            flock(fd, LOCK_UN);
        closeLogFile(log);
    }
    // The report is on disk; now whatever the host had set up takes the
    // signal as if the library had never been there: its own handler, or
    // the default death with a core dump and the signal's exit status. The
    // signal stays blocked until this handler returns.
    const int index = sig == SIGSEGV ? 0 : 1;
    sigaction(sig, &g_previousHandlers[index], nullptr);
    raise(sig);
}

void installCrashHandlers()
{
    strcpy(g_crashLogPath, getLogName());
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    g_crashUtcOffset = local.tm_gmtoff;
    // backtrace() loads its unwinder on first use; do that now, not in the handler.
    void* warmUp[1];
    backtrace(warmUp, 1);
    struct sigaction report = {};
    report.sa_handler = signalHandler;
    sigemptyset(&report.sa_mask);
    report.sa_flags = SA_RESTART;
    sigaction(SIGSEGV, &report, &g_previousHandlers[0]);
    sigaction(SIGABRT, &report, &g_previousHandlers[1]);
}
