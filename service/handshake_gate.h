// Accepts TCP connections on the loopback and looks at each opening
// handshake before the WebSocket layer answers it: a refused one gets an
// HTTP error status and is closed, an admitted one is handed on.
#pragma once

#include "origin_policy.h"

#include <QObject>
#include <QStringList>
#include <QTcpServer>

#include <memory>
#include <vector>

class QTcpSocket;

class HandshakeGate : public QObject {
    Q_OBJECT
public:
    // At most `maxClients` admitted connections are open at a time; one more
    // is refused with 503 until one of them closes.
    HandshakeGate(const OriginList& origins, quint16 port, int maxClients, QObject* parent = nullptr);

    // Listens on 127.0.0.1 and, where the machine has it, ::1. False with
    // `error` set when the port cannot be had.
    bool listen(QString& error);
    // "127.0.0.1:47801", "[::1]:47801": where it listens.
    QStringList addresses() const;

signals:
    void admitted(QTcpSocket* socket);

private:
    void acceptWaiting();
    void examine(QTcpSocket* socket);
    void refuse(QTcpSocket* socket, const char* status, const QString& logText);

    OriginList m_origins;
    quint16 m_port;
    int m_maxClients;
    int m_admittedOpen = 0;
    std::vector<std::unique_ptr<QTcpServer>> m_servers;
};
