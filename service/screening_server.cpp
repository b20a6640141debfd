// SPDX-License-Identifier: Apache-2.0
#include "screening_server.h"

#include <QTcpSocket>

#include <unistd.h>

void ScreeningServer::incomingConnection(qintptr descriptor)
{
    if (!m_screen(static_cast<int>(descriptor)))
        return;
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(static_cast<int>(descriptor));
        return;
    }
    addPendingConnection(socket);
}
