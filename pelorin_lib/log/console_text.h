// SPDX-License-Identifier: Apache-2.0
// The library's progress texts on standard output (they never reach the
// log file). All of them go through printConsole.
#pragma once

// Formats like wprintf and writes the text in the locale's multibyte
// encoding (UTF-8 where the locale cannot represent it), then flushes.
// Nothing is written for a guest (guest_mode.h): its standard output
// belongs to the program that embeds the library.
void printConsole(const wchar_t* fmt, ...);
