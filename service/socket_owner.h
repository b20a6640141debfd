// SPDX-License-Identifier: Apache-2.0
// Which account a local TCP client runs as: the owner of the client's end of
// a loopback connection, from the kernel's socket diagnostics.
#pragma once

#include <QHostAddress>
#include <QString>

#include <sys/types.h>

// `client` and `server` are the two ends as the service sees them (its
// peer's address and port, then its own). False with `error` set when the
// kernel cannot name the owner, e.g. because the client has gone already.
bool loopbackClientOwner(const QHostAddress& clientAddress, quint16 clientPort, const QHostAddress& serverAddress,
                         quint16 serverPort, uid_t& owner, QString& error);
