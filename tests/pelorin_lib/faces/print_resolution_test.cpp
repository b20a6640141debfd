// SPDX-License-Identifier: Apache-2.0
// The faces drawn for print: every face covers the card's 85.6 mm at the
// printer's resolution, the lengths given in pixels grow with it, and the
// screen's faces are what they were once printing is over.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QPixmap>

#include "card_faces.h"
#include "card_fonts.h"
#include "sample_cards.h"
#include <pelorin/tools.h>

namespace {

const QSize kResidentScreenFace(325, 205);
const QSize kPixelFace(494, 312);

// Each face as the composer draws it, with the size of its picture in dots.
std::vector<std::pair<const char*, QSize>> faceSizes()
{
    const auto resident = SampleCards::resident();
    const auto hongKong = SampleCards::hongKongPermit();
    const auto foreignerNew = SampleCards::foreignerNew();
    const auto foreigner2017 = SampleCards::foreigner2017();
    return {{"resident front", CardFaces::cnFront(*resident).size()},
            {"resident back", CardFaces::cnBack(*resident).size()},
            {"permit front", CardFaces::hmtFront(*hongKong).size()},
            {"permit back", CardFaces::hmtBack(*hongKong).size()},
            {"new foreigner front", CardFaces::foreignNewFront(*foreignerNew).size()},
            {"new foreigner back", CardFaces::foreignNewBack().size()},
            {"2017 foreigner front", CardFaces::foreign2017Front(*foreigner2017).size()},
            {"2017 foreigner back", CardFaces::foreign2017Back().size()}};
}

}  // namespace

TEST(PrintResolution, EveryFaceCoversTheCardAtThePrintersDots)
{
    {
        const CardFaces::PrintResolution print(300);
        EXPECT_DOUBLE_EQ(Tools::getmm2Pixel(), 300 / 25.4);
        for (const auto& [face, size] : faceSizes()) {
            // 85.6 x 54.0 mm at 300 dpi, give or take the resident canvas's spare pixels.
            EXPECT_NEAR(size.width(), 1011, 2) << face;
            EXPECT_NEAR(size.height(), 638, 1) << face;
        }
    }
    EXPECT_DOUBLE_EQ(Tools::getmm2Pixel(), 96 / 25.4) << "the screen's again";
    for (const auto& [face, size] : faceSizes())
        EXPECT_EQ(size, QString(face).startsWith("resident") ? kResidentScreenFace : kPixelFace) << face;
}

TEST(PrintResolution, PixelLengthsGrowWithTheResolution)
{
    // The right-anchored month and day end a fixed distance left of their point:
    // on paper as far as on the screen, or they would run into the printed labels.
    const QString day = QStringLiteral("15");
    const qreal onScreen = Tools::getTextPixelWidth(CardFonts::fieldFamily(), 9, day);
    const CardFaces::PrintResolution print(288);
    EXPECT_NEAR(Tools::getTextPixelWidth(CardFonts::fieldFamily(), 9, day), 3 * onScreen, 3);
}
