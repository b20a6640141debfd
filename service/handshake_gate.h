// SPDX-License-Identifier: Apache-2.0
// Accepts TCP connections on the loopback and looks at each opening
// handshake before the WebSocket layer answers it: a refused one gets an
// HTTP error status and is closed, an admitted one is handed on.
#pragma once

#include "log_budget.h"
#include "origin_policy.h"
#include "socket_owner.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

#include <sys/types.h>

class QTcpServer;
class QTcpSocket;
class ScreeningServer;

struct GateRules {
    OriginList origins;
    quint16 port = 0;
    // At most this many admitted connections are open at a time; one more
    // is refused with 503 until one of them closes.
    int maxClients = 0;
    // Only programs of this account are admitted, and of the pages on the
    // loopback only those it serves.
    uid_t user = 0;
};

class HandshakeGate : public QObject {
    Q_OBJECT
public:
    explicit HandshakeGate(const GateRules& rules, QObject* parent = nullptr);
    ~HandshakeGate() override;

    // Listens on 127.0.0.1 and, where the machine has it, ::1. False with
    // `error` set when the port cannot be had.
    bool listen(QString& error);
    // "127.0.0.1:47801", "[::1]:47801": where it listens.
    QStringList addresses() const;

signals:
    // `handshakeBytes`: the length of the request; the client's frames
    // follow it.
    void admitted(QTcpSocket* socket, qint64 handshakeBytes);

private:
    bool screen(int descriptor);
    void acceptWaiting(QTcpServer* server);
    void startExamining(QTcpSocket* socket);
    void examine(QTcpSocket* socket);
    bool servedByUser(const QByteArray& origin, QString& problem);
    void admit(QTcpSocket* socket, int handshakeBytes);
    void refuse(QTcpSocket* socket, const QByteArray& response, const QString& logText);
    void logRefusal(const QString& line);
    void reportLeftOut();

    GateRules m_rules;
    SocketOwners m_owners;
    int m_admittedOpen = 0;
    int m_handshakesOpen = 0;
    bool m_handshakeBoundLogged = false;  // since the count was last below the bound
    bool m_acceptFailureLogged = false;
    QElapsedTimer m_clock;
    LogBudget m_refusalLog;
    QTimer m_leftOutReport;
    std::vector<std::unique_ptr<ScreeningServer>> m_servers;
};
