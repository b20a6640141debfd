// SPDX-License-Identifier: Apache-2.0
#include "dbglog.h"

#include "log_file.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr size_t kPathBufferSize = 256;
constexpr int kLockGiveUpSeconds = 5;
constexpr int kMaxFrames = 1000;
// A full log moves aside to "<log>.1", replacing the one before: the log
// takes at most about twice this on disk.
constexpr off_t kRotateBytes = 1024 * 1024;
// Where an installed library logs for root (the package makes it, owned by
// root); another account writes there only if the directory is its own.
constexpr char kSystemLogDir[] = "/var/log/pelorin";

char g_logName[kPathBufferSize];
pthread_mutex_t g_logMutex = PTHREAD_MUTEX_INITIALIZER;

// Taken once when the crash handlers are installed: the handler must not
// allocate, resolve symbols or take the log mutex.
char g_crashLogPath[kPathBufferSize];
// Local time's offset from UTC in seconds, also taken at installation: the
// time-zone functions take glibc's time-zone lock, which a crashing process
// may hold. A daylight-saving change after installation shifts the crash
// report's stamps by that hour; the ordinary lines stay exact.
long g_crashUtcOffset = 0;
// What SIGSEGV and SIGABRT did before the library's handler: the handler
// hands the signal back to it after the report.
struct sigaction g_previousHandlers[2];

bool writeAll(int fd, const char* data, size_t len)
{
    while (len > 0) {
        ssize_t n = write(fd, data, len);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

void writeText(int fd, const char* text)
{
    writeAll(fd, text, strlen(text));
}

void writeStampText(int fd, const char* timeText)
{
    writeText(fd, "{");
    writeText(fd, timeText);
    writeText(fd, "}");
}

void writeStamp(int fd)
{
    char timeText[32] = {0};
    get_formatted_time(timeText, sizeof timeText);
    writeStampText(fd, timeText);
}

// The crash handler's stamp: the clock and plain arithmetic only.
void writeCrashStamp(int fd)
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    char timeText[kStampTextSize];
    formatStampText(static_cast<long long>(now.tv_sec) + g_crashUtcOffset, now.tv_nsec / 1000000, timeText);
    writeStampText(fd, timeText);
}

// Writes value as exactly `width` decimal digits (leading zeros).
char* putDigits(char* out, long long value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// Takes the file lock, giving up once more than five whole seconds passed.
bool lockFile(int fd)
{
    time_t start = time(nullptr);
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (time(nullptr) - start > kLockGiveUpSeconds)
            return false;
        struct timespec pause = {0, 100 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return true;
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

// Opens the log for appending. A log past its bound moves aside first, under
// the file lock, and only while the path still names the file this writer
// opened: of several writers that find it full, one moves it.
bool openLog(const char* path, LogFile& log)
{
    struct stat opened;
    if (!openLogFile(path, log))
        return false;
    if (fstat(log.file, &opened) != 0 || opened.st_size < kRotateBytes)
        return true;
    if (lockFile(log.file)) {
        moveLogAside(log);
        flock(log.file, LOCK_UN);
    }
    closeLogFile(log);
    return openLogFile(path, log);
}

void crashLine(int fd, const char* a, const char* b = "", const char* c = "")
{
    writeCrashStamp(fd);
    writeText(fd, a);
    writeText(fd, b);
    writeText(fd, c);
    writeText(fd, "\n");
    fsync(fd);
}

// Whether the directory holding the file at path takes new files.
bool directoryWritable(const char* path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    return access(dir.constData(), W_OK) == 0;
}

// "<dir>/pelorin_dbg.log" into out. A longer path than out holds would be
// cut and log into some other file: refused, out left empty.
bool logPathIn(const QByteArray& dir, char* out, size_t outSize)
{
    out[0] = '\0';
    const QByteArray path = dir + "/pelorin_dbg.log";
    if (static_cast<size_t>(path.size()) >= outSize)
        return false;
    memcpy(out, path.constData(), static_cast<size_t>(path.size()) + 1);
    return true;
}

// mkdir -p, each directory it creates private to the user.
bool makePrivateDirs(const QString& path)
{
    QByteArray sofar;
    for (const QString& part : path.split('/', Qt::SkipEmptyParts)) {
        sofar += '/' + QFile::encodeName(part);
        if (mkdir(sofar.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

}  // namespace

bool makeLogPath(const char* libraryFile, char* out, size_t outSize)
{
    const QString dir = QFileInfo(QString::fromLocal8Bit(libraryFile)).absoluteDir().absolutePath();
    return logPathIn(QFile::encodeName(dir), out, outSize);
}

bool makeStateLogPath(char* out, size_t outSize)
{
    out[0] = '\0';
    QString state = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    if (!QDir::isAbsolutePath(state))  // unset, empty or relative: the default
        state = QDir::homePath() + "/.local/state";
    const QString dir = QDir::cleanPath(state + "/pelorin");
    if (!makePrivateDirs(dir))
        return false;
    return logPathIn(QFile::encodeName(dir), out, outSize);
}

bool chooseLogPath(const char* libraryFile, char* out, size_t outSize)
{
    // The loader may name an installed library by /lib, which leads to /usr/lib.
    char resolved[PATH_MAX];
    const bool installed = strncmp(realpath(libraryFile, resolved) ? resolved : libraryFile, "/usr/", 5) == 0;
    if (installed ? logPathIn(kSystemLogDir, out, outSize) : makeLogPath(libraryFile, out, outSize)) {
        if (directoryWritable(out))
            return true;
    }
    return makeStateLogPath(out, outSize);
}

const char* getLogName()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&getLogName), &info) == 0 || info.dli_fname == nullptr) {
        g_logName[0] = '\0';
        return g_logName;
    }
    chooseLogPath(info.dli_fname, g_logName, sizeof g_logName);
    return g_logName;
}

void formatStampText(long long localSeconds, long milliseconds, char* out)
{
    // Civil date of a day count (days since 1970-01-01, proleptic Gregorian).
    long long days = localSeconds / 86400;
    long long secondOfDay = localSeconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
    const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    year = year < 0 ? 0 : (year > 9999 ? 9999 : year);

    char* p = putDigits(out, year, 4);
    *p++ = '-';
    p = putDigits(p, month, 2);
    *p++ = '-';
    p = putDigits(p, day, 2);
    *p++ = ' ';
    p = putDigits(p, secondOfDay / 3600, 2);
    *p++ = ':';
    p = putDigits(p, secondOfDay / 60 % 60, 2);
    *p++ = ':';
    p = putDigits(p, secondOfDay % 60, 2);
    *p++ = '.';
    p = putDigits(p, milliseconds < 0 ? 0 : milliseconds % 1000, 3);
    *p = '\0';
}

void get_formatted_time(char* buffer, size_t size)
{
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    char text[kStampTextSize];
    formatStampText(static_cast<long long>(now.tv_sec) + local.tm_gmtoff, now.tv_usec / 1000, text);
    snprintf(buffer, size, "%s", text);
}

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
    if (!lockFile(fd)) {
        pthread_mutex_unlock(&g_logMutex);
        return -1;
    }
    writeStamp(fd);
    writeAll(fd, message.data(), message.size());
    writeText(fd, "\n");
    fsync(fd);
    flock(fd, LOCK_UN);
    pthread_mutex_unlock(&g_logMutex);
    return written;
}

int safe_write_fmt(const char* fmt, ...)
{
    char path[kPathBufferSize];
    strcpy(path, getLogName());
    if (path[0] == '\0')
        return -1;
    LogFile log;
    if (!openLog(path, log))
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

void signalHandler(int sig)
{
    if (sig != SIGSEGV && sig != SIGABRT)
        return;
    char number[16];
    formatInt(sig, number);
    writeText(STDOUT_FILENO, "非法使用内存，请检查是否违规初始化GUI或者违规使用GUI方法。错误号:");
    writeText(STDOUT_FILENO, number);
    writeText(STDOUT_FILENO, "\n");

    // The same lines as the ordinary writer, without its mutex: the fault
    // may have happened while this very thread held it. The file lock is
    // still honoured against other writers, but only for a bounded time.
    LogFile log;
    if (g_crashLogPath[0] && openLogFile(g_crashLogPath, log)) {
        const int fd = log.file;
        bool locked = lockFile(fd);
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
