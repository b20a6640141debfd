// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include <pelorin/iddata.h>

namespace {

CIdData makeParser()
{
    QByteArray frame;
    return CIdData(frame, NO_FP_INFO);
}

TEST(IdDataNation, NamesKnownGroupsAndEmptyForGaps)
{
    const CIdData parser = makeParser();
    EXPECT_EQ(parser.GetNation(1), "汉");
    EXPECT_EQ(parser.GetNation(2), "蒙古");
    EXPECT_EQ(parser.GetNation(29), "柯尔克孜");
    EXPECT_EQ(parser.GetNation(56), "基诺");
    EXPECT_EQ(parser.GetNation(97), "其他");
    EXPECT_EQ(parser.GetNation(98), "外国血统中国籍人士");
    for (uint16_t gap : {0, 57, 80, 96, 99, 65535})
        EXPECT_EQ(parser.GetNation(gap), "") << gap;
}

TEST(IdDataGender, TableCodesAndNonNumbers)
{
    const CIdData parser = makeParser();
    const struct { const char* code; const char* name; } known[] = {
        {"0", "未知"}, {"1", "男"}, {"2", "女"}, {"9", "未说明"}, {"X", "未知"}, {"", "未知"},
    };
    for (const auto& row : known) {
        QString name = "before";
        EXPECT_TRUE(parser.parseGender(row.code, name)) << row.code;
        EXPECT_EQ(name, QString::fromUtf8(row.name)) << row.code;
    }
}

TEST(IdDataGender, CodeOutsideTableLeavesNameAlone)
{
    const CIdData parser = makeParser();
    for (const char* code : {"3", "8", "10", "-1"}) {
        QString name = "before";
        EXPECT_FALSE(parser.parseGender(code, name)) << code;
        EXPECT_EQ(name, "before");
    }
}

}  // namespace
