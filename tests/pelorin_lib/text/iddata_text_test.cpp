// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "qt_message_capture.h"
#include <pelorin/iddata.h>
#include "text_block.h"

namespace {

class IdDataText : public ::testing::Test {
protected:
    QByteArray frame;
    CIdData parser{frame, NO_FP_INFO};
    QtMessageCapture debug;
};

TextBlock residentCard(const QString& gender, const QString& validEnd)
{
    TextBlock block;
    block.put(0, 30, "张三")
        .put(30, 2, gender)
        .put(32, 4, "01")
        .put(36, 16, "19900102")
        .put(52, 70, "北京市东城区景山前街4号")
        .put(122, 36, "11010119900102001X")
        .put(158, 30, "北京市公安局东城分局")
        .put(188, 16, "20200301")
        .put(204, 16, validEnd);
    return block;
}

TextBlock foreignNewCard(const QString& gender, const QString& nationality)
{
    TextBlock block;
    block.put(0, 30, "汤姆")
        .put(30, 2, gender)
        .put(32, 4, "01")
        .put(36, 16, "19800506")
        .put(52, 70, "SMITH, TOM")
        .put(122, 36, "911840198005060017")
        .put(188, 16, "20230101")
        .put(204, 16, "20330101")
        .put(242, 6, nationality)
        .put(248, 2, "Y");
    return block;
}

const std::string kBlanks(7, ' ');

TEST_F(IdDataText, KindCharacterSelectsTheCardKind)
{
    const struct { const char* mark; ID_TYPE kind; } cases[] = {
        {"Y", ID_TYPE_FOREIGN_NEW}, {"I", ID_TYPE_FOREIGN_2017}, {"J", ID_TYPE_HMT},
        {" ", ID_TYPE_CN},          {"y", ID_TYPE_CN},
    };
    for (const auto& c : cases) {
        TextBlock block;
        block.put(248, 2, c.mark);
        ID_TYPE kind = ID_TYPE_UNKNOWN;
        EXPECT_TRUE(parser.parseIDType(block.data(), &kind));
        EXPECT_EQ(kind, c.kind) << c.mark;
    }
    TextBlock zeros;
    ID_TYPE kind = ID_TYPE_UNKNOWN;
    EXPECT_TRUE(parser.parseIDType(zeros.data(), &kind));
    EXPECT_EQ(kind, ID_TYPE_CN);
}

TEST_F(IdDataText, KindTestRejectsNullPointers)
{
    TextBlock block;
    ID_TYPE kind = ID_TYPE_UNKNOWN;
    EXPECT_FALSE(parser.parseIDType(block.data(), nullptr));
    EXPECT_FALSE(parser.parseIDType(nullptr, &kind));
    EXPECT_EQ(kind, ID_TYPE_UNKNOWN);
    EXPECT_EQ(debug.lines(), QStringList({"pIDType parameter invalid!", "byData parameter invalid!"}));
}

TEST_F(IdDataText, ResidentCardFillsEveryField)
{
    TextBlock block = residentCard("1", "20400301");
    ID_TEXT_INFO_CN text;
    parser.parseChinaIdText(block.data(), &text);
    // Blanks that fill a field on the card stay.
    EXPECT_EQ(text.name, "张三" + std::string(13, ' '));
    EXPECT_EQ(text.gender, "男");
    EXPECT_EQ(text.nation, "汉");
    EXPECT_EQ(text.birth.year, "1990");
    EXPECT_EQ(text.birth.month, "01");
    EXPECT_EQ(text.birth.day, "02");
    EXPECT_EQ(text.address, "北京市东城区景山前街4号" + std::string(23, ' '));
    EXPECT_EQ(text.idCode, "11010119900102001X");
    // Ten Chinese characters fill the 30-byte limit; the card's blanks are cut.
    EXPECT_EQ(text.dept, "北京市公安局东城分局");
    EXPECT_EQ(text.validPeriod.start, "2020.03.01");
    EXPECT_EQ(text.validPeriod.end, "2040.03.01");
}

TEST_F(IdDataText, ResidentGenderIsMaleOnlyForOne)
{
    for (const char* code : {"1", "2", "9", "X"}) {
        TextBlock block = residentCard(code, "20400301");
        ID_TEXT_INFO_CN text;
        parser.parseChinaIdText(block.data(), &text);
        EXPECT_EQ(text.gender, std::string(code) == "1" ? "男" : "女") << code;
    }
}

TEST_F(IdDataText, ResidentEndWithoutDateIsExactlyLongTerm)
{
    TextBlock block = residentCard("1", "长期");
    ID_TEXT_INFO_CN cn;
    parser.parseChinaIdText(block.data(), &cn);
    EXPECT_EQ(cn.validPeriod.end, "长期");
    ID_TEXT_INFO_HMT hmt;
    parser.parseHMTIDText(block.data(), &hmt);
    EXPECT_EQ(hmt.validPeriod.end, "长期");
}

TEST_F(IdDataText, LongNamesAreCutAtTheLastWholeCharacter)
{
    const QString fifteen = "一二三四五六七八九十甲乙丙丁戊";
    TextBlock block = residentCard("1", "20400301");
    block.put(0, 30, fifteen).put(52, 70, QString(35, QChar(0x4E2D)));
    ID_TEXT_INFO_CN text;
    parser.parseChinaIdText(block.data(), &text);
    EXPECT_EQ(QString::fromStdString(text.name), fifteen.left(10));
    EXPECT_EQ(QString::fromStdString(text.address), QString(33, QChar(0x4E2D)));
}

TEST_F(IdDataText, ResidencePermitAddsPassNumberAndIssueCount)
{
    TextBlock block = residentCard("2", "20400301");
    block.put(122, 36, "810000199001020014").put(220, 18, "H12345678").put(238, 4, "03")
        .put(248, 2, "J");
    ID_TEXT_INFO_HMT text;
    parser.parseHMTIDText(block.data(), &text);
    EXPECT_EQ(text.gender, "女");
    EXPECT_EQ(text.idCode, "810000199001020014");
    EXPECT_EQ(text.passCheckCode, "H12345678");
    EXPECT_EQ(text.changes, "03");
    EXPECT_EQ(text.birth.day, "02");
    EXPECT_TRUE(debug.has("szID=810000199001020014"));
    EXPECT_TRUE(debug.has("szDept=" + QString::fromStdString(text.dept)));
}

TEST_F(IdDataText, Foreign2017KeepsSixtyLetterNameAndCodeAsIs)
{
    const QString english = QString("ABCDEFGHIJ").repeated(6);
    TextBlock block;
    block.put(0, 120, english)
        .put(120, 2, "2")
        .put(122, 30, "USA110080050601")
        .put(152, 6, "USA")
        .put(158, 30, "史密斯")
        .put(188, 16, "20170101")
        .put(204, 16, "长期")
        .put(220, 16, "19800506")
        .put(248, 2, "I");
    ID_TEXT_INFO_FOREIGN_2017 text;
    parser.parseForeign2017IDText(block.data(), &text);
    EXPECT_EQ(text.nameEN, english.toStdString());
    EXPECT_EQ(text.gender, "女");
    EXPECT_EQ(text.idCode, "USA110080050601");
    EXPECT_EQ(text.nationality, "USA");
    EXPECT_EQ(text.nameCN, "史密斯" + std::string(12, ' '));
    EXPECT_EQ(text.validPeriod.start, "2017.01.01");
    // No long-term rule on foreigner cards: the dotted rule applies.
    EXPECT_EQ(text.validPeriod.end, "长期  ." + std::string(2, ' ') + "." + std::string(2, ' '));
    EXPECT_EQ(text.birth.year, "1980");
    EXPECT_EQ(text.acceptanceDept, "");
}

TEST_F(IdDataText, ForeignNewNamesTheCountry)
{
    TextBlock block = foreignNewCard("1", "USA");
    ID_TEXT_INFO_FOREIGN_NEW text;
    parser.parseForeignNewIDText(block.data(), &text);
    EXPECT_EQ(text.nameCN, "汤姆" + std::string(13, ' '));
    EXPECT_EQ(text.gender, "男");
    EXPECT_EQ(text.changes, "01");
    EXPECT_EQ(text.birth.month, "05");
    EXPECT_EQ(text.nameEN, "SMITH, TOM" + std::string(25, ' '));
    EXPECT_EQ(text.idCode, "911840198005060017");
    EXPECT_EQ(text.validPeriod.end, "2033.01.01");
    EXPECT_EQ(text.nationality, "美国 / USA");
    EXPECT_TRUE(debug.has("<so>szSexCode=1"));
    EXPECT_TRUE(debug.has("pid_text_info_foreign_new->gender=男"));
    EXPECT_TRUE(debug.has("<from so>szBirth=19800506"));
    EXPECT_TRUE(debug.has(QString::fromUtf8("nationality= \"美国\"")));

    TextBlock unknown = foreignNewCard("1", "XYZ");
    parser.parseForeignNewIDText(unknown.data(), &text);
    EXPECT_EQ(text.nationality, " / XYZ");
}

TEST_F(IdDataText, ForeignCardsStopOnUnknownGender)
{
    ID_TEXT_INFO_FOREIGN_NEW fresh;
    fresh.gender = fresh.idCode = fresh.nationality = "old";
    TextBlock block = foreignNewCard("3", "USA");
    parser.parseForeignNewIDText(block.data(), &fresh);
    EXPECT_EQ(fresh.nameCN, "汤姆" + std::string(13, ' '));
    EXPECT_EQ(fresh.gender, "old");
    EXPECT_EQ(fresh.idCode, "old");
    EXPECT_EQ(fresh.nationality, "old");
    EXPECT_TRUE(debug.has("gender parse fail!"));

    TextBlock old;
    old.put(0, 120, "DOE JOHN").put(120, 2, "3").put(122, 30, "USA110080050601");
    ID_TEXT_INFO_FOREIGN_2017 text;
    text.idCode = "old";
    parser.parseForeign2017IDText(old.data(), &text);
    EXPECT_EQ(text.nameEN.substr(0, 8), "DOE JOHN");
    EXPECT_EQ(text.gender, "");
    EXPECT_EQ(text.idCode, "old");
}

TEST_F(IdDataText, NullRecordOrBlockRaisesBadAlloc)
{
    TextBlock block = residentCard("1", "长期");
    EXPECT_THROW(parser.parseChinaIdText(block.data(), nullptr), std::bad_alloc);
    ID_TEXT_INFO_HMT hmt;
    EXPECT_THROW(parser.parseHMTIDText(nullptr, &hmt), std::bad_alloc);
    EXPECT_THROW(parser.parseForeign2017IDText(block.data(), nullptr), std::bad_alloc);
    ID_TEXT_INFO_FOREIGN_NEW fn;
    EXPECT_THROW(parser.parseForeignNewIDText(nullptr, &fn), std::bad_alloc);
    EXPECT_EQ(fn.nameCN, "");
}

TEST_F(IdDataText, FieldDecodingGuardsItsBuffers)
{
    TextBlock block = residentCard("1", "长期");
    char out[8];
    std::memset(out, 'x', sizeof out);
    parser.DecodeIDBase(nullptr, 0, 30, out, 7);
    parser.DecodeIDBase(block.data(), 0, 128, out, 7);  // longer than any field
    parser.DecodeIDBase(block.data(), 0, -2, out, 7);
    EXPECT_EQ(std::string(out, 8), "xxxxxxxx");
    parser.DecodeIDBase(block.data(), 0, 30, nullptr, 7);

    // Seven bytes hold two Chinese characters, not a part of the third.
    parser.DecodeIDBase(block.data(), 0, 30, out, 7);
    EXPECT_EQ(std::string(out, 7), "张三 ");

    // A field that starts with the bytes of a byte-order mark stays little-endian.
    TextBlock marked;
    marked.put(0, 6, QString(QChar(0xFEFF)) + "AB");
    char text[16] = {};
    parser.DecodeIDBase(marked.data(), 0, 6, text, 15);
    EXPECT_EQ(std::string(text), "\xEF\xBB\xBF" "AB");
}

TEST_F(IdDataText, NationalityLookupIsExact)
{
    QString name = "unchanged";
    EXPECT_TRUE(parser.parseNationality("USA", name));
    EXPECT_EQ(name, QString::fromUtf8("美国"));
    EXPECT_TRUE(parser.parseNationality("GMB", name));
    EXPECT_EQ(name, QString::fromUtf8("冈比亚Gambia"));
    name = "unchanged";
    EXPECT_FALSE(parser.parseNationality("usa", name));
    EXPECT_FALSE(parser.parseNationality("USA ", name));
    EXPECT_EQ(name, "unchanged");
}

}  // namespace
