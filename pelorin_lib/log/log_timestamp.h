// SPDX-License-Identifier: Apache-2.0
// The time stamp that begins each line of the diagnostic log:
// "{YYYY-mm-dd HH:MM:SS.mmm}", local time to the millisecond.
#pragma once

#include <cstddef>

// Size of the stamp text with its NUL.
constexpr size_t kStampTextSize = 24;
// Size of the stamp in its braces with its NUL.
constexpr size_t kBracedStampSize = kStampTextSize + 2;

// Writes "YYYY-mm-dd HH:MM:SS.mmm" (23 characters and a NUL); size >= 24.
void get_formatted_time(char* buffer, size_t size);
// The same text for a time already shifted to local time (seconds since the
// epoch plus the UTC offset), by plain arithmetic: no locale, no time-zone
// lock, no allocation, so the crash handler can use it too.
void formatStampText(long long localSeconds, long milliseconds, char* out);
// "{" + the stamp text + "}" into out (kBracedStampSize bytes).
void braceStampText(const char* stampText, char* out);
