// SPDX-License-Identifier: Apache-2.0
#include "socket_owner.h"

#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
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

QString systemError(const char* what)
{
    return QString("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

class NetlinkSocket {
public:
    NetlinkSocket() : m_fd(socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG)) {}
    ~NetlinkSocket()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

bool loopbackClientOwner(const QHostAddress& clientAddress, quint16 clientPort, const QHostAddress& serverAddress,
                         quint16 serverPort, uid_t& owner, QString& error)
{
    const NetlinkSocket netlink;
    if (netlink.fd() < 0) {
        error = systemError("socket diagnostics");
        return false;
    }
    // One exact lookup of the client's socket: its own end is the source.
    DiagRequest request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.body.sdiag_family = clientAddress.protocol() == QAbstractSocket::IPv4Protocol ? AF_INET : AF_INET6;
    request.body.sdiag_protocol = IPPROTO_TCP;
    request.body.idiag_states = ~0U;
    request.body.id.idiag_sport = htons(clientPort);
    request.body.id.idiag_dport = htons(serverPort);
    putAddress(clientAddress, request.body.id.idiag_src);
    putAddress(serverAddress, request.body.id.idiag_dst);
    request.body.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
    request.body.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (sendto(netlink.fd(), &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0) {
        error = systemError("socket diagnostics");
        return false;
    }

    alignas(nlmsghdr) char answer[1024];
    const ssize_t received = recv(netlink.fd(), answer, sizeof answer, 0);
    const auto* header = reinterpret_cast<const nlmsghdr*>(answer);
    if (received < 0) {
        error = systemError("socket diagnostics");
        return false;
    }
    if (!NLMSG_OK(header, received)) {
        error = "socket diagnostics: short answer";
        return false;
    }
    if (header->nlmsg_type == NLMSG_ERROR) {
        const auto* failure = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
        errno = header->nlmsg_len >= NLMSG_LENGTH(sizeof *failure) ? -failure->error : EPROTO;
        error = systemError("socket diagnostics");
        return false;
    }
    if (header->nlmsg_type != SOCK_DIAG_BY_FAMILY || header->nlmsg_len < NLMSG_LENGTH(sizeof(inet_diag_msg))) {
        error = "socket diagnostics: unexpected answer";
        return false;
    }
    owner = static_cast<const inet_diag_msg*>(NLMSG_DATA(header))->idiag_uid;
    return true;
}
