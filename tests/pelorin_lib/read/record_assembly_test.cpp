// SPDX-License-Identifier: Apache-2.0
// Every field of every card kind arrives in its record exactly as the card
// file holds it; the other records stay as the caller passed them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>

#include "read_arguments.h"
#include "read_harness.h"

namespace {

QJsonObject cardFields(const char* card)
{
    QFile file(fixtureCard(card));
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object().value("fields").toObject();
}

QByteArray cardFile(const char* card, const char* key)
{
    QFile json(fixtureCard(card));
    json.open(QIODevice::ReadOnly);
    QString name = QJsonDocument::fromJson(json.readAll()).object().value(key).toString();
    QFile file(QFileInfo(fixtureCard(card)).dir().filePath(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

std::string field(const QJsonObject& fields, const char* name)
{
    return fields.value(name).toString().toStdString();
}

void expectBirth(const BIRTH_INFO& birth, const std::string& date)
{
    EXPECT_EQ(birth.year, date.substr(0, 4));
    EXPECT_EQ(birth.month, date.substr(4, 2));
    EXPECT_EQ(birth.day, date.substr(6));
}


// Callers' records carry marker text so that untouched fields can be told apart.
void markRecords(ReadArguments& args)
{
    args.cn->idTextInfoCN.name = "untouched";
    args.hmt->idTextInfoHMT.name = "untouched";
    args.foreignNew->idTextInfoForeignNew.nameCN = "untouched";
    args.foreign2017->idTextInfoForeign2017.nameCN = "untouched";
    args.foreign2017->idTextInfoForeign2017.acceptanceDept = "caller's dept";
    memset(args.cn->idInfoTailCN.headImage, 0x5A, HEAD_IMAGE_BMP_SIZE);
}

}  // namespace

TEST(RecordAssembly, ResidentCard)
{
    SimulatorSetting sim(nullptr, fixtureCard("cn.json"));
    ReadArguments args;
    markRecords(args);
    ASSERT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.idType, ID_TYPE_CN);
    QJsonObject f = cardFields("cn.json");
    const ID_TEXT_INFO_CN& t = args.cn->idTextInfoCN;
    EXPECT_EQ(t.name, field(f, "sfz_name"));
    EXPECT_EQ(t.gender, field(f, "sfz_gender"));
    EXPECT_EQ(t.nation, field(f, "sfz_nation"));
    EXPECT_EQ(t.address, field(f, "sfz_address"));
    EXPECT_EQ(t.idCode, field(f, "sfz_idNumber"));
    EXPECT_EQ(t.dept, field(f, "sfz_issueOrganization"));
    EXPECT_EQ(t.validPeriod.start, field(f, "sfz_validDateStart"));
    EXPECT_EQ(t.validPeriod.end, field(f, "sfz_validDateEnd"));
    expectBirth(t.birth, field(f, "sfz_birthday"));
    EXPECT_EQ(t.birth.year, "1990");
    EXPECT_EQ(t.birth.month, "01");
    EXPECT_EQ(t.birth.day, "02");

    QByteArray photo = cardFile("cn.json", "photo");
    ASSERT_EQ(photo.size(), HEAD_IMAGE_BMP_SIZE);
    EXPECT_EQ(memcmp(args.cn->idInfoTailCN.headImage, photo.constData(), HEAD_IMAGE_BMP_SIZE), 0);
    QByteArray fp = cardFile("cn.json", "fingerprints");
    ASSERT_EQ(fp.size(), 1024);
    EXPECT_EQ(args.cn->idInfoTailCN.finger_info_type, TWO_FP_INFO);
    EXPECT_EQ(memcmp(args.cn->idInfoTailCN.fingerFeature, fp.constData(), 1024), 0);

    EXPECT_EQ(args.hmt->idTextInfoHMT.name, "untouched");
    EXPECT_EQ(args.foreignNew->idTextInfoForeignNew.nameCN, "untouched");
    EXPECT_EQ(args.foreign2017->idTextInfoForeign2017.nameCN, "untouched");
}

TEST(RecordAssembly, ResidencePermitIncludingIssueCount)
{
    SimulatorSetting sim(nullptr, fixtureCard("hmt.json"));
    ReadArguments args;
    markRecords(args);
    ASSERT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.idType, ID_TYPE_HMT);
    QJsonObject f = cardFields("hmt.json");
    const ID_TEXT_INFO_HMT& t = args.hmt->idTextInfoHMT;
    EXPECT_EQ(t.name, field(f, "gat_name"));
    EXPECT_EQ(t.gender, field(f, "gat_gender"));
    EXPECT_EQ(t.address, field(f, "gat_address"));
    EXPECT_EQ(t.idCode, field(f, "gat_idNumber"));
    EXPECT_EQ(t.dept, field(f, "gat_issueOrganization"));
    EXPECT_EQ(t.validPeriod.start, field(f, "gat_validDateStart"));
    EXPECT_EQ(t.validPeriod.end, field(f, "gat_validDateEnd"));
    EXPECT_EQ(t.passCheckCode, field(f, "gat_passCheckId"));
    EXPECT_EQ(t.changes, field(f, "gat_issuesNumber"));
    expectBirth(t.birth, field(f, "gat_birthday"));
    QByteArray photo = cardFile("hmt.json", "photo");
    EXPECT_EQ(memcmp(args.hmt->idInfoTailOther.headImage, photo.constData(), HEAD_IMAGE_BMP_SIZE), 0);
    EXPECT_EQ(args.cn->idTextInfoCN.name, "untouched");
    EXPECT_EQ(args.cn->idInfoTailCN.headImage[100], 0x5A);
}

TEST(RecordAssembly, ForeignerCardNewLayoutWithCountryName)
{
    SimulatorSetting sim(nullptr, fixtureCard("fnew.json"));
    ReadArguments args;
    markRecords(args);
    ASSERT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.idType, ID_TYPE_FOREIGN_NEW);
    QJsonObject f = cardFields("fnew.json");
    const ID_TEXT_INFO_FOREIGN_NEW& t = args.foreignNew->idTextInfoForeignNew;
    EXPECT_EQ(t.nameCN, field(f, "yjz_nameChinese"));
    EXPECT_EQ(t.gender, field(f, "yjz_gender"));
    EXPECT_EQ(t.idCode, field(f, "yjz_idNumber"));
    EXPECT_EQ(t.nameEN, field(f, "yjz_nameEnglish"));
    EXPECT_EQ(t.validPeriod.start, field(f, "yjz_validDateStart"));
    EXPECT_EQ(t.validPeriod.end, field(f, "yjz_validDateEnd"));
    EXPECT_EQ(t.changes, field(f, "yjz_renewalNumber"));
    EXPECT_EQ(t.nationality, "美国");
    expectBirth(t.birth, field(f, "yjz_birthday"));
    EXPECT_EQ(args.foreign2017->idTextInfoForeign2017.nameCN, "untouched");
}

TEST(RecordAssembly, ForeignerCard2017LayoutKeepsAcceptanceDept)
{
    SimulatorSetting sim(nullptr, fixtureCard("f2017.json"));
    ReadArguments args;
    markRecords(args);
    ASSERT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.idType, ID_TYPE_FOREIGN_2017);
    QJsonObject f = cardFields("f2017.json");
    const ID_TEXT_INFO_FOREIGN_2017& t = args.foreign2017->idTextInfoForeign2017;
    EXPECT_EQ(t.nameEN, field(f, "yjzOld_nameEnglish"));
    EXPECT_EQ(t.gender, field(f, "yjzOld_gender"));
    EXPECT_EQ(t.idCode, field(f, "yjzOld_idNumber"));
    EXPECT_EQ(t.nameCN, field(f, "yjzOld_nameChinese"));
    EXPECT_EQ(t.validPeriod.start, field(f, "yjzOld_validDateStart"));
    EXPECT_EQ(t.validPeriod.end, field(f, "yjzOld_validDateEnd"));
    EXPECT_EQ(t.nationality, "加拿大");
    EXPECT_EQ(t.acceptanceDept, "caller's dept");
    expectBirth(t.birth, field(f, "yjzOld_birthday"));
    EXPECT_EQ(args.foreignNew->idTextInfoForeignNew.nameCN, "untouched");
}

TEST(RecordAssembly, UnknownCountryCodeGivesEmptyNationality)
{
    SimulatorSetting sim(nullptr, fixtureCard("fnew_unknown_country.json"));
    ReadArguments args;
    args.foreignNew->idTextInfoForeignNew.nationality = "previous";
    ASSERT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.foreignNew->idTextInfoForeignNew.nationality, "");
}

TEST(RecordAssembly, BirthDatesOfSixAndNoCharacters)
{
    {
        SimulatorSetting sim(nullptr, fixtureCard("cn_birth6.json"));
        ReadArguments args;
        ASSERT_EQ(args.read(), READ_OK);
        EXPECT_EQ(args.cn->idTextInfoCN.birth.year, "1990");
        EXPECT_EQ(args.cn->idTextInfoCN.birth.month, "01");
        EXPECT_EQ(args.cn->idTextInfoCN.birth.day, "");
    }
    SimulatorSetting sim(nullptr, fixtureCard("cn_nobirth.json"));
    ReadArguments args;
    args.cn->idTextInfoCN.birth = {"x", "y", "z"};
    ASSERT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.cn->idTextInfoCN.birth.year, "");
    EXPECT_EQ(args.cn->idTextInfoCN.birth.month, "");
    EXPECT_EQ(args.cn->idTextInfoCN.birth.day, "");
}

TEST(RecordAssembly, FingerprintBlocksOfOneAndNone)
{
    {
        SimulatorSetting sim(nullptr, fixtureCard("cn_fp512.json"));
        ReadArguments args;
        memset(args.cn->idInfoTailCN.fingerFeature, 0xEE, 1024);
        ASSERT_EQ(args.read(), READ_OK);
        EXPECT_EQ(args.cn->idInfoTailCN.finger_info_type, ONE_FP_INFO);
        QByteArray fp = cardFile("cn_fp512.json", "fingerprints");
        ASSERT_EQ(fp.size(), 512);
        EXPECT_EQ(memcmp(args.cn->idInfoTailCN.fingerFeature, fp.constData(), 512), 0);
        for (int i = 512; i < 1024; ++i)
            ASSERT_EQ(args.cn->idInfoTailCN.fingerFeature[i], 0) << i;
    }
    SimulatorSetting sim(nullptr, fixtureCard("cn_nofp.json"));
    ReadArguments args;
    memset(args.cn->idInfoTailCN.fingerFeature, 0xEE, 1024);
    ASSERT_EQ(args.read(), READ_OK);
    EXPECT_EQ(args.cn->idInfoTailCN.finger_info_type, NO_FP_INFO);
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(args.cn->idInfoTailCN.fingerFeature[i], 0) << i;
}

TEST(RecordAssembly, UnusableCardsWriteNoRecord)
{
    struct Case {
        const char* scenario;
        const char* card;
        READ_RESULT expected;
    };
    const Case cases[] = {
        {"card-type:7", "cn.json", UNSUPPORT_CARD},
        {"card-type:0", "hmt.json", UNSUPPORT_CARD},
        {nullptr, "cn_fp300.json", PARSE_ERROR},
    };
    for (const Case& c : cases) {
        SimulatorSetting sim(c.scenario, fixtureCard(c.card));
        ReadArguments args;
        markRecords(args);
        EXPECT_EQ(args.read(), c.expected) << c.card;
        EXPECT_EQ(args.idType, ID_TYPE_UNKNOWN) << c.card;
        EXPECT_EQ(args.cn->idTextInfoCN.name, "untouched") << c.card;
        EXPECT_EQ(args.hmt->idTextInfoHMT.name, "untouched") << c.card;
        EXPECT_EQ(args.cn->idInfoTailCN.headImage[0], 0x5A) << c.card;
    }
}
