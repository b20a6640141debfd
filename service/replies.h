// SPDX-License-Identifier: Apache-2.0
// The messages the service sends (README, "Card service for web pages").
#pragma once

#include "read_outcome.h"
#include "request_handler.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

QByteArray versionReply(const QJsonValue& id);
QByteArray watchReply(const QJsonValue& id, bool watching);
// A message the service could not act on; `error` is a fixed name such as
// "MALFORMED_MESSAGE", `text` one line for the developer.
QByteArray protocolError(const QJsonValue& id, const char* error, const QString& text);
// A read asked for while `limit` reads (with a copy, when `copies`) of the
// same client wait already.
QByteArray tooManyReadsError(const QJsonValue& id, int limit, bool copies);

// The answer to a read: the card, or the read's failure in words.
QByteArray readReply(const Request& request, const ReadOutcome& outcome);
// Pushed to watching clients.
QByteArray cardEvent(const Request& watch, const ReadOutcome& outcome);
// `idCode`: the number of the card taken away, as its card event had it.
QByteArray removedEvent(const QJsonValue& idCode);
QByteArray watchFailureEvent(int result);
