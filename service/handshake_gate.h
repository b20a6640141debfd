// SPDX-License-Identifier: Apache-2.0
// Accepts TCP connections on the loopback and looks at each opening
// handshake before the WebSocket layer answers it: a refused one gets an
// HTTP error status and is closed, an admitted one is handed on.
#pragma once

#include "origin_policy.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

#include <memory>
#include <vector>

#include <sys/types.h>

class QTcpSocket;

struct GateRules {
    OriginList origins;
    quint16 port = 0;
    // At most this many admitted connections are open at a time; one more
    // is refused with 503 until one of them closes.
    int maxClients = 0;
    // Only programs of this account are admitted.
    uid_t user = 0;
};

class HandshakeGate : public QObject {
    Q_OBJECT
public:
    explicit HandshakeGate(const GateRules& rules, QObject* parent = nullptr);

    // Listens on 127.0.0.1 and, where the machine has it, ::1. False with
    // `error` set when the port cannot be had.
    bool listen(QString& error);
    // "127.0.0.1:47801", "[::1]:47801": where it listens.
    QStringList addresses() const;

signals:
    void admitted(QTcpSocket* socket);

private:
    // Handshakes of one account that are being examined or refused.
    struct Pending {
        int count = 0;
        bool reported = false;  // the bound was logged since the count was last 0
    };

    void acceptWaiting(QTcpServer* server);
    void startExamining(QTcpSocket* socket);
    void examine(QTcpSocket* socket, uid_t owner);
    void admit(QTcpSocket* socket, uid_t owner);
    void refuse(QTcpSocket* socket, const QByteArray& response, const QString& logText);
    void endPending(uid_t owner);

    GateRules m_rules;
    int m_admittedOpen = 0;
    QHash<uid_t, Pending> m_pending;
    std::vector<std::unique_ptr<QTcpServer>> m_servers;
};
