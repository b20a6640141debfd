// SPDX-License-Identifier: Apache-2.0
#include "origin_policy.h"

#include <QUrl>

namespace {

bool isDigits(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int defaultPort(const QString& scheme)
{
    if (scheme == "http")
        return 80;
    if (scheme == "https")
        return 443;
    return -1;
}

// The addresses a host name of an origin means when it is this machine's
// loopback, else none. Browsers resolve localhost and its subdomains to the
// loopback themselves.
QVector<QHostAddress> loopbackAddresses(const QString& host)
{
    if (host == "localhost" || host.endsWith(".localhost"))
        return {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)};
    QHostAddress address(host);
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    if (mapped)
        address = QHostAddress(ipv4);
    if (!address.isNull() && address.isLoopback())
        return {address};
    return {};
}

}  // namespace

bool OriginPattern::parse(const QString& text, OriginPattern& pattern, QString& problem)
{
    if (text == "null") {
        problem = "\"null\" is the origin of sandboxed and local-file pages; it cannot be allowed";
        return false;
    }
    static const QString kAnyPort(":*");
    const bool anyPort = text.endsWith(kAnyPort);
    const QString origin = anyPort ? text.chopped(kAnyPort.size()) : text;

    // A browser sends an origin in exactly one spelling: accept only that
    // spelling, so that comparing texts is comparing origins.
    const QUrl url(origin, QUrl::StrictMode);
    const bool wellFormed = url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty() &&
                            url.path().isEmpty() && !url.hasQuery() && !url.hasFragment() &&
                            url.userInfo().isEmpty() && QString::fromUtf8(url.toEncoded()) == origin &&
                            !(anyPort && url.port() != -1);
    if (!wellFormed) {
        problem = QString("\"%1\" is not an origin (expected scheme://host, scheme://host:port or "
                          "scheme://host:* for any port, e.g. http://localhost:8080)")
                      .arg(text);
        return false;
    }
    if (url.port() != -1 && url.port() == defaultPort(url.scheme())) {
        problem = QString("\"%1\": browsers leave the default port out of an origin; write %2")
                      .arg(text, QString::fromUtf8(url.adjusted(QUrl::RemovePort).toEncoded()));
        return false;
    }
    pattern.m_anyPort = anyPort;
    pattern.m_schemeAndHost = url.adjusted(QUrl::RemovePort).toEncoded();
    pattern.m_port = url.port() == -1 ? QByteArray() : ":" + QByteArray::number(url.port());
    return true;
}

bool OriginPattern::matches(const QByteArray& origin) const
{
    if (!origin.startsWith(m_schemeAndHost))
        return false;
    const QByteArray rest = origin.mid(m_schemeAndHost.size());
    if (!m_anyPort)
        return rest == m_port;
    return rest.isEmpty() || (rest.startsWith(':') && isDigits(rest.mid(1)));
}

QString OriginPattern::text() const
{
    return QString::fromUtf8(m_schemeAndHost + (m_anyPort ? QByteArray(":*") : m_port));
}

bool OriginPattern::isLoopback() const
{
    return !loopbackAddresses(QUrl(QString::fromUtf8(m_schemeAndHost)).host()).isEmpty();
}

OriginList OriginList::thisMachine()
{
    OriginList list;
    for (const char* scheme : {"http", "https"}) {
        for (const char* host : {"localhost", "127.0.0.1", "[::1]"}) {
            OriginPattern pattern;
            QString problem;
            OriginPattern::parse(QString("%1://%2:*").arg(scheme, host), pattern, problem);
            list.add(pattern);
        }
    }
    return list;
}

bool OriginList::allows(const QByteArray& origin) const
{
    for (const OriginPattern& pattern : m_patterns)
        if (pattern.matches(origin))
            return true;
    return false;
}

bool loopbackOriginServer(const QByteArray& origin, QVector<QHostAddress>& addresses, quint16& port)
{
    const QUrl url(QString::fromUtf8(origin), QUrl::StrictMode);
    const int schemePort = defaultPort(url.scheme());
    if (!url.isValid() || schemePort < 0)
        return false;
    addresses = loopbackAddresses(url.host());
    port = static_cast<quint16>(url.port(schemePort));
    return !addresses.isEmpty();
}

bool isLoopbackHost(const QByteArray& host, quint16 port)
{
    const QByteArray lower = host.toLower();
    const QByteArray portSuffix = ":" + QByteArray::number(port);
    for (const char* name : {"localhost", "127.0.0.1", "[::1]"}) {
        if (lower == name + portSuffix || (port == 80 && lower == name))
            return true;
    }
    return false;
}
