// SPDX-License-Identifier: Apache-2.0
#include "scenario.h"

namespace {

bool parseNumber(const QByteArray& digits, bool allowNegative, int& value)
{
    static const QByteArray kSign("-");
    const QByteArray unsignedPart = allowNegative && digits.startsWith(kSign) ? digits.mid(1) : digits;
    if (unsignedPart.isEmpty())
        return false;
    for (char c : unsignedPart)
        if (c < '0' || c > '9')
            return false;
    bool ok = false;
    value = digits.toInt(&ok);
    return ok;
}

}  // namespace

bool parseScenario(const QByteArray& text, Scenario& scenario)
{
    struct Fixed {
        const char* name;
        Scenario::Kind kind;
    };
    static const Fixed kFixed[] = {{"", Scenario::Normal},
                                   {"no-reader", Scenario::NoReader},
                                   {"no-card", Scenario::NoCard},
                                   {"always-retry", Scenario::AlwaysRetry}};
    for (const Fixed& fixed : kFixed) {
        if (text == fixed.name) {
            scenario = {fixed.kind, 0};
            return true;
        }
    }

    struct WithNumber {
        const char* prefix;
        Scenario::Kind kind;
        bool allowNegative;
    };
    static const WithNumber kWithNumber[] = {{"retry:", Scenario::Retry, false},
                                             {"read-error:", Scenario::ReadError, true},
                                             {"block:", Scenario::Block, false},
                                             {"card-type:", Scenario::CardType, true}};
    for (const WithNumber& form : kWithNumber) {
        int value = 0;
        if (text.startsWith(form.prefix) &&
            parseNumber(text.mid(static_cast<int>(qstrlen(form.prefix))), form.allowNegative, value)) {
            scenario = {form.kind, value};
            return true;
        }
    }
    return false;
}
