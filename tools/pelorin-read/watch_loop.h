// SPDX-License-Identifier: Apache-2.0
// pelorin-read --watch: one JSON line per card placed on the reader, one
// {"removed": "<its idCode>"} line when it is taken away, until SIGINT or
// SIGTERM.
#pragma once

#include "read_options.h"

// Holds SIGINT and SIGTERM back for the loop to take between looks, so that
// a read in progress ends and its line is out before the program does. Must
// come before any thread starts: a thread that lets them through would end
// the process at once.
void holdStopSignals();

// Returns 0 once stopped.
int watchCards(const ReadOptions& options);
