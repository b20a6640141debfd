// SPDX-License-Identifier: Apache-2.0
#include "handshake_policy.h"

#include <QList>

namespace {

const QByteArray kBlockEnd("\r\n\r\n");

// The values of every header named `name` (case-insensitive); false when a
// line is not "Name: value" or continues the previous one.
bool headerValues(const QList<QByteArray>& lines, const QByteArray& name, QList<QByteArray>& values)
{
    for (int i = 1; i < lines.size(); ++i) {  // line 0 is the request line
        const QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        const int colon = line.indexOf(':');
        if (colon <= 0 || line[0] == ' ' || line[0] == '\t')
            return false;
        if (line.left(colon).trimmed().toLower() == name)
            values.append(line.mid(colon + 1).trimmed());
    }
    return true;
}

// "GET /?x HTTP/1.1": the method, and whether the target is the one path the
// service answers on; false when it is not an HTTP/1.x request line.
bool parseRequestLine(const QByteArray& line, QByteArray& method, bool& knownPath)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || parts[0].isEmpty() || !parts[2].startsWith("HTTP/1."))
        return false;
    method = parts[0];
    knownPath = parts[1] == "/" || parts[1].startsWith("/?");
    return true;
}

// Whether a comma-separated header value holds `token`, in any case.
bool hasToken(const QList<QByteArray>& values, const QByteArray& token)
{
    for (const QByteArray& value : values)
        for (const QByteArray& item : value.split(','))
            if (item.trimmed().toLower() == token)
                return true;
    return false;
}

}  // namespace

int headerBlockEnd(const QByteArray& received)
{
    const int at = received.indexOf(kBlockEnd);
    return at < 0 ? -1 : at + kBlockEnd.size();
}

HandshakeJudgement judgeHandshake(const QByteArray& block, const OriginList& origins, quint16 port)
{
    HandshakeJudgement judgement;
    const QList<QByteArray> lines = block.split('\n');
    QList<QByteArray> trimmedLines;
    for (const QByteArray& line : lines)
        trimmedLines.append(line.endsWith('\r') ? line.chopped(1) : line);

    QByteArray method;
    bool knownPath = false;
    QList<QByteArray> hosts;
    QList<QByteArray> originValues;
    QList<QByteArray> upgrades;
    if (!parseRequestLine(trimmedLines.first(), method, knownPath) || !headerValues(trimmedLines, "host", hosts) ||
        !headerValues(trimmedLines, "origin", originValues) || !headerValues(trimmedLines, "upgrade", upgrades) ||
        hosts.size() != 1 || originValues.size() > 1)
        return judgement;
    if (!originValues.isEmpty())
        judgement.origin = originValues.first();

    if (!isLoopbackHost(hosts.first(), port))
        judgement.verdict = HandshakeVerdict::ForeignHost;
    else if (!originValues.isEmpty() && !origins.allows(judgement.origin))
        judgement.verdict = HandshakeVerdict::OriginRefused;
    else if (!knownPath)
        judgement.verdict = HandshakeVerdict::UnknownPath;
    else if (method != "GET" || !hasToken(upgrades, "websocket"))
        judgement.verdict = HandshakeVerdict::NotWebSocket;
    else
        judgement.verdict = HandshakeVerdict::Admit;
    return judgement;
}
