// SPDX-License-Identifier: Apache-2.0
// The text block's encoder and decoder are each other's inverse for every
// card kind, and the layout tables answer for each kind and field name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "card_info.h"
#include "card_info_fields.h"
#include "text_block_writer.h"
#include "text_layout.h"
#include "utf16.h"

using namespace cardproto;

namespace {

using Fields = std::vector<std::pair<const char*, std::u16string>>;

CardInfoStruct cardOf(CardKind kind, const Fields& fields)
{
    CardInfoStruct info{};
    info.cardType = kind;
    for (const auto& [name, text] : fields)
        writeFieldText(info, *cardInfoFieldNamed(name), text);
    return info;
}

std::u16string fieldOf(const CardInfoStruct& info, const char* name)
{
    const TextField& field = *cardInfoFieldNamed(name);
    return charactersOf(reinterpret_cast<const uint8_t*>(&info) + field.recordAt, field.recordSize / 2u);
}

// Encodes the card into a text block and decodes it again.
CardInfoStruct roundTrip(const CardInfoStruct& info, uint8_t (&block)[kTextBlockSize])
{
    writeTextBlock(info, block);
    CardInfoStruct decoded;
    fillCardInfo(block, decoded);
    return decoded;
}

}  // namespace

TEST(CardCodec, EveryKindSurvivesTheTextBlock)
{
    const std::pair<CardKind, Fields> cards[] = {
        {kResidentCard,
         {{"sfz_name", u"张三"},
          {"sfz_gender", u"女"},
          {"sfz_nation", u"回"},
          {"sfz_birthday", u"19900102"},
          {"sfz_address", u"北京市东城区"},
          {"sfz_idNumber", u"11010119900102002X"},
          {"sfz_issueOrganization", u"东城分局"},
          {"sfz_validDateStart", u"20100101"},
          {"sfz_validDateEnd", u"长期"}}},
        {kResidencePermit,
         {{"gat_name", u"李四"},
          {"gat_gender", u"男"},
          {"gat_idNumber", u"810000199001020011"},
          {"gat_passCheckId", u"H01234567"},
          {"gat_issuesNumber", u"01"}}},
        {kForeignerCard2017,
         {{"yjzOld_nameEnglish", u"SMITH, JOHN"},
          {"yjzOld_gender", u"未知"},
          {"yjzOld_nationality", u"CAN"},
          {"yjzOld_cardVersion", u"05"}}},
        {kForeignerCardNew,
         {{"yjz_nameChinese", u"史密斯"},
          {"yjz_gender", u"未说明"},
          {"yjz_renewalNumber", u"02"},
          {"yjz_nameEnglishAdd", u"JR"},
          {"yjz_nationality", u"USA"}}},
    };
    for (const auto& [kind, fields] : cards) {
        SCOPED_TRACE(kind);
        uint8_t block[kTextBlockSize];
        const CardInfoStruct decoded = roundTrip(cardOf(kind, fields), block);
        EXPECT_EQ(decoded.cardType, kind);
        EXPECT_EQ(characterAt(block, kKindCharacter.at), kindCharacterOf(kind));
        for (const auto& [name, text] : fields)
            EXPECT_EQ(fieldOf(decoded, name), text) << name;
    }
}

TEST(CardCodec, CodesAreWrittenAsTheCardHoldsThem)
{
    uint8_t block[kTextBlockSize];
    roundTrip(cardOf(kResidentCard, {{"sfz_gender", u"女"}, {"sfz_nation", u"回"}, {"sfz_name", u"王"}}),
              block);
    EXPECT_EQ(charactersOf(block + resident::gender.at, 1), u"2") << "female is code 2, not 0";
    EXPECT_EQ(charactersOf(block + resident::nation.at, 2), u"03") << "two digits";
    EXPECT_EQ(charactersOf(block + resident::name.at, 15), u"王" + std::u16string(14, u' ')) << "padded";

    // A word no code has leaves blanks, which decode to no word at all on a
    // foreigner card and to female on a resident card.
    const CardInfoStruct foreigner = roundTrip(cardOf(kForeignerCardNew, {{"yjz_gender", u"女性"}}), block);
    EXPECT_EQ(charactersOf(block + foreignerNew::gender.at, 1), u" ");
    EXPECT_EQ(fieldOf(foreigner, "yjz_gender"), u"未知");

    // A card file's cardType outside the four kinds: the resident layout,
    // genders by the national table.
    roundTrip(cardOf(CardKind(9), {{"sfz_gender", u"未知"}}), block);
    EXPECT_EQ(charactersOf(block + resident::gender.at, 1), u"0");
    EXPECT_EQ(characterAt(block, kKindCharacter.at), u' ');
}

TEST(CardCodec, LayoutTablesAnswerByKindCharacterAndName)
{
    for (const CardLayout& layout : kCardLayouts)
        EXPECT_EQ(cardKindOfCharacter(layout.kindCharacter), layout.kind);
    EXPECT_EQ(cardKindOfCharacter(u'X'), kResidentCard);
    EXPECT_EQ(cardKindOfCharacter(0), kResidentCard);

    const TextField* outside = cardInfoFieldNamed("yjz_historicalNumber");
    ASSERT_NE(outside, nullptr);
    EXPECT_EQ(outside->recordAt, offsetof(CardInfoStruct, yjz_historicalNumber));
    EXPECT_EQ(outside->size, 0u) << "not in the text block";
    EXPECT_EQ(cardInfoFieldNamed("gat_passCheckId")->at, residencePermit::passNumber.at);
    EXPECT_EQ(cardInfoFieldNamed("cardType"), nullptr);
    EXPECT_EQ(cardInfoFieldNamed("sfz_Name"), nullptr);
}
