// SPDX-License-Identifier: Apache-2.0
// One pelorin-read run that writes the photo and both faces, and the
// environment that makes it read from the simulated reader.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>

struct ReadOutput {
    int exitCode = -1;
    QJsonObject json;
    QByteArray photo, front, back;
    QByteArray errors;  // its standard error, shown when a run fails
};

ReadOutput readWith(const QProcessEnvironment& environment);
// The simulated reader, presenting the card file `card` (a fixture's name).
QProcessEnvironment simulatorEnvironment(const QString& card);
// Runs the simulated and then the given reader on the same card and expects
// the same card, photo and faces from both.
void expectSameCardAsSimulated(const QString& card, const QProcessEnvironment& hardware);
