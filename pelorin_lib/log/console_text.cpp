// SPDX-License-Identifier: Apache-2.0
#include "console_text.h"

#include "guest_mode.h"

#include <QString>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

// Converted to multibyte here rather than written with wprintf, which would
// turn stdout wide-oriented for the whole host process and silently drop
// every later narrow write to it.
void printConsole(const wchar_t* fmt, ...)
{
    if (inGuestMode())
        return;
    wchar_t text[256];
    va_list args;
    va_start(args, fmt);
    int n = vswprintf(text, sizeof text / sizeof text[0], fmt, args);
    va_end(args);
    if (n < 0)
        return;
    std::vector<char> bytes(wcstombs(nullptr, text, 0) + 1);
    if (wcstombs(bytes.data(), text, bytes.size()) == static_cast<size_t>(-1)) {
        // The locale cannot represent the text (e.g. plain "C"): fall back to UTF-8.
        fputs(QString::fromWCharArray(text).toUtf8().constData(), stdout);
    } else {
        fputs(bytes.data(), stdout);
    }
    fflush(stdout);
}
