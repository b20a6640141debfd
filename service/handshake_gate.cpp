// SPDX-License-Identifier: Apache-2.0
#include "handshake_gate.h"

#include "handshake_policy.h"
#include "screening_server.h"
#include "service_log.h"

#include <QTcpSocket>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kMaxHandshakeBytes = 8192;
// Counted from the accept: trickling the request in does not extend it.
constexpr int kHandshakeTimeoutMs = 5000;
// The account's own slow or stalled handshakes; its further connections are
// closed at once. Other accounts' connections never get this far.
constexpr int kMaxOpenHandshakes = 256;
// Accepting pauses this long when the process is out of file descriptors.
constexpr int kAcceptRetryMs = 100;
// Refusals are logged one by one up to this many at once, then one a second
// with a count of the others.
constexpr int kRefusalLineBurst = 10;
constexpr int kRefusalLineIntervalMs = 1000;

QString endpointText(const QHostAddress& address, quint16 port)
{
    return QString("%1:%2").arg(address.toString()).arg(port);
}

QString peerText(const QTcpSocket* socket)
{
    return endpointText(socket->peerAddress(), socket->peerPort());
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

bool endpoint(int (*name)(int, sockaddr*, socklen_t*), int descriptor, QHostAddress& address, quint16& port)
{
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (name(descriptor, reinterpret_cast<sockaddr*>(&storage), &length) != 0)
        return false;
    address = QHostAddress(reinterpret_cast<const sockaddr*>(&storage));
    if (storage.ss_family == AF_INET)
        port = ntohs(reinterpret_cast<const sockaddr_in&>(storage).sin_port);
    else if (storage.ss_family == AF_INET6)
        port = ntohs(reinterpret_cast<const sockaddr_in6&>(storage).sin6_port);
    else
        return false;
    return true;
}

// Answers on the bare descriptor and closes it. What the client sent already
// is read first: closing with unread data would reset the connection, and the
// client might never see the answer.
void answerAndClose(int descriptor, const QByteArray& response)
{
    [[maybe_unused]] const ssize_t sent =
        send(descriptor, response.constData(), static_cast<size_t>(response.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    char unread[kMaxHandshakeBytes];
    [[maybe_unused]] const ssize_t drained = recv(descriptor, unread, sizeof unread, MSG_DONTWAIT);
    close(descriptor);
}

}  // namespace

HandshakeGate::HandshakeGate(const GateRules& rules, QObject* parent)
    : QObject(parent), m_rules(rules), m_refusalLog(kRefusalLineBurst, kRefusalLineIntervalMs)
{
    m_clock.start();
    m_leftOutReport.setSingleShot(true);
    m_leftOutReport.setInterval(kRefusalLineIntervalMs);
    connect(&m_leftOutReport, &QTimer::timeout, this, &HandshakeGate::reportLeftOut);
}

HandshakeGate::~HandshakeGate() = default;

bool HandshakeGate::listen(QString& error)
{
    const quint16 port = m_rules.port;
    for (const QHostAddress& address : {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}) {
        auto server = std::make_unique<ScreeningServer>([this](int descriptor) { return screen(descriptor); });
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
        connect(listening, &QTcpServer::acceptError, this, [this, listening] {
            if (!m_acceptFailureLogged)
                logLine(QString("cannot accept connections: %1 (logged once; accepting goes on as descriptors "
                                "come free)")
                            .arg(listening->errorString()));
            m_acceptFailureLogged = true;
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

bool HandshakeGate::screen(int descriptor)
{
    QHostAddress peer, local;
    quint16 peerPort = 0, localPort = 0;
    if (!endpoint(getpeername, descriptor, peer, peerPort) || !endpoint(getsockname, descriptor, local, localPort)) {
        close(descriptor);  // gone already
        return false;
    }
    uid_t owner = 0;
    QString error;
    if (!m_owners.clientOwner(peer, peerPort, local, localPort, owner, error)) {
        logRefusal(QString("refused %1: cannot tell which account it runs as (%2)")
                       .arg(endpointText(peer, peerPort), error));
        close(descriptor);
        return false;
    }
    // Another account's connection is answered and closed here, whatever it
    // sends: it holds no descriptor and counts against no bound of the
    // service's own account.
    if (owner != m_rules.user) {
        logRefusal(QString("refused %1: it runs as uid %2; only uid %3 may connect")
                       .arg(endpointText(peer, peerPort))
                       .arg(owner)
                       .arg(m_rules.user));
        answerAndClose(descriptor, statusOnly("403 Forbidden"));
        return false;
    }
    return true;
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
    if (m_handshakesOpen >= kMaxOpenHandshakes) {
        if (!m_handshakeBoundLogged)
            logLine(QString("uid %1 has %2 handshakes open; its further connections are closed until they end")
                        .arg(m_rules.user)
                        .arg(kMaxOpenHandshakes));
        m_handshakeBoundLogged = true;
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_handshakesOpen;
    connect(socket, &QObject::destroyed, this, [this] {
        if (--m_handshakesOpen == 0)
            m_handshakeBoundLogged = false;
    });
    // All that is looked at of a request; more waits in the kernel.
    socket->setReadBufferSize(kMaxHandshakeBytes);
    // Replies go out as a frame header and a payload: without this,
    // Nagle's algorithm holds the payload for the client's delayed ACK.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, socket] { refuse(socket, statusOnly("408 Request Timeout"), {}); });
    deadline->start(kHandshakeTimeoutMs);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { examine(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [socket] { socket->deleteLater(); });
    // The request may have arrived with the connection.
    examine(socket);
}

void HandshakeGate::examine(QTcpSocket* socket)
{
    // Peek only: the WebSocket layer reads the request itself once admitted.
    const QByteArray received = socket->peek(kMaxHandshakeBytes);
    const int end = headerBlockEnd(received);
    if (end < 0) {
        if (received.size() >= kMaxHandshakeBytes)
            refuse(socket, statusOnly("431 Request Header Fields Too Large"), {});
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
    QString problem;
    if (!judgement.origin.isEmpty() && !servedByUser(judgement.origin, problem)) {
        refuse(socket, statusOnly("403 Forbidden"), QString("refused %1: %2").arg(peerText(socket), problem));
        return;
    }
    if (m_admittedOpen >= m_rules.maxClients) {
        refuse(socket, statusOnly("503 Service Unavailable"), {});
        return;
    }
    admit(socket, end);
}

bool HandshakeGate::servedByUser(const QByteArray& origin, QString& problem)
{
    // The browser is the account's own; a page it shows from the loopback may
    // still come from another account's server on this machine.
    QVector<QHostAddress> addresses;
    quint16 port = 0;
    if (!loopbackOriginServer(origin, addresses, port))
        return true;
    int served = 0;
    for (const QHostAddress& address : qAsConst(addresses)) {
        uid_t owner = 0;
        QString notListening;
        if (!m_owners.listenerOwner(address, port, owner, notListening))
            continue;
        if (owner != m_rules.user) {
            problem = QString("origin \"%1\" is served by uid %2; only pages served by uid %3 may connect")
                          .arg(loggable(origin))
                          .arg(owner)
                          .arg(m_rules.user);
            return false;
        }
        ++served;
    }
    if (served == 0)
        problem = QString("nothing serves origin \"%1\" now, so whose page it is cannot be told").arg(loggable(origin));
    return served > 0;
}

void HandshakeGate::admit(QTcpSocket* socket, int handshakeBytes)
{
    disconnect(socket, nullptr, this, nullptr);
    endDeadline(socket);
    // No longer a handshake: its count is given back now, not when it closes.
    if (--m_handshakesOpen == 0)
        m_handshakeBoundLogged = false;
    // The socket lives as long as the WebSocket connection made of it.
    socket->setParent(nullptr);
    ++m_admittedOpen;
    connect(socket, &QObject::destroyed, this, [this] { --m_admittedOpen; });
    emit admitted(socket, handshakeBytes);
}

void HandshakeGate::refuse(QTcpSocket* socket, const QByteArray& response, const QString& logText)
{
    if (!logText.isEmpty())
        logRefusal(logText);
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    endDeadline(socket);
    socket->write(response);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
}

void HandshakeGate::logRefusal(const QString& line)
{
    if (m_refusalLog.allows(m_clock.elapsed())) {
        logLine(line);
        return;
    }
    if (!m_leftOutReport.isActive())
        m_leftOutReport.start();
}

void HandshakeGate::reportLeftOut()
{
    const int leftOut = m_refusalLog.takeLeftOut();
    if (leftOut > 0)
        logLine(QString("%1 more connections were refused in the last second; not each is logged").arg(leftOut));
}
