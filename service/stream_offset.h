// SPDX-License-Identifier: Apache-2.0
// Where the bytes waiting in a socket's read buffer stand in all that its
// peer has sent on the connection.
#pragma once

#include <QtGlobal>

class QTcpSocket;

// The kernel's count of bytes received, less those still in its queue and
// those in Qt's buffer. False when the kernel does not tell.
bool readBufferOffset(const QTcpSocket& socket, qint64& offset);
