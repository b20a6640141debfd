// SPDX-License-Identifier: Apache-2.0
// Test helpers around one readIDCard call against the simulated reader.
#pragma once

#include <sys/types.h>

#include <QStringList>
#include <memory>
#include <string>

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

// One of each record and string, as a caller of readIDCard holds them.
struct ReadArguments {
    ID_TYPE idType = ID_TYPE_UNKNOWN;
    std::unique_ptr<IDCARD_INFO_ALL_CN> cn = std::make_unique<IDCARD_INFO_ALL_CN>();
    std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_2017> foreign2017 = std::make_unique<IDCARD_INFO_ALL_FOREIGN_2017>();
    std::unique_ptr<IDCARD_INFO_ALL_FOREIGN_NEW> foreignNew = std::make_unique<IDCARD_INFO_ALL_FOREIGN_NEW>();
    std::unique_ptr<IDCARD_INFO_ALL_HMT> hmt = std::make_unique<IDCARD_INFO_ALL_HMT>();
    std::string front;
    std::string back;

    READ_RESULT read();
};
