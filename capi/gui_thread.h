// SPDX-License-Identifier: Apache-2.0
// The thread reads run on, with the Qt GUI application object they need.
#pragma once

#include <functional>

// Makes ready what reads need, once: a process without a GUI application
// object gets a thread of the library's own that creates it, offscreen, and
// runs the reads of all callers one at a time; a host with its own Qt
// application keeps it. Refused as readerAccess() refuses, and with
// PELORIN_NO_DESCRIPTORS while the process has too few descriptors free for
// a read (then nothing is made, and a later call tries again).
int prepareReads();

// Runs read where the process's GUI application object lives, after
// prepareReads(), and returns its result: on the library's own thread, or on
// the calling thread if that is the host's application object's thread
// (otherwise PELORIN_WRONG_THREAD). read runs in guest mode and must not
// throw.
int runOnGuiThread(const std::function<int()>& read);

// Whether the calling thread may use the reader now: PELORIN_FORKED in a
// child forked after the process's first read or look (the library's
// threads and locks stayed in the parent), PELORIN_WRONG_THREAD in a host's
// Qt application off its thread, PELORIN_OK otherwise.
int readerAccess();
