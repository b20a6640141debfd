#include "handshake_gate.h"

#include "handshake_policy.h"
#include "service_log.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr int kMaxHandshakeBytes = 8192;
constexpr int kHandshakeTimeoutMs = 5000;
// Connections whose handshake is being examined or refused at a time.
constexpr int kMaxHandshaking = 64;

// Drops the gate's connections and the handshake timer.
void stopExamining(QTcpSocket* socket)
{
    socket->disconnect();
    qDeleteAll(socket->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly));
}

QString peerText(const QTcpSocket* socket)
{
    return QString("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
}

}  // namespace

HandshakeGate::HandshakeGate(const OriginList& origins, quint16 port, int maxClients, QObject* parent)
    : QObject(parent), m_origins(origins), m_port(port), m_maxClients(maxClients)
{
}

bool HandshakeGate::listen(QString& error)
{
    for (const QHostAddress& address : {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}) {
        auto server = std::make_unique<QTcpServer>();
        if (!server->listen(address, m_port)) {
            // A machine without IPv6 still serves IPv4 pages.
            if (address.protocol() == QAbstractSocket::IPv6Protocol &&
                server->serverError() != QAbstractSocket::AddressInUseError) {
                logLine(QString("not listening on [::1]:%1: %2").arg(m_port).arg(server->errorString()));
                continue;
            }
            error = server->serverError() == QAbstractSocket::AddressInUseError
                        ? QString("port %1 on %2 is already in use (is another pelorin-service running?)")
                              .arg(m_port)
                              .arg(address.toString())
                        : QString("cannot listen on %1 port %2: %3")
                              .arg(address.toString())
                              .arg(m_port)
                              .arg(server->errorString());
            m_servers.clear();
            return false;
        }
        connect(server.get(), &QTcpServer::newConnection, this, &HandshakeGate::acceptWaiting);
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

void HandshakeGate::acceptWaiting()
{
    // Beyond kMaxHandshaking, connections wait in the listening socket's
    // queue until a handshake ends.
    for (const auto& server : m_servers) {
        while (findChildren<QTcpSocket*>(QString(), Qt::FindDirectChildrenOnly).size() < kMaxHandshaking) {
            QTcpSocket* socket = server->nextPendingConnection();
            if (!socket)
                break;
            socket->setParent(this);
            // Replies go out as a frame header and a payload: without this,
            // Nagle's algorithm holds the payload for the client's delayed ACK.
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            auto* timer = new QTimer(socket);
            timer->setSingleShot(true);
            connect(timer, &QTimer::timeout, this, [this, socket] { refuse(socket, "408 Request Timeout", QString()); });
            timer->start(kHandshakeTimeoutMs);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { examine(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [socket] { socket->deleteLater(); });
            connect(socket, &QObject::destroyed, this, &HandshakeGate::acceptWaiting, Qt::QueuedConnection);
            // A connection that waited may have sent its request already,
            // with no one listening for readyRead then.
            examine(socket);
        }
    }
}

void HandshakeGate::examine(QTcpSocket* socket)
{
    // Peek only: the WebSocket layer reads the request itself once admitted.
    const QByteArray received = socket->peek(kMaxHandshakeBytes);
    const int end = headerBlockEnd(received);
    if (end < 0) {
        if (received.size() >= kMaxHandshakeBytes)
            refuse(socket, "431 Request Header Fields Too Large", QString());
        return;
    }
    const HandshakeJudgement judgement = judgeHandshake(received.left(end), m_origins, m_port);
    switch (judgement.verdict) {
    case HandshakeVerdict::Admit: break;
    case HandshakeVerdict::BadRequest: refuse(socket, "400 Bad Request", QString()); return;
    case HandshakeVerdict::ForeignHost:
        refuse(socket, "403 Forbidden",
               QString("refused %1: Host does not name the loopback").arg(peerText(socket)));
        return;
    case HandshakeVerdict::OriginRefused:
        refuse(socket, "403 Forbidden",
               QString("refused %1: origin \"%2\" is not allowed").arg(peerText(socket), loggable(judgement.origin)));
        return;
    }
    if (m_admittedOpen >= m_maxClients) {
        refuse(socket, "503 Service Unavailable", QString());
        return;
    }
    stopExamining(socket);
    socket->setParent(nullptr);
    // The socket lives as long as the WebSocket connection made of it.
    ++m_admittedOpen;
    connect(socket, &QObject::destroyed, this, [this] { --m_admittedOpen; });
    emit admitted(socket);
    QMetaObject::invokeMethod(this, &HandshakeGate::acceptWaiting, Qt::QueuedConnection);
}

void HandshakeGate::refuse(QTcpSocket* socket, const char* status, const QString& logText)
{
    if (!logText.isEmpty())
        logLine(logText);
    stopExamining(socket);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, &HandshakeGate::acceptWaiting, Qt::QueuedConnection);
    socket->write(QByteArray("HTTP/1.1 ") + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
}
