#include "card_service.h"

#include "service_log.h"

#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>

namespace {

// A client that lets this much of its replies pile up unread is cut off.
constexpr qint64 kMaxUnsentBytes = 64 << 20;

}  // namespace

CardService::CardService(const ServiceConfig& config, QObject* parent)
    : QObject(parent),
      m_config(config),
      m_gate(config.allowedOrigins(), config.port, config.maxClients),
      m_server("pelorin-service", QWebSocketServer::NonSecureMode)
{
    m_clock.start();
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
        const quint64 id = m_nextClientId++;
        auto client = std::make_shared<Client>(
            socket, MessageLimits{m_config.maxMessageBytes, m_config.requestsPerSecond});
        socket->setParent(this);
        socket->setMaxAllowedIncomingFrameSize(static_cast<quint64>(m_config.maxMessageBytes));
        socket->setMaxAllowedIncomingMessageSize(static_cast<quint64>(m_config.maxMessageBytes));
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, id](const QString& text) { handleMessage(id, text.toUtf8(), false); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, id](const QByteArray& data) { handleMessage(id, data, true); });
        // Queued: a client may go away while the scheduler walks its lists.
        connect(socket, &QWebSocket::disconnected, this, [this, id] { dropClient(id); }, Qt::QueuedConnection);
        client->idleTimer.setSingleShot(true);
        client->idleTimer.setInterval(m_config.idleTimeoutSeconds * 1000);
        connect(&client->idleTimer, &QTimer::timeout, this, [this, id] {
            if (!m_scheduler.isWatching(id))
                cutOff(id, "idle for too long");
        });
        m_clients.insert(id, client);
        restartIdleTimer(id);
    }
}

void CardService::handleMessage(quint64 id, const QByteArray& message, bool binary)
{
    const auto client = m_clients.value(id);
    if (!client || client->closing)
        return;
    const qint64 now = m_clock.elapsed();
    const Handled handled =
        binary ? client->handler.handleBinary(message.size(), now) : client->handler.handleText(message, now);
    if (handled.disconnect) {
        cutOff(id, handled.reason);
        return;
    }
    restartIdleTimer(id);
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
    if (!client)
        return;
    if (client->socket->bytesToWrite() > kMaxUnsentBytes) {
        cutOff(id, "does not read its replies");
        return;
    }
    client->socket->sendTextMessage(QString::fromUtf8(message));
}

void CardService::cutOff(quint64 id, const QString& reason)
{
    const auto client = m_clients.value(id);
    if (!client || client->closing)
        return;
    client->closing = true;
    logLine(QString("disconnected client %1: %2").arg(id).arg(reason));
    client->idleTimer.stop();
    client->socket->close(QWebSocketProtocol::CloseCodePolicyViolated, reason);
}

void CardService::dropClient(quint64 id)
{
    const auto client = m_clients.take(id);
    if (!client)
        return;
    m_scheduler.forget(id);
    client->socket->deleteLater();
}

void CardService::restartIdleTimer(quint64 id)
{
    if (const auto client = m_clients.value(id))
        client->idleTimer.start();
}
