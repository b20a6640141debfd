// SPDX-License-Identifier: Apache-2.0
#include "birth_date.h"

#include <QString>

BIRTH_INFO splitBirthDate(const std::string& date)
{
    const QString text = QString::fromStdString(date);
    return {text.mid(0, 4).toStdString(), text.mid(4, 2).toStdString(), text.mid(6).toStdString()};
}
