// SPDX-License-Identifier: Apache-2.0
// One decoder fills the text records from either source: the raw text block
// (codes named, dates dotted) and the reader-access library's record (words
// and dates as given, a country code named); and the card-kind table.
#include <gtest/gtest.h>

#include <QByteArray>
#include <map>
#include <string>

#include "card_kinds.h"
#include "card_text_decoder.h"

namespace {

// Each field's text by its CardInfoStruct name; empty for the others.
FieldReader readerOf(const std::map<std::string, std::string>& texts)
{
    return [texts](const cardproto::TextField& field, int) {
        const auto found = texts.find(field.name);
        return found == texts.end() ? std::string() : found->second;
    };
}

class RecordDecoder : public ::testing::Test {
protected:
    QByteArray frame;
    CIdData names{frame, NO_FP_INFO};
};

}  // namespace

TEST_F(RecordDecoder, TheCardBlockNamesCodesAndDotsDates)
{
    ID_TEXT_INFO_CN card;
    ASSERT_TRUE(decodeCardText(readerOf({{"sfz_name", "张三"},
                                         {"sfz_gender", "2"},
                                         {"sfz_nation", "03"},
                                         {"sfz_birthday", "19900102"},
                                         {"sfz_validDateStart", "20100101"},
                                         {"sfz_validDateEnd", "长期    "}}),
                               TextSource::CardBlock, &names, card));
    EXPECT_EQ(card.name, "张三");
    EXPECT_EQ(card.gender, "女");
    EXPECT_EQ(card.nation, "回");
    EXPECT_EQ(card.birth.year + "|" + card.birth.month + "|" + card.birth.day, "1990|01|02");
    EXPECT_EQ(card.validPeriod.start, "2010.01.01");
    EXPECT_EQ(card.validPeriod.end, "长期");

    ID_TEXT_INFO_FOREIGN_NEW foreigner;
    ASSERT_TRUE(decodeCardText(
        readerOf({{"yjz_gender", "1"}, {"yjz_validDateEnd", "长期"}, {"yjz_nationality", "USA"}}),
        TextSource::CardBlock, &names, foreigner));
    EXPECT_EQ(foreigner.gender, "男");
    EXPECT_EQ(foreigner.validPeriod.end, "长期..") << "only resident cards know the long term";
    EXPECT_EQ(foreigner.nationality, "美国 / USA");
}

TEST_F(RecordDecoder, TheReaderRecordKeepsWordsAndDates)
{
    ID_TEXT_INFO_CN card;
    ASSERT_TRUE(decodeCardText(readerOf({{"sfz_gender", "女"},
                                         {"sfz_nation", "回"},
                                         {"sfz_birthday", "199001"},
                                         {"sfz_validDateStart", "20100101"},
                                         {"sfz_validDateEnd", "20300101"}}),
                               TextSource::ReaderRecord, nullptr, card));
    EXPECT_EQ(card.gender, "女");
    EXPECT_EQ(card.nation, "回");
    EXPECT_EQ(card.birth.month, "01");
    EXPECT_EQ(card.birth.day, "");
    EXPECT_EQ(card.validPeriod.start, "20100101");
    EXPECT_EQ(card.validPeriod.end, "20300101");

    ID_TEXT_INFO_FOREIGN_2017 foreigner;
    ASSERT_TRUE(decodeCardText(readerOf({{"yjzOld_nationality", "CAN"}}), TextSource::ReaderRecord, nullptr,
                               foreigner));
    EXPECT_EQ(foreigner.nationality, "加拿大");
    ASSERT_TRUE(
        decodeCardText(readerOf({{"yjzOld_nationality", "CAN"}}), TextSource::CardBlock, &names, foreigner));
    EXPECT_EQ(foreigner.nationality, "CAN") << "the raw 2017 card keeps its code";
}

TEST_F(RecordDecoder, AGenderWithoutWordEndsTheForeignerRecord)
{
    ID_TEXT_INFO_FOREIGN_NEW card;
    card.idCode = "before";
    EXPECT_FALSE(decodeCardText(
        readerOf({{"yjz_nameChinese", "史密斯"}, {"yjz_gender", "3"}, {"yjz_idNumber", "USA310085061201"}}),
        TextSource::CardBlock, &names, card));
    EXPECT_EQ(card.nameCN, "史密斯");
    EXPECT_EQ(card.gender, "");
    EXPECT_EQ(card.idCode, "before");
}

TEST(CardKindTable, CardTypesAndNames)
{
    const std::pair<int, ID_TYPE> kinds[] = {
        {1, ID_TYPE_CN}, {2, ID_TYPE_HMT}, {3, ID_TYPE_FOREIGN_2017}, {4, ID_TYPE_FOREIGN_NEW}};
    for (const auto& [cardType, type] : kinds)
        EXPECT_EQ(CardKinds::idTypeOfCardType(cardType), type) << cardType;
    EXPECT_EQ(CardKinds::idTypeOfCardType(0), ID_TYPE_UNKNOWN);
    EXPECT_EQ(CardKinds::idTypeOfCardType(5), ID_TYPE_UNKNOWN);
    EXPECT_STREQ(CardKinds::nameOf(ID_TYPE_FOREIGN_2017), "ID_TYPE_FOREIGN_2017");
    EXPECT_EQ(CardKinds::nameOf(ID_TYPE_UNKNOWN), nullptr);

    IDCARD_INFO_ALL_HMT hmt{};
    IDCARD_INFO_ALL_CN cn{};
    const ReadInfo records{nullptr, &cn, nullptr, nullptr, &hmt, nullptr, nullptr};
    EXPECT_EQ(CardKinds::visitRecord(ID_TYPE_HMT, records,
                                     [](auto kind, auto& record) { return kind.headImage(record); }),
              hmt.idInfoTailOther.headImage);
    EXPECT_EQ(CardKinds::visitRecord(ID_TYPE_CN, records,
                                     [](auto kind, auto& record) { return kind.headImage(record); }),
              cn.idInfoTailCN.headImage);
}
