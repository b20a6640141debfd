// SPDX-License-Identifier: Apache-2.0
#include "log_budget.h"

#include <algorithm>
#include <utility>

LogBudget::LogBudget(int burst, qint64 intervalMs) : m_burst(burst), m_intervalMs(intervalMs), m_available(burst) {}

bool LogBudget::allows(qint64 nowMs)
{
    if (m_refilledAtMs < 0 || nowMs < m_refilledAtMs)
        m_refilledAtMs = nowMs;  // the first line, or a clock that stepped back: nothing to add
    const qint64 earned = (nowMs - m_refilledAtMs) / m_intervalMs;
    if (earned > 0) {
        m_available = static_cast<int>(std::min<qint64>(m_burst, m_available + earned));
        m_refilledAtMs += earned * m_intervalMs;
    }
    if (m_available > 0) {
        --m_available;
        return true;
    }
    ++m_leftOut;
    return false;
}

int LogBudget::takeLeftOut()
{
    return std::exchange(m_leftOut, 0);
}
