// SPDX-License-Identifier: Apache-2.0
// One client's messages: each text message is checked against the limits,
// parsed and turned into a request for the reader and/or an immediate reply.
// No sockets here, so it can be tested and fuzzed on its own.
#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

struct Request {
    enum Kind { None, Read, Watch, Unwatch };
    Kind kind = None;
    QJsonValue id;  // the client's "id", echoed in the answer; undefined when absent
    bool photo = false;
    bool faces = false;
    QString copy;       // read: "pdf" or "png" for a true-size copy of the card; empty: none
    QString watermark;  // across the copy's faces; empty: none
};

struct Handled {
    Request request;          // kind None: nothing for the reader
    QByteArray reply;         // sent at once when not empty
    bool disconnect = false;  // the client broke a limit and is cut off
    QString reason;           // why, for the close frame and the log
};

struct MessageLimits {
    int maxMessageBytes = 4096;
    int requestsPerSecond = 10;
};

class RequestHandler {
public:
    explicit RequestHandler(const MessageLimits& limits);

    // `nowMs`: a monotonic clock in milliseconds.
    Handled handleText(const QByteArray& utf8, qint64 nowMs);
    Handled handleBinary(qint64 messageBytes, qint64 nowMs);

private:
    // Token bucket: a burst of requestsPerSecond, refilled at that rate.
    bool takeToken(qint64 nowMs);
    Handled limitsBroken(qint64 messageBytes, qint64 nowMs);

    MessageLimits m_limits;
    qint64 m_tokensMilli;  // thousandths of a request
    qint64 m_lastMs = -1;
};
