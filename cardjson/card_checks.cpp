// SPDX-License-Identifier: Apache-2.0
#include "card_checks.h"

#include <algorithm>

#include "card_kinds.h"

namespace {

const int kIdWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
const char kIdCheckCharacters[] = "10X98765432";  // by the weighted sum modulo 11
const int kIdLength = 18;
const int kIdBirthStart = 6;
const int kIdBirthLength = 8;
const int kIdSexDigit = 16;

// The fields the checks read, whatever the card's kind.
struct CheckedFields {
    QString idCode;
    QString birth;  // YYYYMMDD, joined again from its parts
    QString gender;
    QString validEnd;
    bool residentNumber;          // built like the resident card's number
    bool numberTellsBirthAndSex;  // its digits hold the birth date and the sex
};

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

template <typename Record>
CheckedFields fieldsOf(const Record& record, bool residentNumber, bool numberTellsBirthAndSex)
{
    return {text(record.idCode), text(record.birth.year) + text(record.birth.month) + text(record.birth.day),
            text(record.gender), text(record.validPeriod.end), residentNumber, numberTellsBirthAndSex};
}

CheckedFields fieldsOf(const ID_TEXT_INFO_CN& record)
{
    return fieldsOf(record, true, true);
}

CheckedFields fieldsOf(const ID_TEXT_INFO_HMT& record)
{
    return fieldsOf(record, true, true);
}

CheckedFields fieldsOf(const ID_TEXT_INFO_FOREIGN_NEW& record)
{
    return fieldsOf(record, true, false);
}

CheckedFields fieldsOf(const ID_TEXT_INFO_FOREIGN_2017& record)
{
    return fieldsOf(record, false, false);
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::optional<QDate> dateOf(const QString& yyyymmdd)
{
    if (yyyymmdd.size() != 8 || !std::all_of(yyyymmdd.begin(), yyyymmdd.end(), isDigit))
        return std::nullopt;
    const QDate date(yyyymmdd.left(4).toInt(), yyyymmdd.mid(4, 2).toInt(), yyyymmdd.mid(6, 2).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

bool idNumberValid(const QString& number)
{
    if (number.size() != kIdLength)
        return false;
    int sum = 0;
    for (int i = 0; i < kIdLength - 1; ++i) {
        if (!isDigit(number.at(i)))
            return false;
        sum += (number.at(i).unicode() - '0') * kIdWeights[i];
    }
    const QChar last = number.at(kIdLength - 1);
    return (last == QLatin1Char('x') ? QLatin1Char('X') : last) == QLatin1Char(kIdCheckCharacters[sum % 11]);
}

std::optional<bool> birthMatches(const CheckedFields& fields)
{
    if (fields.idCode.isEmpty() || fields.birth.isEmpty())
        return std::nullopt;
    return fields.idCode.mid(kIdBirthStart, kIdBirthLength) == fields.birth;
}

std::optional<bool> genderMatches(const CheckedFields& fields)
{
    const bool male = fields.gender.contains(QStringLiteral("男"));
    const bool female = fields.gender.contains(QStringLiteral("女"));
    if (fields.idCode.isEmpty() || male == female)
        return std::nullopt;
    if (fields.idCode.size() <= kIdSexDigit || !isDigit(fields.idCode.at(kIdSexDigit)))
        return false;
    const bool odd = (fields.idCode.at(kIdSexDigit).unicode() - '0') % 2 == 1;
    return odd == male;
}

std::optional<bool> expired(const QString& end, const QDate& today)
{
    if (end.contains(QStringLiteral("长期")))
        return false;
    const std::optional<QDate> last = dateOf(end);
    if (!last)
        return std::nullopt;
    return *last < today;
}

std::optional<int> ageYears(const QString& birth, const QDate& today)
{
    const std::optional<QDate> born = dateOf(birth);
    if (!born || *born > today)
        return std::nullopt;
    int years = today.year() - born->year();
    if (today.month() < born->month() || (today.month() == born->month() && today.day() < born->day()))
        --years;
    return years;
}

QJsonValue json(const std::optional<bool>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

}  // namespace

CardChecks checkCard(const CardRead& read, const QDate& today)
{
    const std::optional<CheckedFields> found =
        CardKinds::visitRecord(read.idType, read.records(), [](auto kind, const auto& record) {
            return std::optional<CheckedFields>(fieldsOf(record.*kind.text));
        });
    if (!found)
        return {};
    const CheckedFields& fields = *found;
    CardChecks checks;
    if (fields.residentNumber)
        checks.idNumberValid = idNumberValid(fields.idCode);
    if (fields.numberTellsBirthAndSex) {
        checks.birthMatchesIdNumber = birthMatches(fields);
        checks.genderMatchesIdNumber = genderMatches(fields);
    }
    checks.expired = expired(fields.validEnd, today);
    checks.ageYears = ageYears(fields.birth, today);
    return checks;
}

QJsonObject checksJson(const CardChecks& checks)
{
    return {{"idNumberValid", json(checks.idNumberValid)},
            {"birthMatchesIdNumber", json(checks.birthMatchesIdNumber)},
            {"genderMatchesIdNumber", json(checks.genderMatchesIdNumber)},
            {"expired", json(checks.expired)},
            {"ageYears", checks.ageYears ? QJsonValue(*checks.ageYears) : QJsonValue(QJsonValue::Null)}};
}
