// SPDX-License-Identifier: Apache-2.0
#include "emulated_serial_reader.h"

#include <QFile>
#include <cstdlib>

QString cardFixture(const QString& name)
{
    return QStringLiteral(PELORIN_FIXTURES_DIR "/cards/") + name;
}

EmulatedSerialReader::EmulatedSerialReader(const QString& card, const QStringList& extra, int baud)
{
    const QString link = linkPath();
    const QString speed = baud > 0 ? " " + QString::number(baud) : QString();
    QFile conf(readersFile());
    if (!conf.open(QIODevice::WriteOnly) || conf.write(("serial " + link + speed + "\n").toUtf8()) <= 0)
        return;
    conf.close();
    m_process.start(PELORIN_EMULATOR_PATH, QStringList{"--card", cardFixture(card), "--link", link,
                                                       "--baud", QString::number(baud)} + extra);
    m_ready = m_process.waitForReadyRead(10000) && m_process.readLine().trimmed() == "ready";
    setenv("PELORIN_READERS", qPrintable(readersFile()), 1);
}

EmulatedSerialReader::~EmulatedSerialReader()
{
    unsetenv("PELORIN_READERS");
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
}

QProcessEnvironment EmulatedSerialReader::hardwareEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PELORIN_READERS", readersFile());
    // In sanitizer builds LeakSanitizer's check at exit now and then crashes
    // ("Tracer caught signal 11") on the dynamic TLS of the read thread as it
    // ends with the process; the simulated-reader runs keep the leak check.
    const QString asan = environment.value("ASAN_OPTIONS");
    environment.insert("ASAN_OPTIONS", asan.isEmpty() ? "detect_leaks=0" : asan + ":detect_leaks=0");
    return environment;
}
