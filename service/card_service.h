// SPDX-License-Identifier: Apache-2.0
// The WebSocket side of the service: clients admitted by the handshake gate,
// their messages through a RequestHandler each, reads through the scheduler.
#pragma once

#include "handshake_gate.h"
#include "read_scheduler.h"
#include "request_handler.h"
#include "service_config.h"

#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWebSocketServer>

#include <memory>

class QTcpSocket;
class QWebSocket;

class CardService : public QObject {
    Q_OBJECT
public:
    explicit CardService(const ServiceConfig& config, QObject* parent = nullptr);
    ~CardService() override;

    // False with `error` set when the port cannot be had.
    bool listen(QString& error);
    QStringList addresses() const { return m_gate.addresses(); }

private:
    struct Client {
        Client(QWebSocket* webSocket, const MessageLimits& limits, qint64 nowMs)
            : socket(webSocket), handler(limits), lastRequestMs(nowMs)
        {
        }
        QWebSocket* socket;
        RequestHandler handler;
        qint64 lastRequestMs;
        qint64 cutOffAtMs = -1;  // when it was cut off; what it still sends is ignored
    };

    void watchStream(QTcpSocket* tcp, qint64 handshakeBytes);
    void refuseUnmasked(QTcpSocket* tcp);
    // Whether the connection of this new client sent a frame without a mask
    // while the WebSocket layer answered its handshake.
    bool sentUnmasked(const QWebSocket* socket);
    // The client on that connection; 0 while the WebSocket layer has not
    // taken it yet.
    quint64 clientOf(const QTcpSocket* tcp) const;
    void connectClient();
    void handleMessage(quint64 id, const QByteArray& message, bool binary);
    void send(quint64 id, const QByteArray& message);
    void sweep();
    bool withinUnsentLimit(quint64 id);
    void cutOff(quint64 id, const QString& reason);
    void dropClient(quint64 id);

    ServiceConfig m_config;
    HandshakeGate m_gate;
    QWebSocketServer m_server;
    ReadScheduler m_scheduler;
    QElapsedTimer m_clock;
    QTimer m_sweepTimer;
    QMap<quint64, std::shared_ptr<Client>> m_clients;
    QVector<QPointer<QTcpSocket>> m_unmaskedInHandshake;
    quint64 m_nextClientId = 1;
};
