// SPDX-License-Identifier: Apache-2.0
// pelorin-read run as a separate process against the simulated reader.
#pragma once

#include "tool_process.h"

// The simulated reader's sample cards.
extern const QString kFixtures;

// pelorin-read with args, the simulated reader presenting the card file
// `card` (empty: its built-in card) and behaving as `scenario` says.
ToolRun runTool(const QStringList& args, const QString& card = QString(), const QString& scenario = QString());
