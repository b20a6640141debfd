// SPDX-License-Identifier: Apache-2.0
#include "instance_guard.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int kConnectWaitMs = 1000;

// A link, another account's directory or one others may enter could let
// them plant or remove the server's file.
bool isPrivateDirectory(const QByteArray& path)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 07777) == 0700;
}

QString serverPath(const QString& directory, const QString& serverName)
{
    return directory.isEmpty() ? QString() : directory + QLatin1Char('/') + serverName;
}

}  // namespace

InstanceGuard::InstanceGuard(const QString& serverName)
    : m_path(serverPath(privateDirectory(), serverName))
{
}

QString InstanceGuard::privateDirectory()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateDirectory(runtime))
        return QFile::decodeName(runtime);
    const QByteArray own =
        QFile::encodeName(QDir::tempPath() + QStringLiteral("/pelorin-demo-%1").arg(geteuid()));
    if (mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return isPrivateDirectory(own) ? QFile::decodeName(own) : QString();
}

bool InstanceGuard::anotherInstanceRuns()
{
    if (m_path.isEmpty())
        return false;
    m_socket.connectToServer(m_path, QIODevice::ReadWrite);
    const bool answered = m_socket.waitForConnected(kConnectWaitMs);
    m_connectFailed = !answered;
    return answered;
}

void InstanceGuard::claim()
{
    if (m_path.isEmpty()) {
        qWarning("pelorin-demo: no private directory for the single-instance guard, "
                 "this instance is not guarded");
        return;
    }
    if (m_server.listen(m_path))
        return;
    if (m_connectFailed && m_server.serverError() == QAbstractSocket::AddressInUseError &&
        QLocalServer::removeServer(m_path))
        m_server.listen(m_path);
}
