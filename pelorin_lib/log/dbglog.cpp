// SPDX-License-Identifier: Apache-2.0
#include "dbglog.h"

#include "log_file.h"

#include <execinfo.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxFrames = 1000;

pthread_mutex_t g_logMutex = PTHREAD_MUTEX_INITIALIZER;

void writeStamp(int fd)
{
    char text[32] = {0};
    get_formatted_time(text, sizeof text);
    char stamp[kBracedStampSize];
    braceStampText(text, stamp);
    writeLogText(fd, stamp);
}

}  // namespace

int safe_write_va(int fd, const char* fmt, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int written = vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    std::string message(written > 0 ? static_cast<size_t>(written) + 1 : 0, '\0');
    if (written > 0) {
        vsnprintf(&message[0], message.size(), fmt, args);
        message.pop_back();  // the terminating NUL
        // Most messages end in a newline of their own: one per line is enough.
        if (message.back() == '\n')
            message.pop_back();
    }

    pthread_mutex_lock(&g_logMutex);
    if (!lockLogFile(fd)) {
        pthread_mutex_unlock(&g_logMutex);
        return -1;
    }
    writeStamp(fd);
    writeLogBytes(fd, message.data(), message.size());
    writeLogText(fd, "\n");
    fsync(fd);
    flock(fd, LOCK_UN);
    pthread_mutex_unlock(&g_logMutex);
    return written;
}

int safe_write_fmt(const char* fmt, ...)
{
    char path[kLogPathSize];
    strcpy(path, getLogName());
    if (path[0] == '\0')
        return -1;
    LogFile log;
    if (!openLogForLine(path, log))
        return -1;
    va_list args;
    va_start(args, fmt);
    int result = safe_write_va(log.file, fmt, args);
    va_end(args);
    closeLogFile(log);
    return result;
}

void print_stacktrace()
{
    void* frames[kMaxFrames];
    int count = backtrace(frames, kMaxFrames);
    char** symbols = backtrace_symbols(frames, count);
    if (symbols == nullptr) {
        perror("backtrace_symbols");
        return;
    }
    safe_write_fmt("Call stack:\n");
    for (int i = 0; i < count; ++i)
        safe_write_fmt("%s\n", symbols[i]);
    free(symbols);
}
