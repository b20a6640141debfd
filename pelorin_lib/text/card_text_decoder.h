// SPDX-License-Identifier: Apache-2.0
// One decoder of a card's text into its public text record, walking the
// record layout of the card's kind. Where the text comes from decides how it
// is read: the raw text block gives codes and YYYYMMDD dates, which become
// words and dotted dates; the reader-access library's record already holds
// words, its dates stay as they are, and a country code becomes its name.
#pragma once

#include <functional>
#include <string>

#include "card_dates.h"
#include "iddata.h"
#include "record_layout.h"

enum class TextSource { CardBlock, ReaderRecord };

// The UTF-8 text of one field, at most `utf8Limit` bytes where the source
// has such a limit.
using FieldReader = std::function<std::string(const cardproto::TextField& field, int utf8Limit)>;

// The value a field's text gives, by the field's conversion; false when it
// gives none (a gender code without a word), which ends the record there.
// `names` names the raw block's codes; the reader's record needs none (null).
bool convertField(cardproto::Conversion conversion, const std::string& text, TextSource source,
                  CIdData* names, std::string& value);

// Told of each field: its text before conversion (value null), then its value.
template <typename Text>
using FieldWatch = std::function<void(const cardproto::RecordField<Text>& field, const std::string& text,
                                      const std::string* value)>;

// Fills `record` field by field in the order of the text block; false when a
// field ended it, with the fields before it written.
template <typename Text>
bool decodeCardText(const FieldReader& read, TextSource source, CIdData* names, Text& record,
                    const FieldWatch<Text>& watch = {})
{
    const cardproto::RecordLayout<Text> layout = cardproto::recordLayoutOf(record);
    for (size_t i = 0; i < layout.count; ++i) {
        const cardproto::RecordField<Text>& field = layout.fields[i];
        const std::string text = read(field.field, field.utf8Limit);
        if (watch)
            watch(field, text, nullptr);
        std::string value;
        if (field.conversion == cardproto::Conversion::BirthDate) {
            record.birth = splitBirthDate(text);
        } else {
            if (!convertField(field.conversion, text, source, names, value))
                return false;
            std::string& target = field.target != nullptr ? record.*field.target
                                  : field.conversion == cardproto::Conversion::ValidFrom
                                      ? record.validPeriod.start
                                      : record.validPeriod.end;
            target = value;
        }
        if (watch)
            watch(field, text, &value);
    }
    return true;
}
