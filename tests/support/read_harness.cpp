#include "read_harness.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>
#include <cstdlib>
#include <dlfcn.h>

QString logFilePath()
{
    // Beside the copy of the library this process loaded.
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&readIDCard), &info) == 0 || info.dli_fname == nullptr)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteDir().filePath("pelorin_dbg.log");
}

LogTail::LogTail() : m_start(QFile(logFilePath()).size()) {}

QStringList LogTail::messages() const
{
    QFile file(logFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.seek(m_start);
    QStringList result;
    static const QRegularExpression stamp(QStringLiteral("^\\{\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\}"));
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
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

READ_RESULT ReadArguments::read()
{
    return readIDCard(&idType, cn.get(), foreign2017.get(), foreignNew.get(), hmt.get(), &front, &back);
}
