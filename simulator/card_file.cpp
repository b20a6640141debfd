// SPDX-License-Identifier: Apache-2.0
#include "card_file.h"

#include "card_info_fields.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

constexpr qint64 kMaxCardFileBytes = 1024 * 1024;

// Reads at most `limit` bytes; a longer file (or an endless one such as a
// device) is refused rather than read into memory.
bool readSmallFile(const QString& path, qint64 limit, QByteArray& bytes, QString& problem)
{
    QFile file(path);
    if (!QFileInfo::exists(path)) {
        problem = QStringLiteral("does not exist");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return false;
    }
    // In pieces: one read of limit + 1 bytes would allocate the whole limit every time.
    bytes.clear();
    char piece[16384];
    qint64 got = 0;
    while (bytes.size() <= limit && (got = file.read(piece, sizeof piece)) > 0)
        bytes.append(piece, static_cast<int>(got));
    if (got < 0) {
        problem = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return false;
    }
    if (bytes.size() > limit) {
        problem = QStringLiteral("is longer than %1 bytes").arg(limit);
        return false;
    }
    return true;
}

bool readCardType(const QJsonValue& value, int32_t& cardType, QString& problem)
{
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || number != std::floor(number) ||
        number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max()) {
        problem = QStringLiteral("\"cardType\" must be a whole number");
        return false;
    }
    cardType = static_cast<int32_t>(number);
    return true;
}

// Both "fields" and "fieldsHex" are objects keyed by CardInfoStruct field names.
template <typename WriteValue>
bool forEachField(const QJsonObject& card, const QString& key, QString& problem, WriteValue write)
{
    if (!card.contains(key))
        return true;
    if (!card.value(key).isObject()) {
        problem = QStringLiteral("\"%1\" must be an object").arg(key);
        return false;
    }
    const QJsonObject fields = card.value(key).toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const cardproto::TextField* field = cardproto::cardInfoFieldNamed(it.key().toStdString());
        if (!field) {
            problem = QStringLiteral("unknown field name \"%1\" in \"%2\"").arg(it.key(), key);
            return false;
        }
        if (!it.value().isString()) {
            problem = QStringLiteral("\"%1\" in \"%2\" must be a string").arg(it.key(), key);
            return false;
        }
        if (!write(*field, it.value().toString(), problem))
            return false;
    }
    return true;
}

bool parseHexBytes(const QString& text, QByteArray& bytes)
{
    QString digits = text;
    digits.remove(QRegularExpression(QStringLiteral("\\s")));
    static const QRegularExpression hexPairs(QStringLiteral("\\A(?:[0-9A-Fa-f]{2})*\\z"));
    if (!hexPairs.match(digits).hasMatch())
        return false;
    bytes = QByteArray::fromHex(digits.toLatin1());
    return true;
}

// "photo" and "fingerprints" name files relative to the card file.
bool readSideFile(const QJsonObject& card, const QString& key, const QDir& cardDir, qint64 limit,
                  QByteArray& bytes, QString& problem)
{
    bytes.clear();
    if (!card.contains(key))
        return true;
    if (!card.value(key).isString()) {
        problem = QStringLiteral("\"%1\" must be a file name").arg(key);
        return false;
    }
    const QString name = card.value(key).toString();
    QString fileProblem;
    if (!readSmallFile(cardDir.filePath(name), limit, bytes, fileProblem)) {
        problem = QStringLiteral("%1 file \"%2\" %3").arg(key, name, fileProblem);
        return false;
    }
    return true;
}

bool checkKeys(const QJsonObject& card, QString& problem)
{
    static const QStringList known{QStringLiteral("cardType"), QStringLiteral("fields"),
                                   QStringLiteral("fieldsHex"), QStringLiteral("photo"),
                                   QStringLiteral("fingerprints")};
    for (const QString& key : card.keys()) {
        if (!known.contains(key)) {
            problem = QStringLiteral("unknown key \"%1\"").arg(key);
            return false;
        }
    }
    if (!card.contains(QStringLiteral("cardType"))) {
        problem = QStringLiteral("\"cardType\" is missing");
        return false;
    }
    return true;
}

}  // namespace

bool loadCardFile(const QString& path, SimulatedCard& card, QString& problem)
{
    QByteArray json;
    if (!readSmallFile(path, kMaxCardFileBytes, json, problem))
        return false;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        problem = QStringLiteral("is not valid JSON (%1 at byte %2)")
                      .arg(parseError.errorString())
                      .arg(parseError.offset);
        return false;
    }
    if (!document.isObject()) {
        problem = QStringLiteral("is not a JSON object");
        return false;
    }
    const QJsonObject object = document.object();
    const QDir cardDir = QFileInfo(path).absoluteDir();

    SimulatedCard loaded;
    const bool ok =
        checkKeys(object, problem) &&
        readCardType(object.value(QStringLiteral("cardType")), loaded.info.cardType, problem) &&
        forEachField(object, QStringLiteral("fields"), problem,
                     [&](const cardproto::TextField& field, const QString& text, QString&) {
                         cardproto::writeFieldText(loaded.info, field, text.toStdU16String());
                         return true;
                     }) &&
        // Exact bytes come after the texts, so they win for a field named in both.
        forEachField(object, QStringLiteral("fieldsHex"), problem,
                     [&](const cardproto::TextField& field, const QString& text, QString& fieldProblem) {
                         QByteArray bytes;
                         if (!parseHexBytes(text, bytes)) {
                             fieldProblem = QStringLiteral("\"%1\" in \"fieldsHex\" is not hex bytes")
                                                .arg(QLatin1String(field.name));
                             return false;
                         }
                         if (static_cast<size_t>(bytes.size()) > field.recordSize) {
                             fieldProblem = QStringLiteral("\"%1\" in \"fieldsHex\" has %2 bytes, more than the field's %3")
                                                .arg(QLatin1String(field.name))
                                                .arg(bytes.size())
                                                .arg(field.recordSize);
                             return false;
                         }
                         cardproto::writeFieldBytes(loaded.info, field,
                                                    reinterpret_cast<const uint8_t*>(bytes.constData()),
                                                    size_t(bytes.size()));
                         return true;
                     }) &&
        readSideFile(object, QStringLiteral("photo"), cardDir, kMaxPhotoBytes, loaded.photo, problem) &&
        readSideFile(object, QStringLiteral("fingerprints"), cardDir, kMaxFingerprintBytes,
                     loaded.fingerprints, problem);
    if (ok)
        card = loaded;
    return ok;
}
