// SPDX-License-Identifier: Apache-2.0
// Text transforms of the card faces.
#include <gtest/gtest.h>

#include <string>

#include "face_text.h"

using namespace FaceText;

TEST(FaceText, FieldsEndAtTheirFirstNul)
{
    EXPECT_EQ(fromField(std::string("李四\0hidden", 13)), QStringLiteral("李四"));
    EXPECT_EQ(fromField(""), QString());
}

TEST(FaceText, NameSpacing)
{
    EXPECT_EQ(spreadName(QStringLiteral("李四")), QStringLiteral("李   四"));
    EXPECT_EQ(spreadName(QStringLiteral(" 李四 ")), QStringLiteral("李   四"));
    EXPECT_EQ(spreadName(QStringLiteral("张三丰")), QStringLiteral("张三丰"));
    EXPECT_EQ(spreadName(QStringLiteral("王")), QStringLiteral("王"));
    EXPECT_EQ(spreadName(QString()), QString());
}

TEST(FaceText, LeadingZero)
{
    bool dropped = false;
    EXPECT_EQ(dropLeadingZero("01", &dropped), "1");
    EXPECT_TRUE(dropped);
    EXPECT_EQ(dropLeadingZero("09"), "9");
    EXPECT_EQ(dropLeadingZero("12", &dropped), "12");
    EXPECT_FALSE(dropped);
    EXPECT_EQ(dropLeadingZero("10"), "10");
    EXPECT_EQ(dropLeadingZero("0"), "");
    EXPECT_EQ(dropLeadingZero(" 05 "), "5");
}

TEST(FaceText, ValidityPeriod)
{
    EXPECT_EQ(validPeriod("20150101", "20350101"), "2015.01.01 - 2035.01.01");
    EXPECT_EQ(validPeriod("20150101", QStringLiteral("长期")),
              QStringLiteral("2015.01.01 - 长期"));
    // Short dates are padded with spaces up to each insert position.
    EXPECT_EQ(validPeriod("2015", "20"), "2015.  . - 20  .  .");
    EXPECT_EQ(validPeriod("", ""), "    .  . -     .  .");
}

TEST(FaceText, BilingualSex)
{
    EXPECT_EQ(bilingualSex(QStringLiteral("女")), QStringLiteral("女 / F"));
    EXPECT_EQ(bilingualSex(QStringLiteral("男")), QStringLiteral("男 / M"));
    EXPECT_EQ(bilingualSex(QStringLiteral("未说明")), QStringLiteral("未说明"));
    EXPECT_EQ(bilingualSex(QString()), QString());
}

TEST(FaceText, BilingualNationalityFromEachFormTheFieldMayHold)
{
    // The bare code (raw parser, 2017 layout).
    EXPECT_EQ(bilingualNationality("USA"), QStringLiteral("美国 / USA"));
    EXPECT_EQ(bilingualNationality("GMB"), QStringLiteral("冈比亚Gambia / GMB"));
    // The Chinese name (read path).
    EXPECT_EQ(bilingualNationality(QStringLiteral("美国")), QStringLiteral("美国 / USA"));
    EXPECT_EQ(bilingualNationality(QStringLiteral("哥斯达黎加")), QStringLiteral("哥斯达黎加 / CRI"));
    // Already joined (raw parser, new layout).
    EXPECT_EQ(bilingualNationality(QStringLiteral("加拿大 / CAN")), QStringLiteral("加拿大 / CAN"));
    // Neither a code nor a name of the table: only the separator and the text.
    EXPECT_EQ(bilingualNationality("usa"), QStringLiteral(" / usa"));
    EXPECT_EQ(bilingualNationality(QString()), QString());
}
