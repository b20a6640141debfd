// SPDX-License-Identifier: Apache-2.0
#include "private_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int kMostLinksFollowed = 40;  // as the kernel allows in one path

bool writeAll(int fd, const QByteArray& data)
{
    const char* bytes = data.constData();
    size_t left = static_cast<size_t>(data.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, bytes, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// The file path names: through the links the caller owns, so that a link
// planted by another account (in a shared directory) leads nowhere.
QByteArray throughOwnLinks(const QString& path)
{
    QString at = path;
    struct stat link {};
    for (int i = 0; i < kMostLinksFollowed; ++i) {
        if (::lstat(QFile::encodeName(at).constData(), &link) != 0 || !S_ISLNK(link.st_mode) ||
            link.st_uid != ::geteuid())
            break;
        at = QFileInfo(at).symLinkTarget();
    }
    return QFile::encodeName(at);
}

PrivateFileResult failed(PrivateFileResult result, int error, QString* why)
{
    if (why != nullptr)
        *why = QString::fromLocal8Bit(std::strerror(error));
    return result;
}

// Into a terminal, a pipe or a device, which are not files to replace.
PrivateFileResult writeInto(const QByteArray& target, const QByteArray& data, QString* why)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failed(PrivateFileResult::NotOpened, errno, why);
    const bool written = writeAll(fd, data);
    const int error = errno;
    ::close(fd);
    return written ? PrivateFileResult::Written : failed(PrivateFileResult::NotWritten, error, why);
}

}  // namespace

PrivateFileResult writePrivateFile(const QString& path, const QByteArray& data, QString* why)
{
    const QByteArray target = throughOwnLinks(path);
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0 && !S_ISREG(existing.st_mode))
        return S_ISDIR(existing.st_mode) ? failed(PrivateFileResult::NotOpened, EISDIR, why)
                                         : writeInto(target, data, why);
    // mkostemp makes the file with mode 0600; the umask can only narrow it.
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failed(PrivateFileResult::NotOpened, errno, why);
    int error = 0;
    if (!writeAll(fd, data) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error == 0)
        return PrivateFileResult::Written;
    ::unlink(temporary.constData());
    return failed(PrivateFileResult::NotWritten, error, why);
}
