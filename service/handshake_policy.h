// SPDX-License-Identifier: Apache-2.0
// The decision on an opening handshake, from its HTTP request header block,
// before the WebSocket layer answers it.
#pragma once

#include "origin_policy.h"

#include <QByteArray>

enum class HandshakeVerdict {
    Admit,
    BadRequest,       // no HTTP/1.x request line, not exactly one Host, more than one Origin
    ForeignHost,      // Host does not name the loopback
    OriginRefused,    // Origin present and not on the allow-list
    UnknownPath,      // a path other than "/"
    NotWebSocket,     // a plain HTTP request: not a GET asking to upgrade to websocket
};

struct HandshakeJudgement {
    HandshakeVerdict verdict = HandshakeVerdict::BadRequest;
    QByteArray origin;  // the Origin header's value, for the log
};

// `block` is the request up to and including its empty line. A request
// without Origin comes from a local program, not a page, and is admitted.
// Host and Origin are judged before the path and the upgrade, so that a page
// the service refuses learns nothing more.
HandshakeJudgement judgeHandshake(const QByteArray& block, const OriginList& origins, quint16 port);

// Where the header block ends in what has arrived (just after the empty
// line), or -1 while it is incomplete.
int headerBlockEnd(const QByteArray& received);
