// SPDX-License-Identifier: Apache-2.0
// The thread reads run on, with the Qt GUI application object they need.
#pragma once

#include <functional>

// Runs read where the process's GUI application object lives and returns
// its result. A process without one gets a thread of the library's own that
// creates it, offscreen, and runs the reads of all callers one at a time.
// A host with its own Qt application keeps it: reads run on the calling
// thread if that is the object's thread, otherwise PELORIN_WRONG_THREAD.
// Refused as readerAccess() refuses. read runs in guest mode and must not
// throw.
int runOnGuiThread(const std::function<int()>& read);

// Whether the calling thread may use the reader now: PELORIN_FORKED in a
// child forked after the process's first read or look (the library's
// threads and locks stayed in the parent), PELORIN_WRONG_THREAD in a host's
// Qt application off its thread, PELORIN_OK otherwise.
int readerAccess();
