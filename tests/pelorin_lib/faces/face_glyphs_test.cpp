// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include <QFont>
#include <QString>

#include "face_glyphs.h"

// Names hold characters beyond the basic plane (𠮷 of 𠮷野): each is checked as
// the one character its surrogate pair stands for.
TEST(FaceGlyphs, ChecksACharacterBeyondTheBasicPlaneWhole)
{
    const QFont font(QStringLiteral("DejaVu Sans"));
    FaceGlyphs::Watch watch;
    FaceGlyphs::check(QString::fromUcs4(U"A\U0001D400B"), font);  // MATHEMATICAL BOLD CAPITAL A
    EXPECT_FALSE(watch.missed());
    FaceGlyphs::check(QString::fromUcs4(U"\U00013000"), font);  // a hieroglyph: no font here has it
    EXPECT_TRUE(watch.missed());
}
