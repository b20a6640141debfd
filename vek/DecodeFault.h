// SPDX-License-Identifier: Apache-2.0
// Process-wide flag of the decode in progress: set by any stage that meets
// input it cannot decode soundly. The decode then runs to its end without
// reading further data and the entry point reports failure.
#pragma once

extern int DecodeFault;

inline void Raise_Decode_Fault() { DecodeFault = 1; }
