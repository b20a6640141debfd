// SPDX-License-Identifier: Apache-2.0
// One pelorin-read run that writes the photo and both faces, and the
// environment that makes it read from the simulated reader.
#pragma once

#include "tool_process.h"

struct ReadOutput : ToolRun {
    QByteArray photo, front, back;
};

ReadOutput readWith(const QProcessEnvironment& environment);
// The simulated reader, presenting the card file `card` (a fixture's name).
QProcessEnvironment simulatorEnvironment(const QString& card);
// Runs the simulated and then the given reader on the same card and expects
// the same card, photo and faces from both.
void expectSameCardAsSimulated(const QString& card, const QProcessEnvironment& hardware);
