// SPDX-License-Identifier: Apache-2.0
#include "mainwindow.h"
#include <pelorin/pelorin_api.h>

#include <QApplication>
#include <QDebug>
#include <QMessageBox>

#include "instance_guard.h"

namespace {

const char kServerName[] = "pelorindemolocalserver";

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    InstanceGuard guard{QLatin1String(kServerName)};
    if (guard.anotherInstanceRuns()) {
        QMessageBox::information(nullptr, QStringLiteral("二代证阅读器演示程序"),
                                 QStringLiteral("二代证阅读器演示程序已启动!"));
        return -1;
    }
    guard.claim();

    MainWindow window;
    window.show();
    qDebug() << QString::fromStdString(getSDKVersion());
    return app.exec();
}
