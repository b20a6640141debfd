// SPDX-License-Identifier: Apache-2.0
#include "serial_line.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t speedCode(int baud)
{
    switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

bool setRaw8N1(int fd, int baud)
{
    termios tty{};
    if (tcgetattr(fd, &tty) != 0)
        return false;
    cfmakeraw(&tty);
    tty.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tty.c_cflag |= CS8 | CLOCAL | CREAD;
    tty.c_cc[VMIN] = 0;
    tty.c_cc[VTIME] = 0;
    const speed_t speed = speedCode(baud);
    return cfsetispeed(&tty, speed) == 0 && cfsetospeed(&tty, speed) == 0 &&
           tcsetattr(fd, TCSANOW, &tty) == 0;
}

// Waits for `events` on fd until `deadline`; the revents, 0 on time-out.
short waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, events, 0};
        const int rc = poll(&p, 1, left.count() > 0 ? int(left.count()) : 0);
        if (rc > 0)
            return p.revents;
        if (rc == 0 || errno != EINTR)
            return rc == 0 ? 0 : POLLERR;
    }
}

std::chrono::steady_clock::time_point after(int timeoutMs)
{
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
}

}  // namespace

bool SerialLine::supportedSpeed(int baud)
{
    return speedCode(baud) != B0;
}

std::unique_ptr<SerialLine> SerialLine::open(const std::string& path, int baud, std::string& problem)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!isatty(fd) || !setRaw8N1(fd, baud)) {
        problem = path + ": not a serial port that can be set to " + std::to_string(baud) + " baud";
        ::close(fd);
        return nullptr;
    }
    tcflush(fd, TCIOFLUSH);
    return std::unique_ptr<SerialLine>(new SerialLine(fd, baud));
}

SerialLine::~SerialLine()
{
    ::close(m_fd);
}

ReaderLine::Outcome SerialLine::send(const uint8_t* data, size_t size, int timeoutMs)
{
    const auto deadline = after(timeoutMs);
    while (size > 0) {
        const short revents = waitFor(m_fd, POLLOUT, deadline);
        if (revents == 0)
            return Outcome::TimedOut;
        if (!(revents & POLLOUT))
            return Outcome::Lost;
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return Outcome::Lost;
        if (n > 0) {
            data += n;
            size -= size_t(n);
        }
    }
    return Outcome::Done;
}

ReaderLine::Outcome SerialLine::receive(uint8_t* buffer, size_t capacity, int timeoutMs,
                                        size_t& received)
{
    received = 0;
    const auto deadline = after(timeoutMs);
    for (;;) {
        const short revents = waitFor(m_fd, POLLIN, deadline);
        if (revents == 0)
            return Outcome::TimedOut;
        if (!(revents & POLLIN))
            return Outcome::Lost;  // hung up or failed with nothing left to read
        const ssize_t n = ::read(m_fd, buffer, capacity);
        if (n > 0) {
            received = size_t(n);
            return Outcome::Done;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return Outcome::Lost;
    }
}

void SerialLine::discardInput()
{
    tcflush(m_fd, TCIFLUSH);
}

int SerialLine::wireTimeMs(size_t bytes) const
{
    // 8N1: a start bit, eight data bits and a stop bit a byte.
    constexpr size_t kBitsPerByte = 10;
    return int((bytes * kBitsPerByte * 1000 + size_t(m_baud) - 1) / size_t(m_baud));
}
