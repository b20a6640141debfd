// SPDX-License-Identifier: Apache-2.0
// Which text field fills which field of the public text record of each card
// kind, and how: the table both decoders of a card's text walk, the one of
// the raw text block and the one of the reader-access library's record.
#pragma once

#include <cstddef>
#include <string>

#include <pelorin/pelorin_api.h>

#include "text_layout.h"

namespace cardproto {

// How a field's text becomes the record's value.
enum class Conversion {
    Plain,
    BirthDate,             // split into year, month and day
    ValidFrom,             // a date
    ValidUntil,            // a date
    ValidUntilOrLongTerm,  // a date, or "长期" for a card valid without end
    ResidentGender,        // code 1 is male, every other code female
    GenderCode,            // the gender table's word; no word stops the record
    NationCode,            // the ethnic group's name
    NationalityCode,       // the three-letter code, kept as it is
    NationalityBilingual,  // the country's name, " / ", the code
};

template <typename Text>
struct RecordField {
    const TextField& field;
    // The record's field and its name; null for the dates, which have places
    // of their own.
    std::string Text::*target;
    const char* name;
    int utf8Limit;  // most UTF-8 bytes the raw text block's field may give
    Conversion conversion;
};

template <typename Text>
struct RecordLayout {
    const RecordField<Text>* fields;
    size_t count;
};

namespace resident {
constexpr RecordField<ID_TEXT_INFO_CN> kRecord[] = {
    {name, &ID_TEXT_INFO_CN::name, "name", 30, Conversion::Plain},
    {gender, &ID_TEXT_INFO_CN::gender, "gender", 2, Conversion::ResidentGender},
    {nation, &ID_TEXT_INFO_CN::nation, "nation", 4, Conversion::NationCode},
    {birthDate, nullptr, nullptr, 16, Conversion::BirthDate},
    {address, &ID_TEXT_INFO_CN::address, "address", 100, Conversion::Plain},
    {idNumber, &ID_TEXT_INFO_CN::idCode, "idCode", 36, Conversion::Plain},
    {issuer, &ID_TEXT_INFO_CN::dept, "dept", 30, Conversion::Plain},
    {validFrom, nullptr, nullptr, 16, Conversion::ValidFrom},
    {validUntil, nullptr, nullptr, 16, Conversion::ValidUntilOrLongTerm},
};
}  // namespace resident

namespace residencePermit {
constexpr RecordField<ID_TEXT_INFO_HMT> kRecord[] = {
    {name, &ID_TEXT_INFO_HMT::name, "name", 30, Conversion::Plain},
    {gender, &ID_TEXT_INFO_HMT::gender, "gender", 2, Conversion::ResidentGender},
    {birthDate, nullptr, nullptr, 16, Conversion::BirthDate},
    {address, &ID_TEXT_INFO_HMT::address, "address", 100, Conversion::Plain},
    {idNumber, &ID_TEXT_INFO_HMT::idCode, "idCode", 36, Conversion::Plain},
    {issuer, &ID_TEXT_INFO_HMT::dept, "dept", 30, Conversion::Plain},
    {validFrom, nullptr, nullptr, 16, Conversion::ValidFrom},
    {validUntil, nullptr, nullptr, 16, Conversion::ValidUntilOrLongTerm},
    {passNumber, &ID_TEXT_INFO_HMT::passCheckCode, "passCheckCode", 18, Conversion::Plain},
    {issueCount, &ID_TEXT_INFO_HMT::changes, "changes", 4, Conversion::Plain},
};
}  // namespace residencePermit

namespace foreigner2017 {
constexpr RecordField<ID_TEXT_INFO_FOREIGN_2017> kRecord[] = {
    {nameEnglish, &ID_TEXT_INFO_FOREIGN_2017::nameEN, "nameEN", 120, Conversion::Plain},
    {gender, &ID_TEXT_INFO_FOREIGN_2017::gender, "gender", 2, Conversion::GenderCode},
    {idNumber, &ID_TEXT_INFO_FOREIGN_2017::idCode, "idCode", 30, Conversion::Plain},
    {nationality, &ID_TEXT_INFO_FOREIGN_2017::nationality, "nationality", 6, Conversion::NationalityCode},
    {nameChinese, &ID_TEXT_INFO_FOREIGN_2017::nameCN, "nameCN", 30, Conversion::Plain},
    {validFrom, nullptr, nullptr, 16, Conversion::ValidFrom},
    {validUntil, nullptr, nullptr, 16, Conversion::ValidUntil},
    {birthDate, nullptr, nullptr, 16, Conversion::BirthDate},
};
}  // namespace foreigner2017

namespace foreignerNew {
constexpr RecordField<ID_TEXT_INFO_FOREIGN_NEW> kRecord[] = {
    {nameChinese, &ID_TEXT_INFO_FOREIGN_NEW::nameCN, "nameCN", 30, Conversion::Plain},
    {gender, &ID_TEXT_INFO_FOREIGN_NEW::gender, "gender", 2, Conversion::GenderCode},
    {renewalCount, &ID_TEXT_INFO_FOREIGN_NEW::changes, "changes", 4, Conversion::Plain},
    {birthDate, nullptr, nullptr, 16, Conversion::BirthDate},
    {nameEnglish, &ID_TEXT_INFO_FOREIGN_NEW::nameEN, "nameEN", 70, Conversion::Plain},
    {idNumber, &ID_TEXT_INFO_FOREIGN_NEW::idCode, "idCode", 36, Conversion::Plain},
    {validFrom, nullptr, nullptr, 16, Conversion::ValidFrom},
    {validUntil, nullptr, nullptr, 16, Conversion::ValidUntil},
    {nationality, &ID_TEXT_INFO_FOREIGN_NEW::nationality, "nationality", 6, Conversion::NationalityBilingual},
};
}  // namespace foreignerNew

template <typename Text, size_t N>
constexpr RecordLayout<Text> recordLayout(const RecordField<Text> (&fields)[N])
{
    return {fields, N};
}

// The record fields of each text record, in the order of the text block.
inline RecordLayout<ID_TEXT_INFO_CN> recordLayoutOf(const ID_TEXT_INFO_CN&)
{
    return recordLayout(resident::kRecord);
}
inline RecordLayout<ID_TEXT_INFO_HMT> recordLayoutOf(const ID_TEXT_INFO_HMT&)
{
    return recordLayout(residencePermit::kRecord);
}
inline RecordLayout<ID_TEXT_INFO_FOREIGN_2017> recordLayoutOf(const ID_TEXT_INFO_FOREIGN_2017&)
{
    return recordLayout(foreigner2017::kRecord);
}
inline RecordLayout<ID_TEXT_INFO_FOREIGN_NEW> recordLayoutOf(const ID_TEXT_INFO_FOREIGN_NEW&)
{
    return recordLayout(foreignerNew::kRecord);
}

}  // namespace cardproto
