// SPDX-License-Identifier: Apache-2.0
#include "card_fonts.h"

#include <QFont>

namespace {

// The card families are rarely installed; without a stand-in Qt would pick a
// Latin font and fall back glyph by glyph, with other metrics on every machine.
// Substitutions only name a preference: an installed family keeps its own glyphs.
struct CardFontSubstitution {
    CardFontSubstitution()
    {
        const QStringList standIn{CardFonts::standInFamily()};
        QFont::insertSubstitutions(CardFonts::fieldFamily(), standIn);
        QFont::insertSubstitutions(CardFonts::numberFamily(), standIn);
    }
} registerAtLoad;

}  // namespace
