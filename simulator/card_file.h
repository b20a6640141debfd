// SPDX-License-Identifier: Apache-2.0
// Card files: a card described in JSON, with its photo and fingerprints
// in files beside it. The format is described in README.md.
#pragma once

#include "simulated_card.h"

#include <QString>

// Fills `card` from the file at `path`; on failure returns false and says
// what is wrong in `problem` (one line, without the file name).
bool loadCardFile(const QString& path, SimulatedCard& card, QString& problem);
