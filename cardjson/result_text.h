// SPDX-License-Identifier: Apache-2.0
// Names and plain-language explanations of read results.
#pragma once

#include <pelorin/pelorin_api.h>

// Enumeration name of the result, e.g. "OPEN_DEV_FAIL"; "UNKNOWN" for values
// outside the enumeration.
const char* readResultName(int result);
// One line saying what went wrong, for a person at the reader.
const char* readResultExplanation(int result);
