// SPDX-License-Identifier: Apache-2.0
// Reads made for a program that embeds the library (through the C interface,
// from C, Python, Java): that program's process must stay as it was.
#pragma once

#include <locale.h>

// Marks the calling thread as working for such a program while it lives.
// On a marked thread readIDCard installs no crash handlers and prints no
// progress texts, Qt's messages are dropped, and the reader session takes
// the environment's locale for this thread only instead of the process's.
// Scopes nest.
class GuestMode {
public:
    GuestMode();
    ~GuestMode();
    GuestMode(const GuestMode&) = delete;
    GuestMode& operator=(const GuestMode&) = delete;

private:
    bool m_wasGuest;
    locale_t m_previousLocale;
};

// Whether the calling thread is inside a GuestMode scope.
bool inGuestMode();

// From now on Qt's messages of every thread are dropped, also those of the
// process's exit and of a child it forks: for a process whose Qt application
// object the library made, where all of them come from the library's work.
void dropEveryQtMessage();
