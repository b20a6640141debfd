// SPDX-License-Identifier: Apache-2.0
// pelorin-read --usb as a separate process against the emulated reader.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "emulated_reader.h"
#include "reader_frames.h"
#include "text_block.h"
#include "tool_process.h"

using namespace reader_frames;

namespace {

class UsbReadTool : public ::testing::Test {
protected:
    static constexpr uint8_t kDevnum = 4;

    void scriptCard(const Bytes& frame)
    {
        scriptCardFoundAndSelected(talk);
        talk.hostSends(kOut, fetchRequest());
        talk.deviceAnswers(kIn, 2321, frame);
        ASSERT_TRUE(bed.play(sysfs, talk));
    }
    ToolRun run(QStringList args)
    {
        return runToolProcess(PELORIN_READ_PATH, QStringList{"--usb", "f055:1d0c"} + args,
                              QProcessEnvironment::systemEnvironment(), dir.path());
    }
    QByteArray fileBytes(const QString& name) { return ::fileBytes(dir.filePath(name)); }

    QTemporaryDir dir;
    EmulatedReader bed;
    std::string sysfs = bed.addReader(kDevnum);
    UsbConversation talk{EmulatedReader::kBusnum, kDevnum};
};

TEST_F(UsbReadTool, ResidentCardWithFingerprintsToTheNamedFile)
{
    TextBlock text;
    text.put(0, 30, "王五").put(30, 2, "1").put(32, 4, "03").put(36, 16, "20010203")
        .put(204, 16, "长期");
    const Bytes frame = dataFrame(1024, text.data());
    scriptCard(frame);
    const ToolRun result = run({"--fp-file", "fingers.bin"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.json["kind"].toString(), "ID_TYPE_CN");
    const QJsonObject record = result.json["record"].toObject();
    EXPECT_EQ(record["name"].toString(), QString::fromUtf8("王五") + QString(13, ' '));
    EXPECT_EQ(record["nation"].toString(), QString::fromUtf8("回"));
    EXPECT_EQ(record["validPeriod"].toObject()["end"].toString(), QString::fromUtf8("长期"));
    EXPECT_EQ(result.json["finger_info_type"].toString(), "TWO_FP_INFO");
    EXPECT_EQ(result.json["files"].toObject()["fingerprints"].toString(), "fingers.bin");
    EXPECT_EQ(fileBytes("fingers.bin"),
              QByteArray(reinterpret_cast<const char*>(frame.data()) + 1296, 1024));
    EXPECT_FALSE(QFile::exists(dir.filePath("fp_raw_data.dat")));
}

TEST_F(UsbReadTool, FingerprintsGoToTheParsersFileByDefault)
{
    TextBlock text;
    text.put(0, 30, "赵六").put(30, 2, "2").put(32, 4, "01");
    const Bytes frame = dataFrame(512, text.data());
    scriptCard(frame);
    const ToolRun result = run({});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.json["finger_info_type"].toString(), "ONE_FP_INFO");
    EXPECT_EQ(fileBytes("fp_raw_data.dat"),
              QByteArray(reinterpret_cast<const char*>(frame.data()) + 1296, 512));
    EXPECT_TRUE(result.err.contains("source id card has one fp data"));
}

TEST_F(UsbReadTool, ForeignCardWithoutFingerprints)
{
    TextBlock text;
    text.put(0, 30, "汤姆").put(30, 2, "1").put(52, 70, "SMITH TOM").put(242, 6, "USA")
        .put(248, 2, "Y");
    scriptCard(dataFrame(0, text.data()));
    const ToolRun result = run({"--fp-file", "fingers.bin"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.json["kind"].toString(), "ID_TYPE_FOREIGN_NEW");
    EXPECT_EQ(result.json["record"].toObject()["nationality"].toString(),
              QString::fromUtf8("美国 / USA"));
    EXPECT_EQ(result.json["files"].toObject()["fingerprints"].toString(), "not available");
    EXPECT_FALSE(result.json.contains("finger_info_type"));
}

TEST_F(UsbReadTool, ReaderFailureIsReportedWithItsCode)
{
    scriptCardFoundAndSelected(talk);
    talk.hostSends(kOut, fetchRequest());
    talk.deviceAnswers(kIn, 2321, statusOnly());
    ASSERT_TRUE(bed.play(sysfs, talk));
    const ToolRun result = run({});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.json.isEmpty());
    EXPECT_TRUE(result.err.contains("READ_NO_DATA (-24)")) << result.err.toStdString();
}

}  // namespace

TEST_F(UsbReadTool, ResidencePermit)
{
    TextBlock text;
    text.put(0, 30, "何志强").put(30, 2, "1").put(122, 36, "810000198507230014").put(220, 18, "H01234567")
        .put(248, 2, "J");
    scriptCard(dataFrame(0, text.data()));
    const ToolRun result = run({});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.json["kind"].toString(), "ID_TYPE_HMT");
    EXPECT_EQ(result.json["record"].toObject()["passCheckCode"].toString(), "H01234567");
    EXPECT_EQ(result.json["record"].toObject()["name"].toString(), QString::fromUtf8("何志强") + QString(12, ' '));
}

TEST_F(UsbReadTool, ForeignCard2017)
{
    TextBlock text;
    text.put(0, 120, "MACDONALD ALEXANDRA").put(120, 2, "2").put(152, 6, "CAN").put(158, 30, "麦雅丽")
        .put(248, 2, "I");
    scriptCard(dataFrame(0, text.data()));
    const ToolRun result = run({});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.json["kind"].toString(), "ID_TYPE_FOREIGN_2017");
    EXPECT_EQ(result.json["record"].toObject()["nationality"].toString(), "CAN");
    EXPECT_EQ(result.json["record"].toObject()["gender"].toString(), QString::fromUtf8("女"));
}
