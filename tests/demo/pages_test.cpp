// SPDX-License-Identifier: Apache-2.0
// The four card pages, fed directly with made-up records and pictures.
#include "formcn.h"
#include "formforeign2017.h"
#include "formforeignnew.h"
#include "formhmt.h"
#include "widget_access.h"

#include <QBuffer>
#include <QColor>

#include <cstring>
#include <memory>

namespace {

const QColor kPhotoColour(200, 30, 40);
const QColor kFaceColour(20, 90, 220);

// A photo bitmap file as the reader delivers it: 102 x 126, 24 bits.
void fillPhoto(unsigned char (&headImage)[HEAD_IMAGE_BMP_SIZE])
{
    QImage image(102, 126, QImage::Format_RGB888);
    image.fill(kPhotoColour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "BMP"));
    ASSERT_EQ(bytes.size(), HEAD_IMAGE_BMP_SIZE);
    std::memcpy(headImage, bytes.constData(), HEAD_IMAGE_BMP_SIZE);
}

QPixmap facePicture(int width, int height)
{
    QPixmap face(width, height);
    face.fill(kFaceColour);
    return face;
}

void expectPhotoShown(const QWidget *page)
{
    const QPixmap photo = labelPixmap(page, "LabHeadImg");
    ASSERT_FALSE(photo.isNull());
    EXPECT_EQ(photo.size(), QSize(102, 126));
    EXPECT_EQ(photo.toImage().pixelColor(50, 60), kPhotoColour);
}

_tagIDCARD_INFO_ALL_CN residentCard()
{
    _tagIDCARD_INFO_ALL_CN card{};
    card.idTextInfoCN = {"张三丰", "男", "土家", {"1990", "01", "02"}, "湖北省十堰市武当山特区太和宫1号",
                         "420302199001021234", "十堰市公安局武当山分局", {"20200101", "长期"}};
    fillPhoto(card.idInfoTailCN.headImage);
    return card;
}

_tagIDCARD_INFO_ALL_HMT permitCard()
{
    _tagIDCARD_INFO_ALL_HMT card{};
    card.idTextInfoHMT = {"陈大文", "女", {"1985", "07", "23"}, "广东省深圳市福田区福华三路88号",
                          "810000198507230014", "深圳市公安局福田分局", {"20190301", "20240301"},
                          "H01234567", "03"};
    fillPhoto(card.idInfoTailOther.headImage);
    return card;
}

_tagIDCARD_INFO_ALL_FOREIGN_NEW newForeignerCard(const std::string &gender)
{
    _tagIDCARD_INFO_ALL_FOREIGN_NEW card{};
    card.idTextInfoForeignNew = {"马克", gender, "01", {"1985", "06", "12"}, "MILLER, MARK JAMES",
                                 "931840198506120019", {"20230901", "20330901"}, "美国"};
    fillPhoto(card.idInfoTailOther.headImage);
    return card;
}

_tagIDCARD_INFO_ALL_FOREIGN_2017 oldForeignerCard(const std::string &gender)
{
    _tagIDCARD_INFO_ALL_FOREIGN_2017 card{};
    card.idTextInfoForeign2017 = {"MACDONALD, ALEXANDRA", gender, "CAN110780921012", "加拿大", "麦雅丽",
                                  {"20170615", "20270615"}, {"1978", "09", "21"}, "1500"};
    fillPhoto(card.idInfoTailOther.headImage);
    return card;
}

}  // namespace

// Before the first read a page shows its fixed card type and nothing else.
TEST(CardPages, StartWithCardTypeOnly)
{
    FormCN cn;
    FormHMT hmt;
    FormForeignNew fnew;
    FormForeign2017 f2017;
    EXPECT_EQ(lineText(&cn, "leCardType"), QStringLiteral("二代居民身份证"));
    EXPECT_EQ(lineText(&hmt, "leCardType"), QStringLiteral("港澳台居民居住证"));
    EXPECT_EQ(lineText(&fnew, "leCardType"), QStringLiteral("新版外国人永久居留身份证"));
    EXPECT_EQ(lineText(&f2017, "leCardType"), QStringLiteral("2017版外国人永久居留身份证"));
    EXPECT_TRUE(lineText(&cn, "leName").isEmpty());
    EXPECT_TRUE(lineText(&fnew, "leGender").isEmpty());
    EXPECT_TRUE(label(&cn, "LabFrontImg")->text().isEmpty());
    for (const QWidget *page : {static_cast<QWidget *>(&hmt), static_cast<QWidget *>(&fnew),
                                static_cast<QWidget *>(&f2017)})
        EXPECT_EQ(label(page, "LabBackImg")->text(), QStringLiteral("TextLabel"));
    EXPECT_TRUE(labelPixmap(&cn, "LabHeadImg").isNull());
}

// A resident card's gender is shown as it is, without the English letter;
// the photo bitmap from the record appears at its own size.
TEST(CardPages, ResidentGenderUnchangedAndPhotoShown)
{
    FormCN page;
    QPixmap none;
    page.updateUIFromCNData(residentCard(), none, none);
    EXPECT_EQ(lineText(&page, "leGender"), QStringLiteral("男"));
    expectPhotoShown(&page);
}

// Only the exact texts "男" and "女" are translated; anything else leaves
// the previous card's text in place, on both foreigner pages.
TEST(CardPages, ForeignerGenderKeepsPreviousTextUnlessMaleOrFemale)
{
    FormForeignNew newPage;
    FormForeign2017 oldPage;
    QPixmap none;

    newPage.updateUIFromForeignNewData(newForeignerCard(""), none, none);
    oldPage.updateUIFromForeign2017Data(oldForeignerCard(""), none, none);
    EXPECT_TRUE(lineText(&newPage, "leGender").isEmpty());
    EXPECT_TRUE(lineText(&oldPage, "leGender").isEmpty());

    newPage.updateUIFromForeignNewData(newForeignerCard("女"), none, none);
    oldPage.updateUIFromForeign2017Data(oldForeignerCard("男"), none, none);
    EXPECT_EQ(lineText(&newPage, "leGender"), QStringLiteral("女 / F"));
    EXPECT_EQ(lineText(&oldPage, "leGender"), QStringLiteral("男 / M"));

    for (const char *other : {"", "M", "男 ", "未知"}) {
        newPage.updateUIFromForeignNewData(newForeignerCard(other), none, none);
        oldPage.updateUIFromForeign2017Data(oldForeignerCard(other), none, none);
        EXPECT_EQ(lineText(&newPage, "leGender"), QStringLiteral("女 / F")) << other;
        EXPECT_EQ(lineText(&oldPage, "leGender"), QStringLiteral("男 / M")) << other;
    }
}

// Card text is shown as it is: an address that looks like markup must not
// turn into formatting or pull in resources.
TEST(CardPages, AddressIsPlainText)
{
    FormCN page;
    _tagIDCARD_INFO_ALL_CN card = residentCard();
    card.idTextInfoCN.address = "<b>粗</b><img src=\"file:///etc/passwd\">";
    QPixmap none;
    page.updateUIFromCNData(card, none, none);
    EXPECT_EQ(addressText(&page), q(card.idTextInfoCN.address));
}

// A photo array that holds no picture, and null face pictures, clear the
// labels; the text fields are filled all the same.
TEST(CardPages, NoPictureClearsLabels)
{
    FormHMT page;
    _tagIDCARD_INFO_ALL_HMT card = permitCard();
    QPixmap front = facePicture(428, 270), back = facePicture(428, 270);
    page.updateUIFromHMTData(card, front, back);
    ASSERT_FALSE(labelPixmap(&page, "LabHeadImg").isNull());

    std::memset(card.idInfoTailOther.headImage, 0, HEAD_IMAGE_BMP_SIZE);
    card.idTextInfoHMT.name = "李四";
    QPixmap none;
    page.updateUIFromHMTData(card, none, none);
    EXPECT_TRUE(labelPixmap(&page, "LabHeadImg").isNull());
    EXPECT_TRUE(labelPixmap(&page, "LabFrontImg").isNull());
    EXPECT_TRUE(labelPixmap(&page, "LabBackImg").isNull());
    EXPECT_EQ(lineText(&page, "leName"), QStringLiteral("李四"));

    // A bitmap header that promises more than the 38862 bytes it has.
    fillPhoto(card.idInfoTailOther.headImage);
    card.idInfoTailOther.headImage[22] = 0xff;  // height
    card.idInfoTailOther.headImage[23] = 0x7f;
    card.idTextInfoHMT.name = "王五";
    page.updateUIFromHMTData(card, none, none);  // the sanitizer build checks the reads
    EXPECT_EQ(lineText(&page, "leName"), QStringLiteral("王五"));
}

// What a 300 x 100 face picture looks like in a 428 x 270 face label.
struct FaceCase {
    const char *page;
    bool stretched;
};

class FacePlacement : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FacePlacement, StretchedOrDrawnAtOwnSize)
{
    std::unique_ptr<QWidget> page;
    QPixmap front = facePicture(300, 100), back = facePicture(300, 100);
    const std::string name = GetParam().page;
    if (name == "FormCN") {
        auto *p = new FormCN;
        page.reset(p);
        p->updateUIFromCNData(residentCard(), front, back);
    } else if (name == "FormHMT") {
        auto *p = new FormHMT;
        page.reset(p);
        p->updateUIFromHMTData(permitCard(), front, back);
    } else if (name == "FormForeignNew") {
        auto *p = new FormForeignNew;
        page.reset(p);
        p->updateUIFromForeignNewData(newForeignerCard("男"), front, back);
    } else {
        auto *p = new FormForeign2017;
        page.reset(p);
        p->updateUIFromForeign2017Data(oldForeignerCard("男"), front, back);
    }
    for (const char *labelName : {"LabFrontImg", "LabBackImg"}) {
        QLabel *face = label(page.get(), labelName);
        ASSERT_NE(face, nullptr);
        ASSERT_EQ(face->size(), QSize(428, 270));
        const QImage shown = face->grab().toImage();
        // Left edge, vertically centred: covered either way.
        EXPECT_EQ(shown.pixelColor(2, 135), kFaceColour) << labelName;
        // Corners lie outside a picture drawn at its own size.
        const bool bottomRightCovered = shown.pixelColor(425, 267) == kFaceColour;
        const bool topLeftCovered = shown.pixelColor(2, 2) == kFaceColour;
        EXPECT_EQ(bottomRightCovered, GetParam().stretched) << labelName;
        EXPECT_EQ(topLeftCovered, GetParam().stretched) << labelName;
    }
}

INSTANTIATE_TEST_SUITE_P(AllPages, FacePlacement,
                         ::testing::Values(FaceCase{"FormCN", true}, FaceCase{"FormHMT", true},
                                           FaceCase{"FormForeignNew", true},
                                           FaceCase{"FormForeign2017", false}),
                         [](const auto &info) { return std::string(info.param.page); });

// The holder's photo must stay fully visible beside the two face pictures.
TEST(CardPages, PhotoDoesNotHideUnderTheFacePictures)
{
    std::unique_ptr<QWidget> pages[] = {std::make_unique<FormCN>(), std::make_unique<FormHMT>(),
                                        std::make_unique<FormForeignNew>(), std::make_unique<FormForeign2017>()};
    for (const auto& page : pages) {
        const QRect photo = page->findChild<QWidget*>("LabHeadImg")->geometry();
        for (const char* face : {"LabFrontImg", "LabBackImg"})
            EXPECT_FALSE(photo.intersects(page->findChild<QWidget*>(face)->geometry()))
                << page->metaObject()->className() << " " << face;
    }
}
