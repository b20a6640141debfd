// What the reader-access functions answer. A reader's own status byte is
// passed on as it is (0x90 = 144 done, 0x41 = 65 try again, 0x80 = 128 no
// card, ...); the library's own failures are negative, so they never meet a
// status byte.
#pragma once

namespace reader_result {

constexpr int kOk = 144;
constexpr int kConfiguration = -1;  // the configuration is missing or malformed
constexpr int kNoReader = -2;       // no configured reader could be opened
constexpr int kPortNotOpen = -3;    // a call on a port that is not open, or not port 1001
constexpr int kTimedOut = -4;       // no whole answer within the frame time-out
constexpr int kBadFrame = -5;       // an answer with a wrong check byte or an unusable layout
constexpr int kLineLost = -6;       // the port or the device went away
constexpr int kBadArgument = -7;    // a null record, buffer or length pointer

}  // namespace reader_result
