// SPDX-License-Identifier: Apache-2.0
// The service's log: one line per event on standard error (the journal under
// systemd). Card contents never go here.
#pragma once

#include <QByteArray>
#include <QString>

void logLine(const QString& line);

// From now on, Qt's notes that a thread ended after its thread-local storage
// was gone are dropped: the library's read thread ends while the process
// exits, after Qt's per-thread caches, and saying so is of no use to anyone.
// Every other message of Qt goes where it went.
void dropThreadStorageNotes();

// Text a client sent, made safe to log: at most 120 characters, control
// characters and non-ASCII bytes escaped.
QString loggable(const QByteArray& untrusted);
