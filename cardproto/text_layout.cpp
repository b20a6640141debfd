// SPDX-License-Identifier: Apache-2.0
#include "text_layout.h"

namespace cardproto {

namespace {

const CardLayout* findLayout(CardKind kind)
{
    for (const CardLayout& layout : kCardLayouts)
        if (layout.kind == kind)
            return &layout;
    return nullptr;
}

}  // namespace

const CardLayout& layoutOf(CardKind kind)
{
    const CardLayout* layout = findLayout(kind);
    return layout != nullptr ? *layout : kCardLayouts[0];
}

CardKind cardKindOfCharacter(char16_t kindCharacter)
{
    // Any character no kind carries is a resident card's.
    for (const CardLayout& layout : kCardLayouts)
        if (layout.kindCharacter == kindCharacter)
            return layout.kind;
    return kResidentCard;
}

const char16_t* codeWord(FieldUse use, int code, CardKind kind)
{
    if (use == FieldUse::NationCode)
        return nationName(code);
    // A card file may give any cardType; one no layout has reads its gender
    // by the national table.
    const CardLayout* layout = findLayout(kind);
    return layout != nullptr ? layout->genderWord(code) : genderWord(code);
}

const TextField* cardInfoFieldNamed(const std::string& name)
{
    for (const CardLayout& layout : kCardLayouts)
        for (size_t i = 0; i < layout.fields.count; ++i)
            if (name == layout.fields.fields[i].name)
                return &layout.fields.fields[i];
    for (const TextField& field : kOutsideTextBlock)
        if (name == field.name)
            return &field;
    return nullptr;
}

}  // namespace cardproto
