// SPDX-License-Identifier: Apache-2.0
// Test helpers around readIDCard calls against the simulated reader: its
// settings and the library's log.
#pragma once

#include <sys/types.h>

#include <QStringList>

#include <pelorin/pelorin_api.h>

// Lines appended to the library's log file since construction.
class LogTail {
public:
    LogTail();
    // Messages of the new lines, without their time stamps; empty lines dropped.
    QStringList messages() const;
    // True when each of expected appears, in this order, among messages().
    bool containsInOrder(const QStringList& expected) const;

private:
    qint64 m_start;
    ino_t m_inode;
};

// Path of the library's log file.
QString logFilePath();

// Sets the simulator's environment for its lifetime and clears it afterwards.
class SimulatorSetting {
public:
    explicit SimulatorSetting(const char* scenario = nullptr, const QString& cardFile = QString());
    ~SimulatorSetting();
    // Calls of the simulated reader so far ("open 144", "find 144", ...).
    QStringList trace() const;

private:
    QString m_traceFile;
};

QString fixtureCard(const char* name);
