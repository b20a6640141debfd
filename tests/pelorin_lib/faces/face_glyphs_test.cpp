// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include "face_glyphs.h"

// Names hold characters beyond the basic plane (𠮷 of 𠮷野): each is checked as
// the one character its surrogate pair stands for.
TEST(FaceGlyphs, ChecksACharacterBeyondTheBasicPlaneWhole)
{
    const QFont font(QStringLiteral("DejaVu Sans"));
    const QFontMetrics metrics(font);
    // One that some installed font draws (which one differs between systems).
    char32_t drawn = 0;
    for (const char32_t candidate : {U'\U00020BB7', U'\U0001D400', U'\U0001F600'})
        if (metrics.inFontUcs4(candidate)) {
            drawn = candidate;
            break;
        }
    ASSERT_NE(drawn, 0u) << "no installed font draws any of the test's characters";
    const char32_t text[] = {U'A', drawn, U'B'};
    FaceGlyphs::Watch watch;
    FaceGlyphs::check(QString::fromUcs4(text, 3), font);
    EXPECT_FALSE(watch.missed());
    FaceGlyphs::check(QString::fromUcs4(U"\U00013000"), font);  // a hieroglyph: no font here has it
    EXPECT_TRUE(watch.missed());
}
