// SPDX-License-Identifier: Apache-2.0
#include "card_dates.h"

BIRTH_INFO splitBirthDate(const std::string& date)
{
    const QString text = QString::fromStdString(date);
    return {text.mid(0, 4).toStdString(), text.mid(4, 2).toStdString(), text.mid(6).toStdString()};
}

QString dottedDate(const QString& date)
{
    return date.mid(0, 4) + "." + date.mid(4, 2) + "." + date.mid(6);
}
