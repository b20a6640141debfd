// SPDX-License-Identifier: Apache-2.0
// A TCP server that judges each connection on its bare descriptor, before Qt
// makes a socket object of it: a refused connection costs no more than its
// accept, and holds nothing afterwards.
#pragma once

#include <QTcpServer>

#include <functional>
#include <utility>

class ScreeningServer : public QTcpServer {
    Q_OBJECT
public:
    // Returns whether to keep the connection; one it does not keep it has
    // closed itself.
    using Screen = std::function<bool(int descriptor)>;
    explicit ScreeningServer(Screen screen) : m_screen(std::move(screen)) {}

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    Screen m_screen;
};
