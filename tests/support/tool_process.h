// SPDX-License-Identifier: Apache-2.0
// A program of the tree run as a separate process to its end, as a user
// would start it.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ToolRun {
    int exitCode = -1;  // -1: it crashed, or was killed after the time allowed
    QByteArray out;
    QString err;  // shown when a run fails
    qint64 elapsedMs = 0;
    QJsonObject json;  // standard output parsed, empty when it is not a JSON object
    bool validJson = false;
};

ToolRun runToolProcess(const QString& program, const QStringList& args,
                       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                       const QString& workingDirectory = QString(), int timeoutMs = 30000);

// What a run left in a file; empty when the file is missing.
QByteArray fileBytes(const QString& path);
