// SPDX-License-Identifier: Apache-2.0
#include "request_handler.h"

#include "replies.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

constexpr qint64 kMilli = 1000;

// Fills `request` from a parsed message; an empty result means it is good.
QByteArray parseRequest(const QJsonObject& object, Request& request)
{
    const QJsonValue id = object.value("id");
    if (!id.isUndefined() && !id.isDouble() && !id.isString())
        return protocolError(QJsonValue::Undefined, "BAD_FIELD", "\"id\" must be a number or a string");
    request.id = id;

    for (auto [name, flag] : {std::pair<const char*, bool*>{"photo", &request.photo}, {"faces", &request.faces}}) {
        const QJsonValue value = object.value(name);
        if (!value.isUndefined() && !value.isBool())
            return protocolError(id, "BAD_FIELD", QString("\"%1\" must be true or false").arg(name));
        *flag = value.toBool();
    }

    const QJsonValue copy = object.value("copy");
    if (!copy.isUndefined() && copy != "pdf" && copy != "png")
        return protocolError(id, "BAD_FIELD", "\"copy\" must be \"pdf\" or \"png\"");
    request.copy = copy.toString();
    const QJsonValue watermark = object.value("watermark");
    if (!watermark.isUndefined() && !watermark.isString())
        return protocolError(id, "BAD_FIELD", "\"watermark\" must be a text");
    request.watermark = watermark.toString();

    const QJsonValue type = object.value("type");
    if (type == "version")
        return versionReply(id);
    if (type == "read") {
        request.kind = Request::Read;
        return {};
    }
    if (type == "watch" || type == "unwatch") {
        request.kind = type == "watch" ? Request::Watch : Request::Unwatch;
        return watchReply(id, request.kind == Request::Watch);
    }
    if (!type.isString())
        return protocolError(id, "MALFORMED_MESSAGE", "the message has no \"type\" text");
    return protocolError(id, "UNKNOWN_TYPE",
                         QString("unknown message type \"%1\" (expected version, read, watch or unwatch)")
                             .arg(type.toString()));
}

}  // namespace

RequestHandler::RequestHandler(const MessageLimits& limits)
    : m_limits(limits), m_tokensMilli(static_cast<qint64>(limits.requestsPerSecond) * kMilli)
{
}

bool RequestHandler::takeToken(qint64 nowMs)
{
    const qint64 capacity = static_cast<qint64>(m_limits.requestsPerSecond) * kMilli;
    // A clock that stands still or steps back refills nothing; a long pause
    // refills at most the whole bucket.
    const qint64 elapsed = m_lastMs < 0 ? 0 : std::clamp<qint64>(nowMs - m_lastMs, 0, kMilli);
    m_lastMs = std::max(m_lastMs, nowMs);
    m_tokensMilli = std::min(capacity, m_tokensMilli + elapsed * m_limits.requestsPerSecond);
    if (m_tokensMilli < kMilli)
        return false;
    m_tokensMilli -= kMilli;
    return true;
}

Handled RequestHandler::limitsBroken(qint64 messageBytes, qint64 nowMs)
{
    Handled handled;
    if (messageBytes > m_limits.maxMessageBytes) {
        handled.disconnect = true;
        handled.reason = QString("message of more than %1 bytes").arg(m_limits.maxMessageBytes);
    } else if (!takeToken(nowMs)) {
        handled.disconnect = true;
        handled.reason = QString("more than %1 requests a second").arg(m_limits.requestsPerSecond);
    }
    return handled;
}

Handled RequestHandler::handleText(const QByteArray& utf8, qint64 nowMs)
{
    Handled handled = limitsBroken(utf8.size(), nowMs);
    if (handled.disconnect)
        return handled;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &parseError);
    if (!document.isObject()) {
        handled.reply = protocolError(QJsonValue::Undefined, "MALFORMED_MESSAGE",
                                      parseError.error == QJsonParseError::NoError
                                          ? QString("the message is not a JSON object")
                                          : QString("the message is not JSON: %1 at byte %2")
                                                .arg(parseError.errorString())
                                                .arg(parseError.offset));
        return handled;
    }
    handled.reply = parseRequest(document.object(), handled.request);
    return handled;
}

Handled RequestHandler::handleBinary(qint64 messageBytes, qint64 nowMs)
{
    Handled handled = limitsBroken(messageBytes, nowMs);
    if (!handled.disconnect)
        handled.reply = protocolError(QJsonValue::Undefined, "MALFORMED_MESSAGE",
                                      "binary messages are not understood; send JSON text");
    return handled;
}
