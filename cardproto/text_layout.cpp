// SPDX-License-Identifier: Apache-2.0
#include "text_layout.h"

namespace cardproto {

const CardLayout& layoutOf(CardKind kind)
{
    for (const CardLayout& layout : kCardLayouts)
        if (layout.kind == kind)
            return layout;
    return kCardLayouts[0];
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
    return layoutOf(kind).genderWord(code);
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
