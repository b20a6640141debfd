// SPDX-License-Identifier: Apache-2.0
#include "read_harness.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/stat.h>

QString logFilePath()
{
    // Beside the copy of the library this process loaded.
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&readIDCard), &info) == 0 || info.dli_fname == nullptr)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteDir().filePath("pelorin_dbg.log");
}

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat info;
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QByteArray bytesFrom(const QString& path, qint64 start)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.seek(start);
    return file.readAll();
}

}  // namespace

LogTail::LogTail() : m_start(QFile(logFilePath()).size()), m_inode(inodeOf(logFilePath())) {}

QStringList LogTail::messages() const
{
    const QString path = logFilePath();
    // The log may have moved aside to "<log>.1" since: its end, then the new one.
    const QByteArray bytes = inodeOf(path) == m_inode ? bytesFrom(path, m_start)
                                                      : bytesFrom(path + ".1", m_start) + bytesFrom(path, 0);
    QStringList result;
    static const QRegularExpression stamp(QStringLiteral("^\\{\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\}"));
    for (const QString& line : QString::fromUtf8(bytes).split('\n')) {
        if (line.isEmpty())
            continue;
        QString message = line;
        message.remove(stamp);
        result << message;
    }
    return result;
}

bool LogTail::containsInOrder(const QStringList& expected) const
{
    const QStringList lines = messages();
    int at = 0;
    for (const QString& want : expected) {
        while (at < lines.size() && lines[at] != want)
            ++at;
        if (at == lines.size())
            return false;
        ++at;
    }
    return true;
}

SimulatorSetting::SimulatorSetting(const char* scenario, const QString& cardFile)
    : m_traceFile(QDir::temp().filePath("kvssim-trace-" + QUuid::createUuid().toString(QUuid::Id128)))
{
    if (scenario)
        setenv("KVSSIM_SCENARIO", scenario, 1);
    else
        unsetenv("KVSSIM_SCENARIO");
    if (!cardFile.isEmpty())
        setenv("KVSSIM_CARD", cardFile.toLocal8Bit().constData(), 1);
    else
        unsetenv("KVSSIM_CARD");
    setenv("KVSSIM_TRACE", m_traceFile.toLocal8Bit().constData(), 1);
}

SimulatorSetting::~SimulatorSetting()
{
    unsetenv("KVSSIM_SCENARIO");
    unsetenv("KVSSIM_CARD");
    unsetenv("KVSSIM_TRACE");
    QFile::remove(m_traceFile);
}

QStringList SimulatorSetting::trace() const
{
    QFile file(m_traceFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString fixtureCard(const char* name)
{
    return QStringLiteral(PELORIN_FIXTURES_DIR "/cards/") + QString::fromUtf8(name);
}
