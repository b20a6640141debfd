// SPDX-License-Identifier: Apache-2.0
#include "log_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// Log files hold the reader's history: for their owner only.
constexpr mode_t kLogFileMode = 0600;
constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;
// A full log moves aside to "<log>.1", replacing the one before: the log
// takes at most about twice this on disk.
constexpr off_t kRotateBytes = 1024 * 1024;
constexpr int kLockGiveUpSeconds = 5;

// The descriptor moved above the standard ones: a host that closed 0, 1 or 2
// would otherwise write its output into the log, or read from it.
int aboveStandardDescriptors(int fd)
{
    if (fd < 0 || fd > STDERR_FILENO)
        return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    return moved;
}

// Only the process's own account (or root, who can change anything anyway)
// may change the directory: nobody else can plant a link, a FIFO, a device
// or a hard link there, or swap the file between two writes.
bool directoryIsSafe(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) &&
           (info.st_uid == geteuid() || info.st_uid == 0) && (info.st_mode & kWritableByOthers) == 0;
}

bool fileIsSafe(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
           info.st_uid == geteuid() && (info.st_mode & kWritableByOthers) == 0;
}

int openDirectoryOf(const char* path, const char* name)
{
    char directory[PATH_MAX];
    const size_t length = static_cast<size_t>(name - path);
    if (length >= sizeof directory)
        return -1;
    memcpy(directory, path, length);
    directory[length > 1 ? length - 1 : length] = '\0';  // "/a/b/" -> "/a/b", "/" stays
    return aboveStandardDescriptors(open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

bool openLogFile(const char* path, LogFile& log)
{
    log = LogFile{};
    const char* slash = strrchr(path, '/');
    if (path[0] != '/' || slash == nullptr || slash[1] == '\0')
        return false;
    log.name = slash + 1;
    log.directory = openDirectoryOf(path, log.name);
    if (log.directory < 0 || !directoryIsSafe(log.directory)) {
        closeLogFile(log);
        return false;
    }
    // O_NONBLOCK: a FIFO without a reader fails at once instead of holding
    // the read; one with a reader is refused below like any other non-file.
    log.file = aboveStandardDescriptors(openat(log.directory, log.name,
                                               O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK |
                                                   O_NOCTTY | O_CLOEXEC,
                                               kLogFileMode));
    if (log.file < 0 || !fileIsSafe(log.file)) {
        closeLogFile(log);
        return false;
    }
    return true;
}

bool moveLogAside(const LogFile& log)
{
    char older[NAME_MAX + 3];
    const size_t length = strlen(log.name);
    if (length + 3 > sizeof older)
        return false;
    memcpy(older, log.name, length);
    memcpy(older + length, ".1", 3);
    struct stat named, opened;
    if (fstatat(log.directory, log.name, &named, AT_SYMLINK_NOFOLLOW) != 0 || fstat(log.file, &opened) != 0 ||
        named.st_ino != opened.st_ino || named.st_dev != opened.st_dev)
        return false;
    return renameat(log.directory, log.name, log.directory, older) == 0;
}

void closeLogFile(LogFile& log)
{
    if (log.file >= 0)
        close(log.file);
    if (log.directory >= 0)
        close(log.directory);
    log.file = log.directory = -1;
}

bool openLogForLine(const char* path, LogFile& log)
{
    // Of several writers that find the log full, one moves it: the file lock
    // orders them, and only the name that still leads to the file this
    // writer opened moves.
    struct stat opened;
    if (!openLogFile(path, log))
        return false;
    if (fstat(log.file, &opened) != 0 || opened.st_size < kRotateBytes)
        return true;
    if (lockLogFile(log.file)) {
        moveLogAside(log);
        flock(log.file, LOCK_UN);
    }
    closeLogFile(log);
    return openLogFile(path, log);
}

bool lockLogFile(int fd)
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

bool writeLogBytes(int fd, const char* data, size_t length)
{
    while (length > 0) {
        ssize_t n = write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

void writeLogText(int fd, const char* text)
{
    writeLogBytes(fd, text, strlen(text));
}
