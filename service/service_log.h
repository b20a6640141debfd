// SPDX-License-Identifier: Apache-2.0
// The service's log: one line per event on standard error (the journal under
// systemd). Card contents never go here.
#pragma once

#include <QByteArray>
#include <QString>

void logLine(const QString& line);

// Text a client sent, made safe to log: at most 120 characters, control
// characters and non-ASCII bytes escaped.
QString loggable(const QByteArray& untrusted);
