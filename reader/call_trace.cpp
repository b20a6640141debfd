// SPDX-License-Identifier: Apache-2.0
#include "call_trace.h"

#include <cstdio>
#include <cstdlib>

void traceCall(const char* call, int result)
{
    const char* path = std::getenv("KVSSIM_TRACE");
    if (!path || !*path)
        return;
    std::FILE* file = std::fopen(path, "a");
    if (!file) {
        std::fprintf(stderr, "kvssim: cannot append to trace file %s\n", path);
        return;
    }
    std::fprintf(file, "%s %d\n", call, result);
    std::fclose(file);
}
