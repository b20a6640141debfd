// SPDX-License-Identifier: Apache-2.0
// Names and plain-language explanations of read results.
#pragma once

#include <pelorin/pelorin_api.h>

#include <cstddef>

// A result's enumeration name and its explanation.
struct ResultWords {
    int value;
    const char* name;
    const char* explanation;
};

// The row of `result` in a table of results; null when it has none.
template <size_t N>
const ResultWords* findResultWords(const ResultWords (&table)[N], int result)
{
    for (const ResultWords& entry : table)
        if (entry.value == result)
            return &entry;
    return nullptr;
}

// Enumeration name of the result, e.g. "OPEN_DEV_FAIL"; "UNKNOWN" for values
// outside the enumeration.
const char* readResultName(int result);
// One line saying what went wrong, for a person at the reader.
const char* readResultExplanation(int result);
