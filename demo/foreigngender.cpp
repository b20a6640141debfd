// SPDX-License-Identifier: Apache-2.0
#include "foreigngender.h"

QString bilingualGender(const std::string &gender)
{
    if (gender == "男")
        return QStringLiteral("男 / M");
    if (gender == "女")
        return QStringLiteral("女 / F");
    return QString();
}
