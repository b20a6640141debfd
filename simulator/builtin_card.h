// SPDX-License-Identifier: Apache-2.0
// The sample resident card presented when no card file is named.
#pragma once

#include "simulated_card.h"

SimulatedCard builtinCard();
