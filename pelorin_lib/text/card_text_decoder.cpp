// SPDX-License-Identifier: Apache-2.0
#include "card_text_decoder.h"

#include <QString>
#include <cstdlib>

#include "card_codes.h"
#include "tools.h"

namespace {

using cardproto::Conversion;

const char* const kLongTerm = "长期";

// What the raw text block's field stands for.
bool convertBlockField(Conversion conversion, const std::string& text, CIdData& names, std::string& value)
{
    switch (conversion) {
    case Conversion::ValidUntilOrLongTerm:
        if (QString::fromStdString(text).contains(QString::fromUtf8(kLongTerm))) {
            value = kLongTerm;
            return true;
        }
        [[fallthrough]];
    case Conversion::ValidFrom:
    case Conversion::ValidUntil:
        value = dottedDate(QString::fromStdString(text)).toStdString();
        return true;
    case Conversion::ResidentGender:
        value = QString::fromUtf16(cardproto::residentGenderWord(std::atoi(text.c_str()))).toStdString();
        return true;
    case Conversion::GenderCode: {
        QString word;
        if (!names.parseGender(QString::fromStdString(text), word))
            return false;
        value = word.toStdString();
        return true;
    }
    case Conversion::NationCode:
        value = names.GetNation(uint16_t(std::atoi(text.c_str())));
        return true;
    case Conversion::NationalityBilingual: {
        QString country;
        names.parseNationality(QString::fromStdString(text), country);
        value = cardproto::bilingualCountry(country.toStdString(), text);
        return true;
    }
    case Conversion::Plain:
    case Conversion::BirthDate:
    case Conversion::NationalityCode:
        break;
    }
    value = text;
    return true;
}

}  // namespace

bool convertField(Conversion conversion, const std::string& text, TextSource source, CIdData* names,
                  std::string& value)
{
    if (source == TextSource::CardBlock)
        return convertBlockField(conversion, text, *names, value);
    // The reader-access library's record holds words and dates as they are
    // shown; only a country is given by its code.
    const bool country =
        conversion == Conversion::NationalityCode || conversion == Conversion::NationalityBilingual;
    value = country ? Tools::convertNationCodeToName(text) : text;
    return true;
}
