// SPDX-License-Identifier: Apache-2.0
// How many log lines of one kind may be written: a short burst line by line,
// then one a second, however many events there are. Another account chooses
// how often its connections are refused; it must not choose how much the
// journal holds.
#pragma once

#include <QtGlobal>

class LogBudget {
public:
    // `burst` lines at once, then one every `intervalMs`.
    LogBudget(int burst, qint64 intervalMs);

    // Whether a line may be written at `nowMs` (a monotonic clock); a line
    // that may not is counted.
    bool allows(qint64 nowMs);
    // The lines left out since the last call.
    int takeLeftOut();

private:
    const int m_burst;
    const qint64 m_intervalMs;
    int m_available;
    qint64 m_refilledAtMs = -1;
    int m_leftOut = 0;
};
