// SPDX-License-Identifier: Apache-2.0
// Files that hold card data (the holder's photo, the faces, fingerprints, a
// copy of the card): readable and writable by their owner only, whatever
// the umask, on a machine other accounts share.
#pragma once

#include <QByteArray>
#include <QString>

enum class PrivateFileResult {
    Written,
    NotOpened,   // nothing could be opened or made there: nothing was written
    NotWritten,  // the bytes did not all get there; a file was left as it was
};

// Writes all of data to path as a file of mode 0600, or nothing. The bytes
// go to a new file made beside path, mode 0600 from its creation on, which
// then takes path's place: a file already there is replaced, never written
// through, and no other account can have the new one open. A symbolic link
// of the caller's own is followed, one another account owns is not (it is
// replaced where the directory allows). Where path is no regular file (a
// terminal, a pipe, /dev/null) the bytes are written into it as they are.
// `why` receives the system's reason for a failure.
PrivateFileResult writePrivateFile(const QString& path, const QByteArray& data, QString* why = nullptr);
