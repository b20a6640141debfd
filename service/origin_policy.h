// SPDX-License-Identifier: Apache-2.0
// Which web pages may talk to the service: the origin allow-list, and the
// Host names that mean this machine's loopback.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QVector>

// One allowed origin, "scheme://host[:port]", or "scheme://host:*" for any
// port of that host (no port written included).
class OriginPattern {
public:
    // False with `problem` set when `text` is not an origin in the form a
    // browser sends it.
    static bool parse(const QString& text, OriginPattern& pattern, QString& problem);

    bool matches(const QByteArray& origin) const;
    QString text() const;
    // Whether its host is this machine's loopback (localhost, *.localhost,
    // 127.0.0.0/8, [::1]): a browser lets such pages reach the service
    // without asking, and they are served from this machine.
    bool isLoopback() const;

private:
    QByteArray m_schemeAndHost;  // "http://localhost"
    QByteArray m_port;           // ":8080", "" for none; unused with m_anyPort
    bool m_anyPort = false;
};

class OriginList {
public:
    // Pages served from this machine itself: http and https on localhost,
    // 127.0.0.1 and [::1], any port.
    static OriginList thisMachine();

    void add(const OriginPattern& pattern) { m_patterns.append(pattern); }
    bool isEmpty() const { return m_patterns.isEmpty(); }
    const QVector<OriginPattern>& patterns() const { return m_patterns; }

    // An Origin header's value; "null" is never on the list.
    bool allows(const QByteArray& origin) const;

private:
    QVector<OriginPattern> m_patterns;
};

// Where the page of an origin on the loopback is served: the addresses its
// host means, and its port (the scheme's default when it names none). False
// when the origin is not on the loopback.
bool loopbackOriginServer(const QByteArray& origin, QVector<QHostAddress>& addresses, quint16& port);

// A Host header naming the loopback with the service's port: localhost,
// 127.0.0.1 or [::1]. Anything else may be a DNS name rebound to 127.0.0.1.
bool isLoopbackHost(const QByteArray& host, quint16 port);
