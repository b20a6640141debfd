// SPDX-License-Identifier: Apache-2.0
// A pelorin-reader-emulator process serving one card on a pseudo-terminal,
// and a readers file naming it, set for this process through PELORIN_READERS.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

class EmulatedSerialReader {
public:
    // `card` is a file name under tests/fixtures/cards; extra arguments such
    // as {"--fault", "truncated"} go to the emulator. With `baud` the reader
    // answers at that speed and the readers file names it; without, the
    // answers go out at once.
    explicit EmulatedSerialReader(const QString& card, const QStringList& extra = {}, int baud = 0);
    ~EmulatedSerialReader();

    bool ready() const { return m_ready; }
    QString readersFile() const { return m_dir.filePath("readers.conf"); }
    QString linkPath() const { return m_dir.filePath("reader"); }
    // The environment that makes a program read from this emulated reader.
    QProcessEnvironment hardwareEnvironment() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_ready = false;
};

QString cardFixture(const QString& name);
