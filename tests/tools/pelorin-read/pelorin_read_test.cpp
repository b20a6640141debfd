// SPDX-License-Identifier: Apache-2.0
// pelorin-read run as a separate process against the simulated reader.
#include "read_tool.h"
#include "umask_test.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace {

// A string member as UTF-8, so comparisons print readable values.
std::string str(const QJsonObject& object, const char* key)
{
    EXPECT_TRUE(object.value(key).isString()) << key;
    return object.value(key).toString().toStdString();
}

void expectBirth(const QJsonObject& record, const char* year, const char* month, const char* day)
{
    const QJsonObject birth = record.value("birth").toObject();
    EXPECT_EQ(str(birth, "year"), year);
    EXPECT_EQ(str(birth, "month"), month);
    EXPECT_EQ(str(birth, "day"), day);
}

void expectPeriod(const QJsonObject& record, const char* start, const char* end)
{
    const QJsonObject period = record.value("validPeriod").toObject();
    EXPECT_EQ(str(period, "start"), start);
    EXPECT_EQ(str(period, "end"), end);
}

// A face is written as the JPEG picture the library composed, and named.
void expectFace(const QJsonObject& files, const char* key, const QString& fileName)
{
    EXPECT_EQ(str(files, key), fileName.toStdString()) << key;
    const QByteArray jpeg = fileBytes(fileName);
    EXPECT_TRUE(jpeg.startsWith("\xff\xd8\xff")) << key;
    EXPECT_TRUE(jpeg.endsWith("\xff\xd9")) << key;
}

using PelorinRead = UmaskTest;

}  // namespace

TEST_F(PelorinRead, ResidentCardWithPhotoAndFaces)
{
    // A file already there, readable by all, is replaced by one of the owner's.
    QFile existing(path("f.jpg"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    ASSERT_EQ(modeOf(path("f.jpg")), 0644);

    const ToolRun run = runTool({"--photo", path("p.bmp"), "--front", path("f.jpg"), "--back", path("b.jpg")},
                                kFixtures + "/cn.json");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(run.validJson) << run.out.toStdString();
    EXPECT_EQ(str(run.json, "kind"), "ID_TYPE_CN");
    EXPECT_EQ(run.json.value("idType").toInt(-99), 0);
    EXPECT_EQ(str(run.json, "finger_info_type"), "TWO_FP_INFO");

    const QJsonObject record = run.json.value("record").toObject();
    EXPECT_EQ(str(record, "name"), "李婉清");
    EXPECT_EQ(str(record, "gender"), "女");
    EXPECT_EQ(str(record, "nation"), "回");
    EXPECT_EQ(str(record, "address"), "上海市浦东新区世纪大道1200弄7号602室");
    EXPECT_EQ(str(record, "idCode"), "310115199001020024");
    EXPECT_EQ(str(record, "dept"), "上海市公安局浦东分局");
    expectBirth(record, "1990", "01", "02");
    expectPeriod(record, "20150611", "20350611");

    const QJsonObject files = run.json.value("files").toObject();
    EXPECT_EQ(str(files, "photo"), path("p.bmp").toStdString());
    EXPECT_EQ(fileBytes(path("p.bmp")), fileBytes(kFixtures + "/cn_photo.bmp"));
    expectFace(files, "front", path("f.jpg"));
    expectFace(files, "back", path("b.jpg"));
    for (const char* name : {"p.bmp", "f.jpg", "b.jpg"})
        EXPECT_EQ(modeOf(path(name)), 0600) << name;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3) << "no temporary file left";
}

TEST_F(PelorinRead, ResidencePermit)
{
    const ToolRun run = runTool({"--back", path("b.jpg")}, kFixtures + "/hmt.json");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(run.validJson) << run.out.toStdString();
    EXPECT_EQ(str(run.json, "kind"), "ID_TYPE_HMT");
    EXPECT_EQ(run.json.value("idType").toInt(-99), 3);
    EXPECT_FALSE(run.json.contains("finger_info_type"));
    const QJsonObject files = run.json.value("files").toObject();
    EXPECT_EQ(files.keys(), QStringList{"back"});
    expectFace(files, "back", path("b.jpg"));

    const QJsonObject record = run.json.value("record").toObject();
    EXPECT_EQ(str(record, "name"), "何志强");
    EXPECT_EQ(str(record, "gender"), "男");
    EXPECT_EQ(str(record, "address"), "广东省深圳市福田区福华三路88号");
    EXPECT_EQ(str(record, "idCode"), "810000198507230014");
    EXPECT_EQ(str(record, "dept"), "深圳市公安局福田分局");
    EXPECT_EQ(str(record, "passCheckCode"), "H01234567");
    EXPECT_TRUE(record.value("changes").isString());
    expectBirth(record, "1985", "07", "23");
    expectPeriod(record, "20190301", "20240301");
}

TEST_F(PelorinRead, ForeignerCardNewLayout)
{
    const ToolRun run = runTool({"--photo", path("p.bmp")}, kFixtures + "/fnew.json");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(run.validJson) << run.out.toStdString();
    EXPECT_EQ(str(run.json, "kind"), "ID_TYPE_FOREIGN_NEW");
    EXPECT_EQ(run.json.value("idType").toInt(-99), 2);

    const QJsonObject record = run.json.value("record").toObject();
    EXPECT_EQ(str(record, "nameCN"), "马克");
    EXPECT_EQ(str(record, "nameEN"), "MILLER, MARK JAMES");
    EXPECT_EQ(str(record, "gender"), "男");
    EXPECT_EQ(str(record, "changes"), "01");
    EXPECT_EQ(str(record, "idCode"), "931840198506120019");
    EXPECT_EQ(str(record, "nationality"), "美国");
    EXPECT_EQ(str(record, "nationalityCode"), "USA");
    expectBirth(record, "1985", "06", "12");
    expectPeriod(record, "20230901", "20330901");
    EXPECT_EQ(fileBytes(path("p.bmp")), fileBytes(kFixtures + "/fnew_photo.bmp"));
}

TEST_F(PelorinRead, ForeignerCard2017Layout)
{
    const ToolRun run = runTool({}, kFixtures + "/f2017.json");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(run.validJson) << run.out.toStdString();
    EXPECT_EQ(str(run.json, "kind"), "ID_TYPE_FOREIGN_2017");
    EXPECT_EQ(run.json.value("idType").toInt(-99), 1);

    const QJsonObject record = run.json.value("record").toObject();
    EXPECT_EQ(str(record, "nameEN"), "MACDONALD-FITZGERALD, ALEXANDRA CATHERINE ELIZABETH");
    EXPECT_EQ(str(record, "nameCN"), "麦雅丽");
    EXPECT_EQ(str(record, "gender"), "女");
    EXPECT_EQ(str(record, "idCode"), "CAN110780921012");
    EXPECT_EQ(str(record, "nationality"), "加拿大");
    EXPECT_EQ(str(record, "nationalityCode"), "CAN");
    EXPECT_EQ(str(record, "acceptanceDept"), "");
    expectBirth(record, "1978", "09", "21");
    expectPeriod(record, "20170615", "20270615");
}

TEST_F(PelorinRead, TextNeedingEscapesStaysValidJson)
{
    QFile card(path("odd.json"));
    ASSERT_TRUE(card.open(QIODevice::WriteOnly));
    card.write(R"({"cardType": 1, "fields": {"sfz_name": "A\"B\\C\t\u0001/<", "sfz_birthday": "19900"}})");
    card.close();

    const ToolRun run = runTool({"--photo", path("p.bmp")}, path("odd.json"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(run.validJson) << run.out.toStdString();
    const QJsonObject record = run.json.value("record").toObject();
    EXPECT_EQ(str(record, "name"), "A\"B\\C\t\x01/<");
    expectBirth(record, "1990", "0", "");
    EXPECT_EQ(fileBytes(path("p.bmp")).size(), 38862);
}

TEST_F(PelorinRead, UnwritableFileIsReportedButCardStillPrinted)
{
    const ToolRun run = runTool({"--photo", "/nonexistent-dir/p.bmp"}, kFixtures + "/cn.json");
    EXPECT_EQ(run.exitCode, 3);
    ASSERT_TRUE(run.validJson) << run.out.toStdString();
    EXPECT_EQ(str(run.json.value("files").toObject(), "photo").rfind("could not be written", 0), 0u);
    EXPECT_TRUE(run.err.contains(
        "pelorin-read: /nonexistent-dir/p.bmp could not be written: No such file or directory\n"))
        << run.err.toStdString();
}

TEST_F(PelorinRead, ChecksOfGoodExpiredAndMistypedCards)
{
    ToolRun run = runTool({"--on", "2026-12-10"});  // the built-in card
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json["checks"].toObject(),
              (QJsonObject{{"idNumberValid", true}, {"birthMatchesIdNumber", true},
                           {"genderMatchesIdNumber", true}, {"expired", false}, {"ageYears", 38}}));
    run = runTool({"--on", "2027-03-14"});
    EXPECT_EQ(run.json.value("checks")["ageYears"], 38) << "the day before the birthday";
    run = runTool({"--on", "2027-03-15"});
    EXPECT_EQ(run.json.value("checks")["ageYears"], 39);

    run = runTool({"--on", "2026-12-10"}, kFixtures + "/hmt.json");  // valid until 2024-03-01
    EXPECT_EQ(run.json.value("checks")["expired"], true);
    EXPECT_EQ(run.json.value("checks")["idNumberValid"], true);
    run = runTool({"--on", "2024-03-01"}, kFixtures + "/hmt.json");
    EXPECT_EQ(run.json.value("checks")["expired"], false) << "valid through its last day";

    // The resident card with one digit of its number changed.
    run = runTool({}, kFixtures + "/cn_mistyped.json");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject checks = run.json["checks"].toObject();
    EXPECT_EQ(checks["idNumberValid"], false);
    EXPECT_EQ(checks["genderMatchesIdNumber"], false);  // 3: a man's number on a woman's card
    EXPECT_EQ(checks["birthMatchesIdNumber"], true);
    EXPECT_EQ(str(run.json["record"].toObject(), "idCode"), "310115199001020034") << "the record unchanged";

    run = runTool({}, kFixtures + "/f2017.json");
    EXPECT_TRUE(run.json.value("checks")["idNumberValid"].isNull());
}

TEST(PelorinReadFailure, NoReader)
{
    const ToolRun run = runTool({}, kFixtures + "/cn.json", "no-reader");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("OPEN_DEV_FAIL (-5): the card reader could not be opened\n"))
        << run.err.toStdString();
}

TEST(PelorinReadFailure, NoCard)
{
    const ToolRun run = runTool({}, kFixtures + "/cn.json", "no-card");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("READ_NO_DATA (-24): there is no card on the reader\n"))
        << run.err.toStdString();
}

TEST(PelorinReadFailure, ReaderThatBlocksTimesOut)
{
    const ToolRun run = runTool({}, kFixtures + "/cn.json", "block:9000");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("READ_DATA_TIMEOUT (-25): the reader gave no result within 8 seconds\n"))
        << run.err.toStdString();
    EXPECT_GE(run.elapsedMs, 7500);
    EXPECT_LT(run.elapsedMs, 9000);  // did not wait for the blocked reader to give up
}

// A readers file naming the simulated reader with a card file: the card is
// read from it, and --probe asks the simulated reader like any other.
TEST(PelorinReadReaders, SimulatedLineOfTheReadersFile)
{
    QTemporaryDir dir;
    const QString readers = dir.filePath("readers.conf");
    const QString card = kFixtures + "/hmt.json";
    QFile file(readers);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("simulated " + card + "\n").toUtf8());
    file.close();
    qputenv("PELORIN_READERS", QFile::encodeName(readers));

    ToolRun run = runTool({}, kFixtures + "/cn.json");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(str(run.json, "kind"), "ID_TYPE_HMT") << "the line's card file wins over KVSSIM_CARD";
    const QByteArray line = "simulated " + QFile::encodeName(card) + ": present";
    const struct {
        const char* scenario;
        int exitCode;
        QByteArray printed;
    } probes[] = {{"", 0, line + ", card found (144)\n"},
                  {"no-card", 4, line + ", no card (128)\n"},
                  {"no-reader", 5, "simulated " + QFile::encodeName(card) + ": absent\n"}};
    for (const auto& probe : probes) {
        run = runTool({"--probe"}, QString(), probe.scenario);
        EXPECT_EQ(run.exitCode, probe.exitCode) << probe.scenario;
        EXPECT_TRUE(run.out.endsWith(probe.printed)) << run.out.toStdString();
    }
    qunsetenv("PELORIN_READERS");
}

TEST(PelorinReadCommandLine, VersionHelpAndBadArguments)
{
    ToolRun run = runTool({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "version:" PELORIN_VERSION "\n");

    run = runTool({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("Usage: pelorin-read"));
    // Which reader library the loader took, here the simulated reader beside libpelorin.
    EXPECT_TRUE(run.out.endsWith("/bin/libkvsdecompose.so\n")) << run.out.toStdString();

    for (const QStringList& args :
         {QStringList{"--photo"}, QStringList{"--front="}, QStringList{"-x"},
          QStringList{"--watch", "--usb", "0400:c35a"}, QStringList{"--copy", "copy.doc"},
          QStringList{"--watermark", "TEXT"}, QStringList{"--copy", "c.pdf", "--usb", "0400:c35a"},
          QStringList{"--on", "2026-02-30"}, QStringList{"--on", "10.12.2026"}}) {
        run = runTool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains("Usage: pelorin-read"));
    }
}
