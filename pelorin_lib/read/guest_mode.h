// SPDX-License-Identifier: Apache-2.0
// Reads made for a program that embeds the library: pelorin_kit::GuestMode
// marks the thread (pelorin_kit.h); the library's own code asks here.
#pragma once

#include "pelorin_kit.h"

// Whether the calling thread is inside a GuestMode scope.
bool inGuestMode();

