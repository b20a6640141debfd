// SPDX-License-Identifier: Apache-2.0
// The call trace named by KVSSIM_TRACE: one line per call, e.g. "read 65".
#pragma once

// Appends "<call> <result>" to the trace file, if one is named.
void traceCall(const char* call, int result);
