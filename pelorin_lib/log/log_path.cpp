// SPDX-License-Identifier: Apache-2.0
#include "log_path.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Where an installed library logs for root (the package makes it, owned by
// root); another account writes there only if the directory is its own.
constexpr char kSystemLogDir[] = "/var/log/pelorin";

char g_logName[kLogPathSize];

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
