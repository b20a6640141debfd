// SPDX-License-Identifier: Apache-2.0
// Which account holds a local TCP socket, from the kernel's socket
// diagnostics: the client's end of a loopback connection, or the socket
// listening on a loopback port.
#pragma once

#include <QHostAddress>
#include <QString>

#include <sys/types.h>

class SocketOwners {
public:
    // The diagnostics socket is opened once, so that a lookup needs no
    // descriptor of its own when the process is short of them.
    SocketOwners();
    ~SocketOwners();
    SocketOwners(const SocketOwners&) = delete;
    SocketOwners& operator=(const SocketOwners&) = delete;

    // `client` and `server` are the two ends as the service sees them (its
    // peer's address and port, then its own). Only a socket that a process
    // still holds counts: one already closed (in TIME_WAIT, or left to the
    // kernel to finish) has no owner, whatever uid the kernel shows for it.
    // False with `error` set when there is no such socket.
    bool clientOwner(const QHostAddress& clientAddress, quint16 clientPort, const QHostAddress& serverAddress,
                     quint16 serverPort, uid_t& owner, QString& error);
    // The socket that a connection to address:port reaches (one bound to
    // that address or to the wildcard). False with `error` set when none
    // listens there.
    bool listenerOwner(const QHostAddress& address, quint16 port, uid_t& owner, QString& error);

private:
    struct Found {
        uid_t uid;
        unsigned inode;
        int state;
    };
    bool lookUp(int family, const QHostAddress& source, quint16 sourcePort, const QHostAddress& destination,
                quint16 destinationPort, Found& found, QString& error);

    int m_fd;
    unsigned m_sequence = 0;
};
