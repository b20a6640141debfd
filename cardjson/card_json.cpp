// SPDX-License-Identifier: Apache-2.0
#include "card_json.h"

#include "card_checks.h"
#include "card_kinds.h"
#include "record_layout.h"
#include "reader_library.h"

#include <pelorin/tools.h>

namespace {

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// The country code beside the name: the read path stores the country's
// name, the raw card parser the code itself or "name / code".
QString nationalityCode(const std::string& nationality)
{
    if (!Tools::convertNationCodeToName(nationality).empty())
        return text(nationality);
    const QString separator = QString::fromUtf8(cardproto::kLanguageSeparator);
    const QString field = text(nationality);
    if (field.contains(separator))
        return field.section(separator, -1);
    return text(Tools::convertNationNameToCode(nationality));
}

QJsonObject birthJson(const BIRTH_INFO& birth)
{
    return {{"year", text(birth.year)}, {"month", text(birth.month)}, {"day", text(birth.day)}};
}

QJsonObject periodJson(const VALID_PERIOD_INFO& period)
{
    return {{"start", text(period.start)}, {"end", text(period.end)}};
}

// What the JSON holds beyond the fields the card's text fills: the foreigner
// cards' nationality code and the 2017 card's accepting authority.
void addRecordExtras(QJsonObject&, const ID_TEXT_INFO_CN&) {}
void addRecordExtras(QJsonObject&, const ID_TEXT_INFO_HMT&) {}

void addRecordExtras(QJsonObject& json, const ID_TEXT_INFO_FOREIGN_NEW& r)
{
    json["nationalityCode"] = nationalityCode(r.nationality);
}

void addRecordExtras(QJsonObject& json, const ID_TEXT_INFO_FOREIGN_2017& r)
{
    json["nationalityCode"] = nationalityCode(r.nationality);
    json["acceptanceDept"] = text(r.acceptanceDept);
}

// Every field of the text record by its name, in the card's layout.
template <typename Text>
QJsonObject recordJson(const Text& r)
{
    QJsonObject json;
    const cardproto::RecordLayout<Text> layout = cardproto::recordLayoutOf(r);
    for (size_t i = 0; i < layout.count; ++i) {
        const cardproto::RecordField<Text>& field = layout.fields[i];
        if (field.target != nullptr)
            json[field.name] = text(r.*field.target);
        else if (field.conversion == cardproto::Conversion::BirthDate)
            json["birth"] = birthJson(r.birth);
        else
            json["validPeriod"] = periodJson(r.validPeriod);
    }
    addRecordExtras(json, r);
    return json;
}

const char* fingerprintTypeName(FP_INFO_TYPE type)
{
    switch (type) {
    case TWO_FP_INFO: return "TWO_FP_INFO";
    case ONE_FP_INFO: return "ONE_FP_INFO";
    case NO_FP_INFO: return "NO_FP_INFO";
    }
    return "UNKNOWN";
}

// Only the resident card carries fingerprints.
void addFingerprintType(QJsonObject& card, const IDCARD_INFO_ALL_CN& record)
{
    card["finger_info_type"] = fingerprintTypeName(record.idInfoTailCN.finger_info_type);
}

template <typename Record>
void addFingerprintType(QJsonObject&, const Record&)
{
}

}  // namespace

const char* idTypeName(ID_TYPE type)
{
    return CardKinds::nameOf(type);
}

QJsonObject cardJson(const CardRead& read, const QJsonObject& files, const QDate& today)
{
    QJsonObject card{{"kind", idTypeName(read.idType)},
                     {"idType", static_cast<int>(read.idType)},
                     {"files", files},
                     {"facesDegraded", read.facesDegraded},
                     {"checks", checksJson(checkCard(read, today))}};
    CardKinds::visitRecord(read.idType, read.records(), [&](auto kind, const auto& record) {
        card["record"] = recordJson(record.*kind.text);
        addFingerprintType(card, record);
    });
    return card;
}

QJsonObject cardJsonFromReader(const CardRead& read, const QJsonObject& files, const QDate& today)
{
    QJsonObject card = cardJson(read, files, today);
    card["readerLibrary"] = readerLibraryPath();
    return card;
}
