// SPDX-License-Identifier: Apache-2.0
#include "stdout_redirect.h"

#include <cstdio>
#include <unistd.h>

StdoutToStderr::StdoutToStderr() : m_savedStdout(dup(STDOUT_FILENO))
{
    fflush(stdout);
    if (m_savedStdout >= 0)
        dup2(STDERR_FILENO, STDOUT_FILENO);
}

StdoutToStderr::~StdoutToStderr()
{
    fflush(stdout);
    if (m_savedStdout >= 0) {
        dup2(m_savedStdout, STDOUT_FILENO);
        close(m_savedStdout);
    }
}
