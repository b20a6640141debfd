// SPDX-License-Identifier: Apache-2.0
#include "card_json.h"

#include "card_checks.h"
#include "card_kinds.h"
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
    const QString separator = QStringLiteral(" / ");
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

QJsonObject recordJson(const ID_TEXT_INFO_CN& r)
{
    return {{"name", text(r.name)},       {"gender", text(r.gender)},
            {"nation", text(r.nation)},   {"birth", birthJson(r.birth)},
            {"address", text(r.address)}, {"idCode", text(r.idCode)},
            {"dept", text(r.dept)},       {"validPeriod", periodJson(r.validPeriod)}};
}

QJsonObject recordJson(const ID_TEXT_INFO_HMT& r)
{
    return {{"name", text(r.name)},
            {"gender", text(r.gender)},
            {"birth", birthJson(r.birth)},
            {"address", text(r.address)},
            {"idCode", text(r.idCode)},
            {"dept", text(r.dept)},
            {"validPeriod", periodJson(r.validPeriod)},
            {"passCheckCode", text(r.passCheckCode)},
            {"changes", text(r.changes)}};
}

QJsonObject recordJson(const ID_TEXT_INFO_FOREIGN_NEW& r)
{
    return {{"nameCN", text(r.nameCN)},   {"gender", text(r.gender)},
            {"changes", text(r.changes)}, {"birth", birthJson(r.birth)},
            {"nameEN", text(r.nameEN)},   {"idCode", text(r.idCode)},
            {"validPeriod", periodJson(r.validPeriod)},
            {"nationality", text(r.nationality)},
            {"nationalityCode", nationalityCode(r.nationality)}};
}

QJsonObject recordJson(const ID_TEXT_INFO_FOREIGN_2017& r)
{
    return {{"nameEN", text(r.nameEN)},
            {"gender", text(r.gender)},
            {"idCode", text(r.idCode)},
            {"nationality", text(r.nationality)},
            {"nationalityCode", nationalityCode(r.nationality)},
            {"nameCN", text(r.nameCN)},
            {"validPeriod", periodJson(r.validPeriod)},
            {"birth", birthJson(r.birth)},
            {"acceptanceDept", text(r.acceptanceDept)}};
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
