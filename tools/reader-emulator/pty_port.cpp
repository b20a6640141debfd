// SPDX-License-Identifier: Apache-2.0
#include "pty_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// Bytes written between two pauses; small enough to keep the pace even.
constexpr size_t kPaceChunk = 32;

}  // namespace

PtyPort::~PtyPort()
{
    close();
    ::unlink(m_linkPath.c_str());
}

void PtyPort::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

bool PtyPort::open(std::string& problem)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    const char* name = m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0
                           ? ptsname(m_master)
                           : nullptr;
    if (name != nullptr)
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tty{};
    if (m_slave < 0 || tcgetattr(m_slave, &tty) != 0) {
        problem = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    // Raw from the start, so nothing the host sends is echoed back to it.
    cfmakeraw(&tty);
    tcsetattr(m_slave, TCSANOW, &tty);
    const std::string temporary = m_linkPath + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(name, temporary.c_str()) != 0 || ::rename(temporary.c_str(), m_linkPath.c_str()) != 0) {
        problem = m_linkPath + ": " + std::strerror(errno);
        close();
        return false;
    }
    return true;
}

bool PtyPort::replug(std::string& problem)
{
    close();
    return open(problem);
}

long PtyPort::receive(uint8_t* buffer, size_t capacity, int timeoutMs)
{
    pollfd p{m_master, POLLIN, 0};
    const int rc = poll(&p, 1, timeoutMs);
    if (rc == 0 || (rc < 0 && errno == EINTR))
        return 0;
    const ssize_t n = rc > 0 ? ::read(m_master, buffer, capacity) : -1;
    return n > 0 ? long(n) : -1;
}

bool PtyPort::send(const uint8_t* data, size_t size)
{
    using namespace std::chrono;
    const auto start = steady_clock::now();
    for (size_t sent = 0; sent < size;) {
        const size_t chunk = std::min(kPaceChunk, size - sent);
        // A byte is there when its last bit has crossed the line.
        if (m_baud > 0)
            std::this_thread::sleep_until(start + microseconds((sent + chunk) * 10 * 1000000 / m_baud));
        if (::write(m_master, data + sent, chunk) != ssize_t(chunk))
            return false;
        sent += chunk;
    }
    return true;
}
