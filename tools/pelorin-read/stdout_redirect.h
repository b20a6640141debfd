// SPDX-License-Identifier: Apache-2.0
// Sends everything written to standard output to standard error while alive.
// The library prints progress lines on standard output during a read; they
// must not end up inside the JSON document.
#pragma once

class StdoutToStderr {
public:
    StdoutToStderr();
    ~StdoutToStderr();
    StdoutToStderr(const StdoutToStderr&) = delete;
    StdoutToStderr& operator=(const StdoutToStderr&) = delete;

private:
    int m_savedStdout;
};
