// SPDX-License-Identifier: Apache-2.0
#include "replies.h"

#include "card_copy.h"
#include "result_text.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <pelorin/pelorin_api.h>

namespace {

QByteArray message(QJsonObject object, const QJsonValue& id)
{
    if (!id.isUndefined())
        object["id"] = id;
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject failure(int result)
{
    return {{"type", "error"},
            {"error", readResultName(result)},
            {"result", result},
            {"text", readResultExplanation(result)}};
}

QJsonObject cardMessage(const char* type, const Request& request, const ReadOutcome& outcome)
{
    QJsonObject object{{"type", type}, {"card", outcome.card}};
    if (request.photo)
        object["photo"] = outcome.photoPng;
    if (request.faces) {
        object["front"] = outcome.frontJpeg;
        object["back"] = outcome.backJpeg;
    }
    return object;
}

// The copy the request asks for, in base64; empty when it cannot be composed.
QString copyBase64(const Request& request, const ReadOutcome& outcome)
{
    const std::optional<CopyFormat> format = copyFormatNamed(request.copy);
    if (!format || !outcome.read)
        return QString();
    return QString::fromLatin1(cardCopy(*outcome.read, *format, request.watermark).toBase64());
}

}  // namespace

QByteArray versionReply(const QJsonValue& id)
{
    return message({{"type", "version"},
                    {"service", PELORIN_SERVICE_VERSION},
                    {"sdk", QString::fromStdString(getSDKVersion())}},
                   id);
}

QByteArray watchReply(const QJsonValue& id, bool watching)
{
    return message({{"type", watching ? "watch" : "unwatch"}, {"watching", watching}}, id);
}

QByteArray protocolError(const QJsonValue& id, const char* error, const QString& text)
{
    return message({{"type", "error"}, {"error", error}, {"text", text}}, id);
}

QByteArray tooManyReadsError(const QJsonValue& id, int limit, bool copies)
{
    return protocolError(id, "TOO_MANY_READS",
                         QString("%1 reads%2 of this client are waiting already; ask again once one is answered")
                             .arg(limit)
                             .arg(copies ? " with a copy" : ""));
}

QByteArray readReply(const Request& request, const ReadOutcome& outcome)
{
    if (outcome.result != READ_OK)
        return message(failure(outcome.result), request.id);
    QJsonObject reply = cardMessage("read", request, outcome);
    if (!request.copy.isEmpty())
        reply["copy"] = copyBase64(request, outcome);
    return message(reply, request.id);
}

QByteArray cardEvent(const Request& watch, const ReadOutcome& outcome)
{
    return message(cardMessage("card", watch, outcome), QJsonValue::Undefined);
}

QByteArray removedEvent(const QJsonValue& idCode)
{
    return message({{"type", "removed"}, {"idCode", idCode}}, QJsonValue::Undefined);
}

QByteArray watchFailureEvent(int result)
{
    QJsonObject object = failure(result);
    object["watch"] = true;
    return message(object, QJsonValue::Undefined);
}
