// SPDX-License-Identifier: Apache-2.0
#include "service_log.h"

#include <QtGlobal>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<QtMessageHandler> g_previousHandler{nullptr};

void withoutThreadStorageNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith("QThreadStorage: Thread "))
        return;
    if (const QtMessageHandler previous = g_previousHandler)
        previous(type, context, message);
}

}  // namespace

void logLine(const QString& line)
{
    std::fprintf(stderr, "pelorin-service: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

QString loggable(const QByteArray& untrusted)
{
    constexpr int kMaxShown = 120;
    QString shown;
    for (int i = 0; i < untrusted.size() && i < kMaxShown; ++i) {
        const auto byte = static_cast<unsigned char>(untrusted[i]);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\')
            shown += QChar(byte);
        else
            shown += QString("\\x%1").arg(byte, 2, 16, QChar('0'));
    }
    if (untrusted.size() > kMaxShown)
        shown += "...";
    return shown;
}

void dropThreadStorageNotes()
{
    g_previousHandler = qInstallMessageHandler(withoutThreadStorageNotes);
}
