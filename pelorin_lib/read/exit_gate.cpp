// SPDX-License-Identifier: Apache-2.0
#include "exit_gate.h"

#include <shared_mutex>

namespace {

// Never destroyed: workers may still wait on it while the exit goes on.
std::shared_mutex& gate()
{
    static std::shared_mutex* const instance = new std::shared_mutex;
    return *instance;
}

thread_local bool t_inside = false;

}  // namespace

WorkerInside::WorkerInside()
{
    gate().lock_shared();
    t_inside = true;
}

WorkerInside::~WorkerInside()
{
    t_inside = false;
    gate().unlock_shared();
}

ReaderWait::ReaderWait() : m_left(t_inside)
{
    if (m_left)
        gate().unlock_shared();
}

ReaderWait::~ReaderWait()
{
    if (m_left)
        gate().lock_shared();
}

void closeExitGate()
{
    gate().lock();
}
