// SPDX-License-Identifier: Apache-2.0
// Whether the process has the file descriptors a read needs.
#pragma once

// True when kReadDescriptors more descriptors can be had right now. Without
// them a read would not fail cleanly: GLib and Qt's platform set-up end the
// process when a thread's event descriptor or a plugin cannot be opened.
bool descriptorsToSpare();

// A read's most at once, with room to spare: the event descriptors of the
// threads Qt starts, the platform plugin and font files, the reader, the log.
constexpr int kReadDescriptors = 16;
