// SPDX-License-Identifier: Apache-2.0
// The C interface's checks of a card, under the names of its JSON.
#include <pelorin/pelorin_c.h>

#include "card_checks.h"
#include "card_table.h"

namespace {

// The day a check is made for: today, or on_date as "YYYY-MM-DD"; invalid
// when on_date has another form.
QDate dayOf(const char* on_date)
{
    if (on_date == nullptr)
        return QDate::currentDate();
    const QString text = QString::fromUtf8(on_date);
    return text.size() == 10 ? QDate::fromString(text, Qt::ISODate) : QDate();
}

}  // namespace

extern "C" int pelorin_card_check(const pelorin_card* card, const char* check, const char* on_date, int* value)
{
    if (card == nullptr || check == nullptr || value == nullptr)
        return PELORIN_NULL_ARGUMENT;
    const QDate day = dayOf(on_date);
    if (!day.isValid())
        return PELORIN_BAD_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        // By the JSON's names, so the two can never name a check differently.
        const QJsonValue checked = checksJson(checkCard(*c.read, day)).value(QString::fromUtf8(check));
        if (checked.isUndefined())
            return PELORIN_UNKNOWN_FIELD;
        *value = checked.isNull()   ? PELORIN_CHECK_NONE
                 : checked.isBool() ? (checked.toBool() ? PELORIN_CHECK_TRUE : PELORIN_CHECK_FALSE)
                                    : checked.toInt();
        return PELORIN_OK;
    });
}
