// SPDX-License-Identifier: Apache-2.0
// The eight faces composed from the sample records, checked against their bare
// templates: the right size, ink where each item goes and nowhere else.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QList>
#include <QRect>
#include <QtConcurrent/QtConcurrentRun>

#include <cstring>
#include <random>

#include "face_image_compare.h"
#include <pelorin/makecardimg.h>
#include "sample_cards.h"
#include <pelorin/tools.h>

namespace {

const QSize kResidentFaceSize(325, 205);
const QSize kLargeFaceSize(494, 312);

// Where one item shows: its ink lies in the window and, for text, starts at x
// and stands on the baseline.
struct Item {
    QRect window;
    int x = -1;
    int baseline = -1;
};

// A text item drawn from (x, baseline) with glyphs up to `height` pixels tall.
Item text(int x, int baseline, int width, int height)
{
    return {QRect(x - 3, baseline - height - 2, width, height + 6), x, baseline};
}

// An item whose exact ink edges the check does not predict (photo, right-anchored text).
Item within(const QRect& window)
{
    return {window};
}

void expectInkOnlyAt(const QString& base64, const QString& templatePath, bool scaled, QSize size,
                     const QList<Item>& items)
{
    const QImage face = decodeFace(base64);
    ASSERT_FALSE(face.isNull());
    ASSERT_EQ(face.size(), size);
    const QImage blank = blankFace(templatePath, scaled);
    ASSERT_EQ(blank.size(), size);
    QList<QRect> windows;
    for (const Item& item : items) {
        const QRect& w = item.window;
        SCOPED_TRACE(testing::Message() << "item at " << w.x() << "," << w.y() << " " << w.width()
                                        << "x" << w.height());
        // JPEG spreads a little colour around sharp ink.
        windows << w.adjusted(-4, -4, 4, 4);
        EXPECT_GT(changedPixels(face, blank, w), 8);
        if (item.x < 0)
            continue;
        const QRect ink = changedBounds(face, blank, w);
        // Glyphs start a pixel right of their origin; digits end just above the
        // baseline, Chinese glyphs a pixel or two below it.
        EXPECT_GE(ink.left(), item.x - 1);
        EXPECT_LE(ink.left(), item.x + 2);
        EXPECT_GE(ink.bottom(), item.baseline - 2);
        EXPECT_LE(ink.bottom(), item.baseline + 2);
    }
    EXPECT_EQ(changedOutside(face, blank, windows), 0);
}

// A 38862-byte photo file: white background with a black square in the middle.
void putWhitePhoto(unsigned char* headImage)
{
    QImage photo(102, 126, QImage::Format_RGB32);
    photo.fill(Qt::white);
    QPainter(&photo).fillRect(QRect(31, 43, 40, 40), Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "BMP");
    ASSERT_EQ(bytes.size(), HEAD_IMAGE_BMP_SIZE);
    std::memcpy(headImage, bytes.constData(), HEAD_IMAGE_BMP_SIZE);
}

int channelDistance(QRgb a, QRgb b)
{
    return qMax(qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
}

// Bounds of the template's own dark ink (labels) in the region.
QRect darkBounds(const QImage& image, const QRect& region)
{
    QRect bounds;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

const QRect kResidentPhoto(203, 29, 100, 123);
const QRect kPermitPhoto(308, 51, 144, 176);
const QRect kPermitMonth(165, 120, 30, 20);
const QRect kPermitSecondAddressLine(96, 184, 210, 20);
const QRect kPermitBackTitle(150, 90, 300, 45);

}  // namespace

TEST(ResidentFaces, FrontItemsAtTheirMillimetrePositions)
{
    auto card = SampleCards::resident();
    expectInkOnlyAt(MakeCardImg::makeIDCardCNFrontBase64(card.get()), ":/Pics/IDCardFront.bmp", true,
                    kResidentFaceSize,
                    {text(64, 41, 70, 14), text(64, 65, 20, 12), text(128, 65, 30, 12),
                     text(64, 90, 35, 12), within(QRect(100, 76, 25, 18)),
                     within(QRect(135, 76, 22, 18)), text(64, 118, 140, 12), text(64, 134, 140, 12),
                     within(kResidentPhoto), text(113, 181, 175, 15)});
}

TEST(ResidentFaces, BackItemsAtTheirMillimetrePositions)
{
    auto card = SampleCards::resident();
    expectInkOnlyAt(MakeCardImg::makeIDCardCNBackBase64(card.get()), ":/Pics/IDCardBack.bmp", true,
                    kResidentFaceSize, {text(136, 157, 130, 12), text(136, 183, 140, 12)});
}

TEST(ResidentFaces, AddressOfMoreThanThirtyUnitsIsDrawnSmaller)
{
    auto card = SampleCards::resident();
    const QImage blank = blankFace(":/Pics/IDCardFront.bmp", true);
    const QRect firstLine(61, 103, 140, 18);
    std::string thirty;
    for (int i = 0; i < 30; ++i)
        thirty += "国";
    card->idTextInfoCN.address = thirty;
    const QRect at9 = changedBounds(decodeFace(MakeCardImg::makeIDCardCNFrontBase64(card.get())),
                                    blank, firstLine);
    card->idTextInfoCN.address = thirty + "1";
    const QRect at8 = changedBounds(decodeFace(MakeCardImg::makeIDCardCNFrontBase64(card.get())),
                                    blank, firstLine);
    // 11 glyphs of 12 and of 10 pixels: the 8-point line is narrower and lower.
    EXPECT_GE(at9.width() - at8.width(), 11);
    EXPECT_GE(at9.height() - at8.height(), 1);
}

// Faces of one template are drawn on the same picture, one after the other:
// each starts from the blank template, none keeps the ink of the one before.
TEST(ResidentFaces, FaceDrawnAfterAnotherKeepsNothingOfIt)
{
    auto card = SampleCards::resident();
    auto other = SampleCards::resident();
    other->idTextInfoCN.name = "欧阳娜娜娜";
    other->idTextInfoCN.address = std::string(60, '8');
    other->idTextInfoCN.dept = "某某市公安局某某分局";
    const QString front = MakeCardImg::makeIDCardCNFrontBase64(card.get());
    const QString back = MakeCardImg::makeIDCardCNBackBase64(card.get());
    EXPECT_NE(MakeCardImg::makeIDCardCNFrontBase64(other.get()), front);
    EXPECT_NE(MakeCardImg::makeIDCardCNBackBase64(other.get()), back);
    EXPECT_EQ(MakeCardImg::makeIDCardCNFrontBase64(card.get()), front);
    EXPECT_EQ(MakeCardImg::makeIDCardCNBackBase64(card.get()), back);
}

TEST(ResidentFaces, PhotoThatDoesNotDecodeIsLeftOut)
{
    auto card = SampleCards::resident();
    std::memset(card->idInfoTailCN.headImage, 0, HEAD_IMAGE_BMP_SIZE);
    const QImage face = decodeFace(MakeCardImg::makeIDCardCNFrontBase64(card.get()));
    ASSERT_EQ(face.size(), kResidentFaceSize);
    EXPECT_EQ(changedPixels(face, blankFace(":/Pics/IDCardFront.bmp", true), kResidentPhoto), 0);
}

TEST(PhotoBackground, WhiteIsTransparentExceptOnThePermit)
{
    auto cn = SampleCards::resident();
    putWhitePhoto(cn->idInfoTailCN.headImage);
    const QImage cnFace = decodeFace(MakeCardImg::makeIDCardCNFrontBase64(cn.get()));
    const QImage cnBlank = blankFace(":/Pics/IDCardFront.bmp", true);
    // Photo 97 x 120 at (204, 30): the square lands in its middle, the corner shows the card.
    EXPECT_GT(changedPixels(cnFace, cnBlank, QRect(240, 78, 25, 25)), 500);
    EXPECT_LE(channelDistance(cnFace.pixel(210, 36), cnBlank.pixel(210, 36)), 6);

    auto fnew = SampleCards::foreignerNew();
    putWhitePhoto(fnew->idInfoTailOther.headImage);
    const QImage fnewFace = decodeFace(MakeCardImg::makeIDCardFNewFrontBase64(fnew.get()));
    const QImage fnewBlank = blankFace(":/Pics/fnew_front.bmp", false);
    EXPECT_LE(channelDistance(fnewFace.pixel(322, 66), fnewBlank.pixel(322, 66)), 6);

    auto hmt = SampleCards::hongKongPermit();
    putWhitePhoto(hmt->idInfoTailOther.headImage);
    const QImage hmtFace = decodeFace(MakeCardImg::makeIDCardHmtFrontBase64(hmt.get()));
    const QImage hmtBlank = blankFace(":/Pics/hmt_front.bmp", false);
    EXPECT_GE(qRed(hmtFace.pixel(316, 60)), 250);
    EXPECT_GT(channelDistance(hmtFace.pixel(316, 60), hmtBlank.pixel(316, 60)), 8);
}

TEST(PermitFaces, FrontItemsAtTheirPixelPositions)
{
    auto card = SampleCards::hongKongPermit();
    expectInkOnlyAt(MakeCardImg::makeIDCardHmtFrontBase64(card.get()), ":/Pics/hmt_front.bmp", false,
                    kLargeFaceSize,
                    {text(98, 64, 80, 18), text(98, 100, 20, 14), text(98, 136, 40, 16),
                     within(kPermitMonth), within(QRect(210, 120, 24, 20)), text(98, 174, 210, 16),
                     text(98, 198, 210, 16), within(kPermitPhoto), text(175, 269, 270, 19)});
}

TEST(PermitFaces, MonthWithoutItsZeroMovesThreePixelsRight)
{
    auto card = SampleCards::hongKongPermit();
    const QImage blank = blankFace(":/Pics/hmt_front.bmp", false);
    card->idTextInfoHMT.birth.month = "03";
    const int dropped = firstChangedColumn(
        decodeFace(MakeCardImg::makeIDCardHmtFrontBase64(card.get())), blank, kPermitMonth);
    card->idTextInfoHMT.birth.month = "3";
    const int kept = firstChangedColumn(
        decodeFace(MakeCardImg::makeIDCardHmtFrontBase64(card.get())), blank, kPermitMonth);
    ASSERT_GE(kept, 0);
    EXPECT_NEAR(dropped - kept, 3, 1);
}

TEST(PermitFaces, MonthLabelStandsClearOfTheMonthAndTheDay)
{
    auto card = SampleCards::hongKongPermit();
    // The widest month, and a day that keeps its zero-less place.
    card->idTextInfoHMT.birth = {"1985", "12", "28"};
    const QImage face = decodeFace(MakeCardImg::makeIDCardHmtFrontBase64(card.get()));
    const QImage blank = blankFace(":/Pics/hmt_front.bmp", false);
    const QRect label = darkBounds(blank, QRect(180, 118, 36, 22));
    const QRect month = changedBounds(face, blank, kPermitMonth);
    const QRect day = changedBounds(face, blank, QRect(205, 120, 30, 20));
    ASSERT_FALSE(label.isNull() || month.isNull() || day.isNull());
    SCOPED_TRACE(testing::Message() << "month ink ends at " << month.right() << ", label ink "
                                    << label.left() << ".." << label.right() << ", day ink starts at "
                                    << day.left());
    // The label follows its month and leaves the day a gap like the year's before "年".
    EXPECT_GE(label.left() - month.right(), 4);
    EXPECT_GE(day.left() - label.right(), 8);
}

TEST(PermitFaces, AddressBreaksAfterElevenCharacters)
{
    auto card = SampleCards::hongKongPermit();
    const QImage blank = blankFace(":/Pics/hmt_front.bmp", false);
    card->idTextInfoHMT.address = "广东省深圳市福田区福华";
    EXPECT_EQ(changedPixels(decodeFace(MakeCardImg::makeIDCardHmtFrontBase64(card.get())), blank,
                            kPermitSecondAddressLine),
              0);
    card->idTextInfoHMT.address = "广东省深圳市福田区福华三";
    EXPECT_GT(changedPixels(decodeFace(MakeCardImg::makeIDCardHmtFrontBase64(card.get())), blank,
                            kPermitSecondAddressLine),
              8);
}

TEST(PermitFaces, BackFollowsTheIdentityNumberPrefix)
{
    auto card = SampleCards::hongKongPermit();
    const QList<Item> hongKongItems{text(223, 224, 200, 14), text(223, 247, 200, 14),
                                    text(223, 268, 120, 14)};
    for (const char* id : {"810000198507230014", "820000198507230014"}) {
        card->idTextInfoHMT.idCode = id;
        expectInkOnlyAt(MakeCardImg::makeIDCardHmtBackBase64(card.get()), ":/Pics/hm_back.bmp",
                        false, kLargeFaceSize, hongKongItems);
    }
    card->idTextInfoHMT.idCode = "830000199203140042";
    const QString taiwan = MakeCardImg::makeIDCardHmtBackBase64(card.get());
    expectInkOnlyAt(taiwan, ":/Pics/tw_back.bmp", false, kLargeFaceSize,
                    {text(223, 223, 200, 14), text(223, 246, 200, 14), text(223, 267, 120, 14)});
    EXPECT_GT(changedPixels(decodeFace(taiwan), blankFace(":/Pics/hm_back.bmp", false),
                            kPermitBackTitle),
              100);
    for (const char* id : {"110000198507230014", "8", ""}) {
        card->idTextInfoHMT.idCode = id;
        EXPECT_TRUE(MakeCardImg::makeIDCardHmtBackBase64(card.get()).isEmpty()) << id;
    }
}

TEST(ForeignerFaces, NewLayoutFrontItems)
{
    auto card = SampleCards::foreignerNew();
    expectInkOnlyAt(MakeCardImg::makeIDCardFNewFrontBase64(card.get()), ":/Pics/fnew_front.bmp",
                    false, kLargeFaceSize,
                    {text(47, 74, 250, 14), text(47, 112, 60, 14), text(47, 152, 60, 14),
                     text(153, 152, 110, 14), text(47, 195, 150, 14), text(47, 242, 250, 14),
                     within(QRect(313, 56, 144, 176)), text(153, 271, 300, 19)});
}

TEST(ForeignerFaces, Layout2017FrontItems)
{
    auto card = SampleCards::foreigner2017();
    expectInkOnlyAt(MakeCardImg::makeIDCardF2017FrontBase64(card.get()), ":/Pics/f2017_front.bmp",
                    false, kLargeFaceSize,
                    {text(48, 51, 270, 14), text(48, 69, 270, 14), text(48, 89, 60, 14),
                     text(48, 125, 60, 14), text(154, 125, 110, 14), text(48, 166, 150, 14),
                     text(48, 203, 250, 14), text(48, 243, 200, 14), within(QRect(314, 56, 144, 176)),
                     text(154, 265, 260, 19)});
}

TEST(ForeignerFaces, EnglishNameOverFiftyCharactersKeepsToTwoLinesBeforeThePhoto)
{
    auto card = SampleCards::foreigner2017();
    ID_TEXT_INFO_FOREIGN_2017& text = card->idTextInfoForeign2017;
    text.nameCN.clear();
    const QImage blank = blankFace(":/Pics/f2017_front.bmp", false);
    for (const std::string& name : {std::string("MACDONALD-FITZGERALD, ALEXANDRA CATHERINE ELIZABETH"),
                                    std::string(59, 'W')}) {
        SCOPED_TRACE(name);
        text.nameEN = name + "M";
        const QString withM = MakeCardImg::makeIDCardF2017FrontBase64(card.get());
        const QImage face = decodeFace(withM);
        EXPECT_EQ(changedPixels(face, blank, QRect(40, 74, 270, 20)), 0) << "the Chinese name's line";
        EXPECT_GT(changedPixels(face, blank, QRect(40, 36, 270, 18)), 8);
        EXPECT_GT(changedPixels(face, blank, QRect(40, 55, 270, 18)), 8);
        EXPECT_LT(changedBounds(face, blank, QRect(40, 30, 276, 44)).right(), 314) << "the photo's edge";
        text.nameEN = name + "N";
        EXPECT_NE(MakeCardImg::makeIDCardF2017FrontBase64(card.get()), withM) << "the last letter shows";
    }
}

TEST(ForeignerFaces, NationalityReadsTheSameFromCodeNameOrBoth)
{
    auto card = SampleCards::foreigner2017();
    card->idTextInfoForeign2017.nationality = "CAN";
    const QString fromCode = MakeCardImg::makeIDCardF2017FrontBase64(card.get());
    card->idTextInfoForeign2017.nationality = "加拿大";
    EXPECT_EQ(MakeCardImg::makeIDCardF2017FrontBase64(card.get()), fromCode);
    card->idTextInfoForeign2017.nationality = "加拿大 / CAN";
    EXPECT_EQ(MakeCardImg::makeIDCardF2017FrontBase64(card.get()), fromCode);
    card->idTextInfoForeign2017.nationality = "CHN";
    EXPECT_NE(MakeCardImg::makeIDCardF2017FrontBase64(card.get()), fromCode);
}

TEST(ForeignerFaces, BacksAreTheBareTemplatesWhateverTheCard)
{
    auto fnew = SampleCards::foreignerNew();
    auto f2017 = SampleCards::foreigner2017();
    const QString fnewBlank = Tools::convertPixmapToBase64ViaJpg(Tools::bmpFileToPixmap(":/Pics/fnew_back.bmp"));
    const QString f2017Blank =
        Tools::convertPixmapToBase64ViaJpg(Tools::bmpFileToPixmap(":/Pics/f2017_back.bmp"));
    ASSERT_FALSE(fnewBlank.isEmpty());
    EXPECT_EQ(MakeCardImg::makeIDCardFNewBackBase64(fnew.get()), fnewBlank);
    EXPECT_EQ(MakeCardImg::makeIDCardF2017BackBase64(f2017.get()), f2017Blank);
    fnew->idTextInfoForeignNew.nameEN = "SOMEONE ELSE";
    EXPECT_EQ(MakeCardImg::makeIDCardFNewBackBase64(fnew.get()), fnewBlank);
    EXPECT_EQ(decodeFace(f2017Blank).size(), kLargeFaceSize);
}

TEST(WorkerThread, FacesComposedOnAPoolThreadEqualThoseOfTheGuiThread)
{
    // A read composes its faces on its worker thread.
    auto cn = SampleCards::resident();
    auto hmt = SampleCards::hongKongPermit();
    const QString cnHere = MakeCardImg::makeIDCardCNFrontBase64(cn.get());
    const QString hmtHere = MakeCardImg::makeIDCardHmtFrontBase64(hmt.get());
    EXPECT_EQ(QtConcurrent::run([&] { return MakeCardImg::makeIDCardCNFrontBase64(cn.get()); })
                  .result(),
              cnHere);
    EXPECT_EQ(QtConcurrent::run([&] { return MakeCardImg::makeIDCardHmtFrontBase64(hmt.get()); })
                  .result(),
              hmtHere);
}

TEST(HostileRecords, NullRecordsGiveEmptyFaces)
{
    EXPECT_TRUE(MakeCardImg::makeIDCardCNFrontBase64(nullptr).isEmpty());
    EXPECT_TRUE(MakeCardImg::makeIDCardCNBackBase64(nullptr).isEmpty());
    EXPECT_TRUE(MakeCardImg::makeIDCardHmtFrontBase64(nullptr).isEmpty());
    EXPECT_TRUE(MakeCardImg::makeIDCardHmtBackBase64(nullptr).isEmpty());
    EXPECT_TRUE(MakeCardImg::makeIDCardFNewFrontBase64(nullptr).isEmpty());
    EXPECT_TRUE(MakeCardImg::makeIDCardF2017FrontBase64(nullptr).isEmpty());
}

TEST(HostileRecords, PhotoDeclaringAHugePictureIsLeftOut)
{
    auto card = SampleCards::foreignerNew();
    unsigned char* photo = card->idInfoTailOther.headImage;
    const qint32 huge = 60000;  // width and height fields of the bitmap header
    std::memcpy(photo + 18, &huge, 4);
    std::memcpy(photo + 22, &huge, 4);
    QElapsedTimer timer;
    timer.start();
    const QImage face = decodeFace(MakeCardImg::makeIDCardFNewFrontBase64(card.get()));
    EXPECT_LT(timer.elapsed(), 5000);
    ASSERT_EQ(face.size(), kLargeFaceSize);
    EXPECT_EQ(changedPixels(face, blankFace(":/Pics/fnew_front.bmp", false), QRect(330, 70, 110, 150)),
              0);
}

TEST(HostileRecords, RandomPhotoBytesAndOverlongFieldsStillGiveFaces)
{
    std::mt19937 random(7);
    auto cn = SampleCards::resident();
    for (unsigned char& byte : cn->idInfoTailCN.headImage)
        byte = static_cast<unsigned char>(random());
    cn->idTextInfoCN.address = std::string(300000, 'A');
    cn->idTextInfoCN.name = std::string(5000, '\xE6');  // broken UTF-8
    EXPECT_EQ(decodeFace(MakeCardImg::makeIDCardCNFrontBase64(cn.get())).size(), kResidentFaceSize);

    auto hmt = SampleCards::hongKongPermit();
    hmt->idTextInfoHMT.address = std::string(300000, 'B');
    hmt->idTextInfoHMT.birth.month = "";
    EXPECT_EQ(decodeFace(MakeCardImg::makeIDCardHmtFrontBase64(hmt.get())).size(), kLargeFaceSize);

    auto f2017 = SampleCards::foreigner2017();
    f2017->idTextInfoForeign2017.nameEN = std::string(300000, 'C');
    EXPECT_EQ(decodeFace(MakeCardImg::makeIDCardF2017FrontBase64(f2017.get())).size(),
              kLargeFaceSize);
}
