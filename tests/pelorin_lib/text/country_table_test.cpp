// SPDX-License-Identifier: Apache-2.0
#include <pelorin/pelorin_api.h>
#include <pelorin/tools.h>

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

TEST(CountryTable, HasAllRowsInTableOrder)
{
    ASSERT_EQ(sizeof(COUNTRY_CODE_LIST) / sizeof(COUNTRY_CODE_LIST[0]), 239u);
    EXPECT_EQ(COUNTRY_CODE_LIST[0][0], "004");
    EXPECT_EQ(COUNTRY_CODE_LIST[0][1], "AFG");
    EXPECT_EQ(COUNTRY_CODE_LIST[0][2], "阿富汗");
    EXPECT_EQ(COUNTRY_CODE_LIST[238][0], "716");
    EXPECT_EQ(COUNTRY_CODE_LIST[238][1], "ZWE");
    EXPECT_EQ(COUNTRY_CODE_LIST[238][2], "津巴布韦");
}

TEST(CountryTable, EveryRowIsWellFormedAndCodesAreUnique)
{
    std::set<std::string> alpha, numeric;
    for (const auto& row : COUNTRY_CODE_LIST) {
        ASSERT_EQ(row[0].size(), 3u) << row[1];
        ASSERT_EQ(row[1].size(), 3u) << row[0];
        for (char c : row[0])
            EXPECT_TRUE(isdigit(static_cast<unsigned char>(c))) << row[0];
        for (char c : row[1])
            EXPECT_TRUE(isupper(static_cast<unsigned char>(c))) << row[1];
        EXPECT_FALSE(row[2].empty()) << row[1];
        alpha.insert(row[1]);
        numeric.insert(row[0]);
    }
    EXPECT_EQ(alpha.size(), 239u);
    EXPECT_EQ(numeric.size(), 239u);
}

TEST(CountryTable, RowsWithUnusualNamesAreKeptAsStored)
{
    EXPECT_EQ(Tools::convertNationCodeToName("GMB"), "冈比亚Gambia");
    EXPECT_EQ(Tools::convertNationCodeToName("COG"), "刚果（布）");  // full-width parentheses
    EXPECT_EQ(Tools::convertNationCodeToName("COD"), "刚果（金）");
    EXPECT_EQ(Tools::convertNationCodeToName("CCK"), "科科斯(基林)群岛");  // ASCII parentheses
    EXPECT_EQ(Tools::convertNationCodeToName("FLK"), "福克兰群岛(马尔维纳斯)");
    EXPECT_EQ(Tools::convertNationCodeToName("CRI"), "哥斯达黎加");
    EXPECT_EQ(Tools::convertNationCodeToName("STP"), "圣多美和普林西比");
}

TEST(CountryTable, CodesOfEarlierEditionsAreFound)
{
    EXPECT_EQ(Tools::convertNationCodeToName("ROM"), "罗马尼亚");
    EXPECT_EQ(Tools::convertNationCodeToName("TMP"), "东帝汶");
    EXPECT_EQ(Tools::convertNationCodeToName("YUG"), "南斯拉夫");
    EXPECT_EQ(Tools::convertNationCodeToName("CSR"), "圣诞岛");
    EXPECT_EQ(Tools::convertNationCodeToName("PST"), "巴勒斯坦");
}

TEST(CountryTable, LookupIsExactCaseSensitiveAndUntrimmed)
{
    EXPECT_EQ(Tools::convertNationCodeToName("USA"), "美国");
    EXPECT_EQ(Tools::convertNationCodeToName("usa"), "");
    EXPECT_EQ(Tools::convertNationCodeToName("USA "), "");
    EXPECT_EQ(Tools::convertNationCodeToName(" USA"), "");
    EXPECT_EQ(Tools::convertNationCodeToName("US"), "");
    EXPECT_EQ(Tools::convertNationCodeToName(std::string("USA\0", 4)), "");
    EXPECT_EQ(Tools::convertNationCodeToName(""), "");
    // Numeric codes and names are not keys.
    EXPECT_EQ(Tools::convertNationCodeToName("840"), "");
    EXPECT_EQ(Tools::convertNationCodeToName("美国"), "");
    EXPECT_EQ(Tools::convertNationCodeToName("ROU"), "");
}
