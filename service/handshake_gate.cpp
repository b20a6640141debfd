// SPDX-License-Identifier: Apache-2.0
#include "handshake_gate.h"

#include "handshake_policy.h"
#include "service_log.h"
#include "socket_owner.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace {

constexpr int kMaxHandshakeBytes = 8192;
// Counted from the accept: trickling the request in does not extend it.
constexpr int kHandshakeTimeoutMs = 5000;
// One account's slow or stalled handshakes use up only its own share, so no
// program of another account can keep this account's clients out.
constexpr int kMaxHandshakesPerUser = 256;
// Accepting pauses this long when the process is out of file descriptors.
constexpr int kAcceptRetryMs = 100;

QString peerText(const QTcpSocket* socket)
{
    return QString("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
}

QByteArray statusOnly(const char* status)
{
    return QByteArray("HTTP/1.1 ") + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

// The deadline may be what is ending the examination: it goes once its
// signal has returned.
void endDeadline(QTcpSocket* socket)
{
    for (QTimer* deadline : socket->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly)) {
        deadline->stop();
        deadline->deleteLater();
    }
}

// What a browser shows for http:// on the service's port.
QByteArray upgradeRequired()
{
    const QByteArray body = "pelorin-service speaks WebSocket only.\n";
    return "HTTP/1.1 426 Upgrade Required\r\nUpgrade: websocket\r\nContent-Type: text/plain\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

HandshakeGate::HandshakeGate(const GateRules& rules, QObject* parent) : QObject(parent), m_rules(rules) {}

bool HandshakeGate::listen(QString& error)
{
    const quint16 port = m_rules.port;
    for (const QHostAddress& address : {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}) {
        auto server = std::make_unique<QTcpServer>();
        if (!server->listen(address, port)) {
            // A machine without IPv6 still serves IPv4 pages.
            if (address.protocol() == QAbstractSocket::IPv6Protocol &&
                server->serverError() != QAbstractSocket::AddressInUseError) {
                logLine(QString("not listening on [::1]:%1: %2").arg(port).arg(server->errorString()));
                continue;
            }
            error = server->serverError() == QAbstractSocket::AddressInUseError
                        ? QString("port %1 on %2 is already in use (is another pelorin-service running?)")
                              .arg(port)
                              .arg(address.toString())
                        : QString("cannot listen on %1 port %2: %3")
                              .arg(address.toString())
                              .arg(port)
                              .arg(server->errorString());
            m_servers.clear();
            return false;
        }
        // Qt's queue of 50 waiting connections overflows in a burst, and the
        // kernel then drops a client's SYN, sent again only a second later.
        // Listening again on a listening socket only sets a longer queue.
        ::listen(static_cast<int>(server->socketDescriptor()), SOMAXCONN);
        QTcpServer* listening = server.get();
        connect(listening, &QTcpServer::newConnection, this, [this, listening] { acceptWaiting(listening); });
        // Qt stops accepting for good when accept() fails for want of file
        // descriptors; they come back as connections close.
        connect(listening, &QTcpServer::acceptError, this, [listening] {
            logLine(QString("cannot accept connections: %1").arg(listening->errorString()));
            QTimer::singleShot(kAcceptRetryMs, listening, &QTcpServer::resumeAccepting);
        });
        m_servers.push_back(std::move(server));
    }
    return true;
}

QStringList HandshakeGate::addresses() const
{
    QStringList list;
    for (const auto& server : m_servers) {
        const QHostAddress address = server->serverAddress();
        const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                                 ? "[" + address.toString() + "]"
                                 : address.toString();
        list << QString("%1:%2").arg(host).arg(server->serverPort());
    }
    return list;
}

void HandshakeGate::acceptWaiting(QTcpServer* server)
{
    // Every connection is taken at once: one left waiting in the listening
    // socket's queue would wait behind whatever came before it.
    while (QTcpSocket* socket = server->nextPendingConnection())
        startExamining(socket);
}

void HandshakeGate::startExamining(QTcpSocket* socket)
{
    socket->setParent(this);
    uid_t owner = 0;
    QString error;
    if (!loopbackClientOwner(socket->peerAddress(), socket->peerPort(), socket->localAddress(), socket->localPort(),
                             owner, error)) {
        logLine(QString("refused %1: cannot tell which account it runs as (%2)").arg(peerText(socket), error));
        socket->abort();
        socket->deleteLater();
        return;
    }
    Pending& pending = m_pending[owner];
    if (pending.count >= kMaxHandshakesPerUser) {
        if (!pending.reported)
            logLine(QString("uid %1 has %2 handshakes open; its further connections are closed until they end")
                        .arg(owner)
                        .arg(kMaxHandshakesPerUser));
        pending.reported = true;
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++pending.count;
    connect(socket, &QObject::destroyed, this, [this, owner] { endPending(owner); });
    // Replies go out as a frame header and a payload: without this,
    // Nagle's algorithm holds the payload for the client's delayed ACK.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, socket] { refuse(socket, statusOnly("408 Request Timeout"), {}); });
    deadline->start(kHandshakeTimeoutMs);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, owner] { examine(socket, owner); });
    connect(socket, &QTcpSocket::disconnected, this, [socket] { socket->deleteLater(); });
    // The request may have arrived with the connection.
    examine(socket, owner);
}

void HandshakeGate::examine(QTcpSocket* socket, uid_t owner)
{
    // Peek only: the WebSocket layer reads the request itself once admitted.
    const QByteArray received = socket->peek(kMaxHandshakeBytes);
    const int end = headerBlockEnd(received);
    if (end < 0) {
        if (received.size() >= kMaxHandshakeBytes)
            refuse(socket, statusOnly("431 Request Header Fields Too Large"), {});
        return;
    }
    if (owner != m_rules.user) {
        refuse(socket, statusOnly("403 Forbidden"),
               QString("refused %1: it runs as uid %2; only uid %3 may connect")
                   .arg(peerText(socket))
                   .arg(owner)
                   .arg(m_rules.user));
        return;
    }
    const HandshakeJudgement judgement = judgeHandshake(received.left(end), m_rules.origins, m_rules.port);
    switch (judgement.verdict) {
    case HandshakeVerdict::Admit: break;
    case HandshakeVerdict::BadRequest: refuse(socket, statusOnly("400 Bad Request"), {}); return;
    case HandshakeVerdict::ForeignHost:
        refuse(socket, statusOnly("403 Forbidden"),
               QString("refused %1: Host does not name the loopback").arg(peerText(socket)));
        return;
    case HandshakeVerdict::OriginRefused:
        refuse(socket, statusOnly("403 Forbidden"),
               QString("refused %1: origin \"%2\" is not allowed").arg(peerText(socket), loggable(judgement.origin)));
        return;
    case HandshakeVerdict::UnknownPath: refuse(socket, statusOnly("404 Not Found"), {}); return;
    case HandshakeVerdict::NotWebSocket: refuse(socket, upgradeRequired(), {}); return;
    }
    if (m_admittedOpen >= m_rules.maxClients) {
        refuse(socket, statusOnly("503 Service Unavailable"), {});
        return;
    }
    admit(socket, owner);
}

void HandshakeGate::admit(QTcpSocket* socket, uid_t owner)
{
    disconnect(socket, nullptr, this, nullptr);
    endDeadline(socket);
    endPending(owner);
    // The socket lives as long as the WebSocket connection made of it.
    socket->setParent(nullptr);
    ++m_admittedOpen;
    connect(socket, &QObject::destroyed, this, [this] { --m_admittedOpen; });
    emit admitted(socket);
}

void HandshakeGate::refuse(QTcpSocket* socket, const QByteArray& response, const QString& logText)
{
    if (!logText.isEmpty())
        logLine(logText);
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    endDeadline(socket);
    socket->write(response);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
}

void HandshakeGate::endPending(uid_t owner)
{
    const auto found = m_pending.find(owner);
    if (found != m_pending.end() && --found->count == 0)
        m_pending.erase(found);
}
