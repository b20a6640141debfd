// SPDX-License-Identifier: Apache-2.0
#include "foreigngender.h"

#include "card_codes.h"

QString bilingualGender(const std::string &gender)
{
    const char *text = cardproto::bilingualGender(gender);
    return text ? QString::fromUtf8(text) : QString();
}
