// SPDX-License-Identifier: Apache-2.0
#include "stream_offset.h"

#include <QTcpSocket>

#include <linux/sockios.h>
#include <netinet/in.h>
#include <linux/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cstddef>

namespace {

// The kernel's TCP states (its numbering, as in tcpi_state) in which the
// peer's FIN has arrived: the count of bytes received then holds one for it.
bool finReceived(int state)
{
    constexpr int kTimeWait = 6, kClose = 7, kCloseWait = 8, kLastAck = 9, kClosing = 11;
    return state == kTimeWait || state == kClose || state == kCloseWait || state == kLastAck || state == kClosing;
}

bool tcpInfo(int fd, tcp_info& info)
{
    socklen_t length = sizeof info;
    return getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 &&
           length >= offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received;
}

}  // namespace

bool readBufferOffset(const QTcpSocket& socket, qint64& offset)
{
    const auto fd = static_cast<int>(socket.socketDescriptor());
    // Data may arrive between the two questions: ask until the count of
    // bytes received is the same before and after the queue's length.
    for (int attempt = 0; attempt < 16; ++attempt) {
        tcp_info before{};
        tcp_info after{};
        int queued = 0;
        if (!tcpInfo(fd, before) || ioctl(fd, SIOCINQ, &queued) != 0 || !tcpInfo(fd, after))
            return false;
        if (before.tcpi_bytes_received != after.tcpi_bytes_received)
            continue;
        const auto received = static_cast<qint64>(after.tcpi_bytes_received) - (finReceived(after.tcpi_state) ? 1 : 0);
        offset = received - queued - socket.bytesAvailable();
        return true;
    }
    return false;
}
