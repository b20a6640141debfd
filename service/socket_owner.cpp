// SPDX-License-Identifier: Apache-2.0
#include "socket_owner.h"

#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

struct DiagRequest {
    nlmsghdr header;
    inet_diag_req_v2 body;
};

// Copies an address in network byte order into the diagnostics' four words.
void putAddress(const QHostAddress& address, __be32 words[4])
{
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        words[0] = htonl(address.toIPv4Address());
        return;
    }
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(words, bytes.c, sizeof bytes.c);
}

QString systemError(int number)
{
    return QString("socket diagnostics: %1").arg(QString::fromLocal8Bit(std::strerror(number)));
}

int openDiagnostics()
{
    return socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
}

}  // namespace

SocketOwners::SocketOwners() : m_fd(openDiagnostics()) {}

SocketOwners::~SocketOwners()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool SocketOwners::lookUp(int family, const QHostAddress& source, quint16 sourcePort,
                          const QHostAddress& destination, quint16 destinationPort, Found& found, QString& error)
{
    if (m_fd < 0 && (m_fd = openDiagnostics()) < 0) {
        error = systemError(errno);
        return false;
    }
    // One exact lookup, as the kernel routes a segment from destination to
    // source: the connected socket of that pair, else the one listening at
    // the source.
    DiagRequest request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.header.nlmsg_seq = ++m_sequence;
    request.body.sdiag_family = static_cast<__u8>(family);
    request.body.sdiag_protocol = IPPROTO_TCP;
    request.body.idiag_states = ~0U;
    request.body.id.idiag_sport = htons(sourcePort);
    request.body.id.idiag_dport = htons(destinationPort);
    putAddress(source, request.body.id.idiag_src);
    if (!destination.isNull())
        putAddress(destination, request.body.id.idiag_dst);
    request.body.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
    request.body.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (sendto(m_fd, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0) {
        error = systemError(errno);
        return false;
    }

    // The kernel answers every request at once; an answer to an earlier one
    // (whose reading failed) is skipped.
    for (;;) {
        alignas(nlmsghdr) char answer[1024];
        const ssize_t received = recv(m_fd, answer, sizeof answer, 0);
        if (received < 0) {
            error = systemError(errno);
            return false;
        }
        const auto* header = reinterpret_cast<const nlmsghdr*>(answer);
        if (!NLMSG_OK(header, received)) {
            error = "socket diagnostics: short answer";
            return false;
        }
        if (header->nlmsg_seq != m_sequence)
            continue;
        if (header->nlmsg_type == NLMSG_ERROR) {
            const auto* failure = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
            error = systemError(header->nlmsg_len >= NLMSG_LENGTH(sizeof *failure) ? -failure->error : EPROTO);
            return false;
        }
        if (header->nlmsg_type != SOCK_DIAG_BY_FAMILY || header->nlmsg_len < NLMSG_LENGTH(sizeof(inet_diag_msg))) {
            error = "socket diagnostics: unexpected answer";
            return false;
        }
        const auto* socket = static_cast<const inet_diag_msg*>(NLMSG_DATA(header));
        found = {socket->idiag_uid, socket->idiag_inode, socket->idiag_state};
        return true;
    }
}

bool SocketOwners::clientOwner(const QHostAddress& clientAddress, quint16 clientPort,
                               const QHostAddress& serverAddress, quint16 serverPort, uid_t& owner, QString& error)
{
    const int family = clientAddress.protocol() == QAbstractSocket::IPv4Protocol ? AF_INET : AF_INET6;
    Found found{};
    if (!lookUp(family, clientAddress, clientPort, serverAddress, serverPort, found, error))
        return false;
    // A socket that no process holds has no inode, and the kernel shows uid 0
    // for it: taking that for root would let any closed connection in.
    if (found.inode == 0 || found.state == TCP_TIME_WAIT || found.state == TCP_LISTEN) {
        error = "its end of the connection is closed already";
        return false;
    }
    owner = found.uid;
    return true;
}

bool SocketOwners::listenerOwner(const QHostAddress& address, quint16 port, uid_t& owner, QString& error)
{
    const int family = address.protocol() == QAbstractSocket::IPv4Protocol ? AF_INET : AF_INET6;
    Found found{};
    if (!lookUp(family, address, port, QHostAddress(), 0, found, error))
        return false;
    if (found.inode == 0 || found.state != TCP_LISTEN) {
        error = "nothing listens there";
        return false;
    }
    owner = found.uid;
    return true;
}
