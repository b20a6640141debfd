// SPDX-License-Identifier: Apache-2.0
#include "face_text.h"

#include "tools.h"

namespace FaceText {

namespace {

const QString kLongTerm = QStringLiteral("长期");
const QString kLanguageSeparator = QStringLiteral(" / ");

// Inserting past the end first pads the text with spaces up to the insert position.
void insertDot(QString& text, int position)
{
    if (text.size() < position)
        text = text.leftJustified(position, QLatin1Char(' '));
    text.insert(position, QLatin1Char('.'));
}

QString dottedDate(QString date)
{
    insertDot(date, 6);
    insertDot(date, 4);
    return date;
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
    const QString endText = end.contains(kLongTerm) ? end : dottedDate(end);
    return dottedDate(start) + QStringLiteral(" - ") + endText;
}

QString bilingualSex(const QString& gender)
{
    if (gender.contains(QStringLiteral("女")))
        return QStringLiteral("女 / F");
    if (gender.contains(QStringLiteral("男")))
        return QStringLiteral("男 / M");
    return gender;
}

QString bilingualNationality(const QString& nationality)
{
    if (nationality.isEmpty() || nationality.contains(kLanguageSeparator))
        return nationality;
    const QString nameOfCode =
        QString::fromStdString(Tools::convertNationCodeToName(nationality.toStdString()));
    if (!nameOfCode.isEmpty())
        return nameOfCode + kLanguageSeparator + nationality;
    const QString codeOfName =
        QString::fromStdString(Tools::convertNationNameToCode(nationality.toStdString()));
    if (!codeOfName.isEmpty())
        return nationality + kLanguageSeparator + codeOfName;
    // Unknown code: no name, only the separator and the code.
    return kLanguageSeparator + nationality;
}

}  // namespace FaceText
