// SPDX-License-Identifier: Apache-2.0
// What the reader-access functions answer. A reader's own status byte is
// passed on as it is (0x90 = 144 done, 0x41 = 65 try again, 0x80 = 128 no
// card, ...); the library's own failures are negative, so they never meet a
// status byte, and below -100, clear of the small codes a reader session
// gives its own meaning (-4: no card found).
#pragma once

namespace reader_result {

constexpr int kOk = 144;
constexpr int kConfiguration = -101;  // the configuration is missing or malformed
constexpr int kNoReader = -102;       // no configured reader could be opened
constexpr int kPortNotOpen = -103;    // a call on a port that is not open, or not port 1001
constexpr int kTimedOut = -104;       // no whole answer within the frame time-out
constexpr int kBadFrame = -105;       // an answer with a wrong check byte or an unusable layout
constexpr int kLineLost = -106;       // the port or the device went away
constexpr int kBadArgument = -107;    // a null record, buffer or length pointer

}  // namespace reader_result
