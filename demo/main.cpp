// SPDX-License-Identifier: Apache-2.0
#include "mainwindow.h"
#include <pelorin/pelorin_api.h>

#include <QApplication>
#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>

namespace {

const char kServerName[] = "pelorindemolocalserver";

// A running instance holds the server; its answer to a connect is enough.
bool anotherInstanceRuns(QLocalSocket &socket)
{
    socket.connectToServer(QLatin1String(kServerName), QIODevice::ReadWrite);
    return socket.waitForConnected(1000);
}

// Claims the name for this instance. A server file left behind by a run that
// crashed blocks the name although no one answers on it: remove it, try again.
void claimInstanceName(QLocalServer &server)
{
    if (server.listen(QLatin1String(kServerName)))
        return;
    if (server.serverError() == QAbstractSocket::AddressInUseError
        && QLocalServer::removeServer(QLatin1String(kServerName)))
        server.listen(QLatin1String(kServerName));
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QLocalSocket socket;
    if (anotherInstanceRuns(socket)) {
        QMessageBox::information(nullptr, QStringLiteral("二代证阅读器演示程序"),
                                 QStringLiteral("二代证阅读器演示程序已启动!"));
        return -1;
    }
    QLocalServer server;
    claimInstanceName(server);

    MainWindow window;
    window.show();
    qDebug() << QString::fromStdString(getSDKVersion());
    return app.exec();
}
