// SPDX-License-Identifier: Apache-2.0
// What libpelorin offers the kit's own layers beyond its specified interface:
// the C interface, the card watchers and pelorin-read call these by name.
// libpelorin exports them (namespace pelorin_kit, and the faces and private
// files of this folder's other headers) but installs no header for them:
// integrators build on the public headers only.
#pragma once

#include <QByteArray>
#include <locale.h>

#include <pelorin/pelorin_api.h>

namespace pelorin_kit {

// Marks the calling thread as working for a program that embeds the library
// (through the C interface, from C, Python, Java) while it lives: that
// program's process must stay as it was. On a marked thread readIDCard
// installs no crash handlers and prints no progress texts, Qt's messages are
// dropped, and the reader session takes the environment's locale for this
// thread only instead of the process's. Scopes nest.
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

// From now on Qt's messages of every thread are dropped, also those of the
// process's exit and of a child it forks: for a process whose Qt application
// object the library made, where all of them come from the library's work.
void dropEveryQtMessage();

// Whether the faces of the calling thread's last successful readIDCard have
// characters that no installed font draws, shown as boxes (no CJK font such
// as fonts-noto-cjk); false for faces without such characters, for no faces.
bool lastReadFacesDegraded();

// Whether a card lies on the reader, without reading it: READ_OK when one
// does, READ_NO_DATA when none does, another READ_RESULT when the reader
// cannot tell. A read in progress, even one whose call has timed out, keeps
// the reader: the check waits for it at most as long as a read may take,
// then answers DEV_IS_BUSY.
int checkForCard();

// Reads the card over a reader's raw USB pipes (CUsbIdReader) and takes its
// data frame apart with CIdData into the record of its kind: *read.pIDType,
// the texts and photo, and for a resident card the fingerprints in its tail.
// `fingerprints` gets the frame's fingerprint block (0, 512 or 1024 bytes)
// and `fpType` what it holds; no faces are composed. Returns READ_OK or the
// reader's failure code; every record pointer of `read` but the faces' must
// be set.
READ_RESULT readCardOverUsb(unsigned short vid, unsigned short pid, const ReadInfo& read,
                            QByteArray& fingerprints, FP_INFO_TYPE& fpType);

}  // namespace pelorin_kit
