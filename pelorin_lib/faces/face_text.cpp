// SPDX-License-Identifier: Apache-2.0
#include "face_text.h"

#include "card_codes.h"
#include "card_dates.h"
#include "tools.h"

namespace FaceText {

namespace {

const QString kLongTerm = QStringLiteral("长期");
const QString kLanguageSeparator = QString::fromUtf8(cardproto::kLanguageSeparator);

// A short date is padded with blanks to the month's end first, so its dots
// stand where a whole date has them.
QString paddedDottedDate(const QString& date)
{
    return dottedDate(date.leftJustified(6, QLatin1Char(' ')));
}

}  // namespace

QString fromField(const std::string& field)
{
    return QString::fromUtf8(field.c_str());
}

QString spreadName(const QString& name)
{
    QString spread = name.trimmed();
    if (spread.size() == 2)
        spread.insert(1, QStringLiteral("   "));
    return spread;
}

QString dropLeadingZero(const QString& value, bool* dropped)
{
    QString text = value.trimmed();
    const bool hasZero = text.startsWith(QLatin1Char('0'));
    if (hasZero)
        text.remove(0, 1);
    if (dropped)
        *dropped = hasZero;
    return text;
}

QString validPeriod(const QString& start, const QString& end)
{
    const QString endText = end.contains(kLongTerm) ? end : paddedDottedDate(end);
    return paddedDottedDate(start) + QStringLiteral(" - ") + endText;
}

QString bilingualSex(const QString& gender)
{
    // The field may hold more than the word: the word found decides, "女" first.
    for (const char* word : {"女", "男"})
        if (gender.contains(QString::fromUtf8(word)))
            return QString::fromUtf8(cardproto::bilingualGender(word));
    return gender;
}

QString bilingualNationality(const QString& nationality)
{
    if (nationality.isEmpty() || nationality.contains(kLanguageSeparator))
        return nationality;
    const std::string field = nationality.toStdString();
    const std::string nameOfCode = Tools::convertNationCodeToName(field);
    if (!nameOfCode.empty())
        return QString::fromStdString(cardproto::bilingualCountry(nameOfCode, field));
    const std::string codeOfName = Tools::convertNationNameToCode(field);
    if (!codeOfName.empty())
        return QString::fromStdString(cardproto::bilingualCountry(field, codeOfName));
    // Unknown code: no name, only the separator and the code.
    return QString::fromStdString(cardproto::bilingualCountry("", field));
}

}  // namespace FaceText
