// SPDX-License-Identifier: Apache-2.0
#include "card_service.h"

#include "client_frames.h"
#include "service_log.h"
#include "stream_offset.h"

#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>

#include <algorithm>

namespace {

// A client that leaves this much unread (replies, and the pongs Qt sends to
// its pings on its own) is aborted.
constexpr qint64 kMaxUnsentBytes = 4 << 20;
// What is read of a client at a time: the pongs for one such chunk of pings
// are all a client can add to its unsent bytes before they are looked at.
constexpr qint64 kReadChunkBytes = 64 << 10;
// How often every client's unsent bytes and time-outs are looked at.
constexpr int kSweepMs = 100;
// A client cut off with a close frame that is still there this much later
// is aborted: one that reads nothing never answers the close frame.
constexpr qint64 kCloseGraceMs = 1000;

}  // namespace

CardService::CardService(const ServiceConfig& config, QObject* parent)
    : QObject(parent),
      m_config(config),
      m_gate({config.allowedOrigins(), config.port, config.maxClients, config.allowedUser()}),
      m_server("pelorin-service", QWebSocketServer::NonSecureMode)
{
    m_clock.start();
    // First: the stream is looked at before the WebSocket layer reads it.
    connect(&m_gate, &HandshakeGate::admitted, this, &CardService::watchStream);
    connect(&m_gate, &HandshakeGate::admitted, &m_server, &QWebSocketServer::handleConnection);
    // The gate has judged Origin already; this second look judges the origin
    // the WebSocket layer itself read from the request, should the two
    // readings of an odd request ever differ.
    const OriginList origins = config.allowedOrigins();
    connect(&m_server, &QWebSocketServer::originAuthenticationRequired, this,
            [origins](QWebSocketCorsAuthenticator* authenticator) {
                const QByteArray origin = authenticator->origin().toUtf8();
                if (!origin.isEmpty() && !origins.allows(origin)) {
                    logLine(QString("refused: origin \"%1\" is not allowed").arg(loggable(origin)));
                    authenticator->setAllowed(false);
                }
            });
    connect(&m_server, &QWebSocketServer::newConnection, this, &CardService::connectClient);
    connect(&m_scheduler, &ReadScheduler::send, this, &CardService::send);
    m_sweepTimer.setInterval(kSweepMs);
    connect(&m_sweepTimer, &QTimer::timeout, this, &CardService::sweep);
}

CardService::~CardService()
{
    for (const auto& client : qAsConst(m_clients))
        client->socket->abort();
}

bool CardService::listen(QString& error)
{
    return m_gate.listen(error);
}

void CardService::connectClient()
{
    while (QWebSocket* socket = m_server.nextPendingConnection()) {
        if (sentUnmasked(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const quint64 id = m_nextClientId++;
        auto client = std::make_shared<Client>(
            socket, MessageLimits{m_config.maxMessageBytes, m_config.requestsPerSecond}, m_clock.elapsed());
        socket->setParent(this);
        // Larger messages make Qt close the connection with code 1009.
        socket->setMaxAllowedIncomingFrameSize(static_cast<quint64>(m_config.maxMessageBytes));
        socket->setMaxAllowedIncomingMessageSize(static_cast<quint64>(m_config.maxMessageBytes));
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, id](const QString& text) { handleMessage(id, text.toUtf8(), false); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, id](const QByteArray& data) { handleMessage(id, data, true); });
        // Closes Qt starts itself (a message over the size limit, a broken
        // frame) or the client starts get the same grace as ours.
        connect(socket, &QWebSocket::aboutToClose, this, [this, id, socket] {
            const auto client = m_clients.value(id);
            if (!client || client->cutOffAtMs >= 0)
                return;
            client->cutOffAtMs = m_clock.elapsed();
            if (socket->closeCode() == QWebSocketProtocol::CloseCodeTooMuchData)
                logLine(QString("disconnected client %1: message of more than %2 bytes (close code 1009)")
                            .arg(id)
                            .arg(m_config.maxMessageBytes));
        });
        // Queued: a client may go away while the scheduler walks its lists.
        connect(socket, &QWebSocket::disconnected, this, [this, id] { dropClient(id); }, Qt::QueuedConnection);
        m_clients.insert(id, client);
        m_sweepTimer.start();
    }
}

void CardService::watchStream(QTcpSocket* tcp, qint64 handshakeBytes)
{
    // Qt answers pings by itself: a flood of them from a client that reads
    // nothing grows its unsent bytes far faster than one sweep to the next.
    tcp->setReadBufferSize(kReadChunkBytes);
    auto frames = std::make_shared<ClientFrames>(handshakeBytes);
    connect(tcp, &QTcpSocket::readyRead, this, [this, tcp, frames] {
        qint64 offset = 0;
        if (readBufferOffset(*tcp, offset) && !frames->allMasked(tcp->peek(kReadChunkBytes), offset)) {
            disconnect(tcp, &QTcpSocket::readyRead, this, nullptr);
            refuseUnmasked(tcp);
            return;
        }
        if (tcp->bytesToWrite() > kMaxUnsentBytes)
            withinUnsentLimit(clientOf(tcp));
    });
}

void CardService::refuseUnmasked(QTcpSocket* tcp)
{
    const quint64 id = clientOf(tcp);
    logLine(QString("disconnected %1: it sent a frame without a mask")
                .arg(id != 0 ? QString("client %1").arg(id)
                             : QString("%1:%2").arg(tcp->peerAddress().toString()).arg(tcp->peerPort())));
    if (const auto client = m_clients.value(id)) {
        client->cutOffAtMs = m_clock.elapsed();
        client->socket->abort();
        return;
    }
    // The WebSocket layer is still answering its handshake: closed under it,
    // the connection would never be given back. It is aborted as soon as the
    // layer hands it over, before any of its messages is looked at.
    m_unmaskedInHandshake.append(tcp);
}

bool CardService::sentUnmasked(const QWebSocket* socket)
{
    bool found = false;
    m_unmaskedInHandshake.erase(std::remove_if(m_unmaskedInHandshake.begin(), m_unmaskedInHandshake.end(),
                                               [&](const QPointer<QTcpSocket>& tcp) {
                                                   if (tcp.isNull())
                                                       return true;  // the layer refused it itself
                                                   const bool same = tcp->peerPort() == socket->peerPort() &&
                                                                     tcp->peerAddress() == socket->peerAddress();
                                                   found = found || same;
                                                   return same;
                                               }),
                                m_unmaskedInHandshake.end());
    return found;
}

quint64 CardService::clientOf(const QTcpSocket* tcp) const
{
    for (auto client = m_clients.cbegin(); client != m_clients.cend(); ++client) {
        const QWebSocket* socket = client.value()->socket;
        if (socket->peerPort() == tcp->peerPort() && socket->peerAddress() == tcp->peerAddress())
            return client.key();
    }
    return 0;
}

void CardService::handleMessage(quint64 id, const QByteArray& message, bool binary)
{
    const auto client = m_clients.value(id);
    if (!client || client->cutOffAtMs >= 0)
        return;
    const qint64 now = m_clock.elapsed();
    const Handled handled =
        binary ? client->handler.handleBinary(message.size(), now) : client->handler.handleText(message, now);
    if (handled.disconnect) {
        cutOff(id, handled.reason);
        return;
    }
    client->lastRequestMs = now;
    if (!handled.reply.isEmpty())
        send(id, handled.reply);
    switch (handled.request.kind) {
    case Request::None: break;
    case Request::Read: m_scheduler.requestRead(id, handled.request); break;
    case Request::Watch: m_scheduler.watch(id, handled.request); break;
    case Request::Unwatch: m_scheduler.unwatch(id); break;
    }
}

void CardService::send(quint64 id, const QByteArray& message)
{
    const auto client = m_clients.value(id);
    if (client && client->cutOffAtMs < 0 && withinUnsentLimit(id))
        client->socket->sendTextMessage(QString::fromUtf8(message));
}

void CardService::sweep()
{
    const qint64 now = m_clock.elapsed();
    const qint64 idleMs = m_config.idleTimeoutSeconds * 1000LL;
    for (const quint64 id : m_clients.keys()) {
        const auto client = m_clients.value(id);
        if (!withinUnsentLimit(id))
            continue;
        if (client->cutOffAtMs >= 0) {
            if (now - client->cutOffAtMs >= kCloseGraceMs)
                client->socket->abort();
        } else if (now - client->lastRequestMs >= idleMs && !m_scheduler.isWatching(id)) {
            cutOff(id, "idle for too long");
        }
    }
}

bool CardService::withinUnsentLimit(quint64 id)
{
    const auto client = m_clients.value(id);
    if (!client || client->socket->bytesToWrite() <= kMaxUnsentBytes)
        return true;
    if (client->cutOffAtMs < 0) {
        client->cutOffAtMs = m_clock.elapsed();
        logLine(QString("disconnected client %1: does not read what it is sent (more than %2 bytes unsent)")
                    .arg(id)
                    .arg(kMaxUnsentBytes));
    }
    // A close frame would wait behind all that is unsent.
    client->socket->abort();
    return false;
}

void CardService::cutOff(quint64 id, const QString& reason)
{
    const auto client = m_clients.value(id);
    if (!client || client->cutOffAtMs >= 0)
        return;
    client->cutOffAtMs = m_clock.elapsed();
    logLine(QString("disconnected client %1: %2").arg(id).arg(reason));
    client->socket->close(QWebSocketProtocol::CloseCodePolicyViolated, reason);
}

void CardService::dropClient(quint64 id)
{
    const auto client = m_clients.take(id);
    if (!client)
        return;
    m_scheduler.forget(id);
    client->socket->deleteLater();
    if (m_clients.isEmpty())
        m_sweepTimer.stop();
}
