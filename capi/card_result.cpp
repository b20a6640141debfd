// SPDX-License-Identifier: Apache-2.0
#include "card_result.h"

#include "card_json.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace {

// The texts come from the JSON record, so field names and values are the
// ones pelorin-read prints, and the two can never disagree.
void addTexts(const QJsonObject& object, const QString& prefix,
              std::vector<std::pair<std::string, std::string>>& texts)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString name = prefix + it.key();
        if (it.value().isObject())
            addTexts(it.value().toObject(), name + '.', texts);
        else
            texts.emplace_back(name.toStdString(), it.value().toString().toStdString());
    }
}

// A face the composer could not make, or that is not valid base64, is empty.
QByteArray decodeFace(std::string& base64)
{
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(base64),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    std::string().swap(base64);  // the decoded bytes are all the card keeps
    return decoded ? decoded.decoded : QByteArray();
}

}  // namespace

const std::string* CardResult::text(const char* field) const
{
    for (const auto& [name, value] : texts) {
        if (std::strcmp(name.c_str(), field) == 0)
            return &value;
    }
    return nullptr;
}

std::unique_ptr<CardResult> makeCardResult(std::unique_ptr<CardRead> read)
{
    auto card = std::make_unique<CardResult>();
    const QJsonObject json = cardJsonFromReader(*read, QJsonObject());
    card->json = QJsonDocument(json).toJson(QJsonDocument::Indented).toStdString();
    addTexts(json.value("record").toObject(), QString(), card->texts);
    card->front = decodeFace(read->frontBase64);
    card->back = decodeFace(read->backBase64);
    card->read = std::move(read);
    return card;
}
