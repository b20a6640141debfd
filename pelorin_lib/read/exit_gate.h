// SPDX-License-Identifier: Apache-2.0
// Keeps a read worker that outlives its call out of the process's exit.
#pragma once

// A worker works inside the gate (WorkerInside), except while it waits in
// the reader library (ReaderWait), where a worker whose call timed out may
// be stuck for any time. A process that ends while a worker still runs
// closes the gate for good (closeExitGate): a worker coming back from the
// reader, or one yet to start, then stays where it is until the process is
// gone, instead of working with what the exit tears down (Qt's resources and
// plugins, the library's tables).
class WorkerInside {
public:
    WorkerInside();
    ~WorkerInside();
    WorkerInside(const WorkerInside&) = delete;
    WorkerInside& operator=(const WorkerInside&) = delete;
};

// Around a call into the reader library; no effect outside a WorkerInside.
class ReaderWait {
public:
    ReaderWait();
    ~ReaderWait();
    ReaderWait(const ReaderWait&) = delete;
    ReaderWait& operator=(const ReaderWait&) = delete;

private:
    bool m_left;
};

// Waits until no worker is inside (a worker at work gets to a reader call or
// its end), then keeps the gate closed for the rest of the process.
void closeExitGate();
