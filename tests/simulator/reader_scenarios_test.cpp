// SPDX-License-Identifier: Apache-2.0
// The simulated reader's built-in card, its scenarios and the call trace.
#include "simulator_fixture.h"

#include "builtin_photo_payload.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

class ReaderScenarios : public SimulatorTest {};

TEST_F(ReaderScenarios, BuiltInCardIsAResidentCardWithCompressedPhotoAndFullFingerprints)
{
    const ReadOutcome out = openAndRead();
    ASSERT_EQ(out.result, KVS_OK);
    EXPECT_EQ(out.info.cardType, 1);
    EXPECT_EQ(fieldText(out.info.sfz_name, 30), "陈思远");
    EXPECT_EQ(fieldText(out.info.sfz_gender, 6), "男");
    EXPECT_EQ(fieldText(out.info.sfz_nation, 8), "汉");
    EXPECT_EQ(fieldText(out.info.sfz_birthday, 16), "19880315");
    EXPECT_EQ(fieldText(out.info.sfz_idNumber, 36).size(), 18u);
    EXPECT_FALSE(fieldText(out.info.sfz_address, 70).empty());
    EXPECT_FALSE(fieldText(out.info.sfz_issueOrganization, 30).empty());
    EXPECT_EQ(fieldText(out.info.sfz_validDateStart, 16).size(), 8u);
    EXPECT_EQ(fieldText(out.info.sfz_validDateEnd, 16).size(), 8u);
    ASSERT_EQ(out.photoLength, 1024u);
    EXPECT_TRUE(std::equal(kBuiltinPhotoPayload, kBuiltinPhotoPayload + 1024, out.photo.begin()));
    EXPECT_EQ(std::count(out.photo.begin() + 1024, out.photo.end(), 0), 38862 - 1024) << "nothing past the payload";
    EXPECT_EQ(out.fingerprintLength, 1024u);
    EXPECT_NE(std::count(out.fingerprints.begin(), out.fingerprints.end(), 0), 1024);
    EXPECT_EQ(KVS_ClosePort(KVS_PORT), KVS_OK);
}

TEST_F(ReaderScenarios, NoReaderFailsTheOpenAndLeavesThePortClosed)
{
    setenv("KVSSIM_SCENARIO", "no-reader", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(KVS_OpenPort(KVS_PORT), reader_result::kNoReader);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("the simulated reader is absent"), std::string::npos);
    EXPECT_EQ(KVS_FindIDCard(KVS_PORT), reader_result::kPortNotOpen);
    EXPECT_EQ(KVS_ClosePort(KVS_PORT), reader_result::kPortNotOpen);
}

TEST_F(ReaderScenarios, NoCardFailsTheFind)
{
    setenv("KVSSIM_SCENARIO", "no-card", 1);
    ASSERT_EQ(KVS_OpenPort(KVS_PORT), KVS_OK);
    EXPECT_EQ(KVS_FindIDCard(KVS_PORT), 128);
    EXPECT_EQ(KVS_ClosePort(KVS_PORT), KVS_OK);
}

TEST_F(ReaderScenarios, RetryAnswersRetryNTimesThenReadsAndStartsOverOnEachOpen)
{
    setenv("KVSSIM_SCENARIO", "retry:2", 1);
    for (int session = 0; session < 2; ++session) {
        EXPECT_EQ(openAndRead().result, KVS_RETRY);
        EXPECT_EQ(read().result, KVS_RETRY);
        const ReadOutcome out = read();
        EXPECT_EQ(out.result, KVS_OK);
        EXPECT_EQ(out.info.cardType, 1);
        EXPECT_EQ(out.photoLength, 1024u);
        EXPECT_EQ(read().result, KVS_OK);
        KVS_ClosePort(KVS_PORT);
    }
}

TEST_F(ReaderScenarios, AlwaysRetryNeverReads)
{
    setenv("KVSSIM_SCENARIO", "always-retry", 1);
    EXPECT_EQ(openAndRead().result, KVS_RETRY);
    for (int attempt = 0; attempt < 20; ++attempt)
        EXPECT_EQ(read().result, KVS_RETRY);
}

TEST_F(ReaderScenarios, ReadErrorAnswersTheCodeAndFillsNothing)
{
    setenv("KVSSIM_SCENARIO", "read-error:50", 1);
    ASSERT_EQ(KVS_OpenPort(KVS_PORT), KVS_OK);
    ReadOutcome out;
    std::memset(&out.info, 0xAB, sizeof out.info);
    out.photoLength = 7;
    out.fingerprintLength = 9;
    EXPECT_EQ(KVS_ReadIDCard(KVS_PORT, &out.info, out.photo.data(), &out.photoLength, out.fingerprints.data(),
                             &out.fingerprintLength, 1),
              50);
    EXPECT_EQ(out.info.sfz_name[0], 0xAB);
    EXPECT_EQ(out.photoLength, 7u);
    EXPECT_EQ(out.fingerprintLength, 9u);
    EXPECT_EQ(std::count(out.photo.begin(), out.photo.end(), 0), 38862);
}

TEST_F(ReaderScenarios, BlockDelaysTheReadThenReadsNormally)
{
    setenv("KVSSIM_SCENARIO", "block:300", 1);
    ASSERT_EQ(KVS_OpenPort(KVS_PORT), KVS_OK);
    const auto start = std::chrono::steady_clock::now();
    const ReadOutcome out = read();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(out.result, KVS_OK);
    EXPECT_EQ(out.info.cardType, 1);
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
}

TEST_F(ReaderScenarios, CardTypeOverridesOnlyTheType)
{
    const ReadOutcome normal = openAndRead();
    setenv("KVSSIM_SCENARIO", "card-type:7", 1);
    ReadOutcome out = openAndRead();
    ASSERT_EQ(out.result, KVS_OK);
    EXPECT_EQ(out.info.cardType, 7);
    out.info.cardType = normal.info.cardType;
    EXPECT_EQ(std::memcmp(&out.info, &normal.info, sizeof(CardInfoStruct)), 0);
    EXPECT_EQ(out.photo, normal.photo);
}

TEST_F(ReaderScenarios, UnknownScenarioFailsTheOpenWithAMessage)
{
    for (const char* text : {"bogus", "retry:", "retry:-1", "retry:2x", "block:1e3", "card-type:", "NO-CARD",
                             "read-error:99999999999"}) {
        SCOPED_TRACE(text);
        setenv("KVSSIM_SCENARIO", text, 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(KVS_OpenPort(KVS_PORT), reader_result::kNoReader);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("KVSSIM_SCENARIO"), std::string::npos) << message;
        EXPECT_NE(message.find(std::string("\"") + text + "\""), std::string::npos) << message;
        EXPECT_EQ(KVS_FindIDCard(KVS_PORT), reader_result::kPortNotOpen);
    }
}

TEST_F(ReaderScenarios, EachOpenTakesUpTheCurrentSettings)
{
    setenv("KVSSIM_SCENARIO", "no-reader", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(KVS_OpenPort(KVS_PORT), reader_result::kNoReader);
    testing::internal::GetCapturedStderr();
    setenv("KVSSIM_SCENARIO", "no-card", 1);
    EXPECT_EQ(KVS_OpenPort(KVS_PORT), KVS_OK);
    EXPECT_EQ(KVS_FindIDCard(KVS_PORT), 128);
    unsetenv("KVSSIM_SCENARIO");
    EXPECT_EQ(KVS_FindIDCard(KVS_PORT), 128) << "settings change only on the next open";
    EXPECT_EQ(openAndRead().result, KVS_OK);
}

TEST_F(ReaderScenarios, ScenarioFileWinsOverTheVariableAndIsReadOnEachOpen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("scenario");
    setenv("KVSSIM_SCENARIO", "no-reader", 1);
    setSimulatorVariable("KVSSIM_SCENARIO_FILE", path);
    testing::internal::CaptureStderr();
    EXPECT_EQ(KVS_OpenPort(KVS_PORT), reader_result::kNoReader) << "a missing file is a bad scenario";
    EXPECT_NE(testing::internal::GetCapturedStderr().find("scenario file"), std::string::npos);

    auto writeScenario = [&](const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    writeScenario("no-card\n");
    EXPECT_EQ(KVS_OpenPort(KVS_PORT), KVS_OK);
    EXPECT_EQ(KVS_FindIDCard(KVS_PORT), 128);
    writeScenario("");
    EXPECT_EQ(openAndRead().result, KVS_OK);
}

TEST_F(ReaderScenarios, CallsOnAClosedOrForeignPortAndNullBuffersAreRefused)
{
    EXPECT_EQ(read().result, reader_result::kPortNotOpen);
    EXPECT_EQ(KVS_FindIDCard(KVS_PORT), reader_result::kPortNotOpen);
    EXPECT_EQ(KVS_OpenPort(1002), reader_result::kPortNotOpen);
    ASSERT_EQ(KVS_OpenPort(KVS_PORT), KVS_OK);
    EXPECT_EQ(KVS_FindIDCard(1002), reader_result::kPortNotOpen);
    ReadOutcome out;
    EXPECT_EQ(KVS_ReadIDCard(KVS_PORT, nullptr, out.photo.data(), &out.photoLength, out.fingerprints.data(),
                             &out.fingerprintLength, 1),
              reader_result::kBadArgument);
    EXPECT_EQ(KVS_ReadIDCard(KVS_PORT, &out.info, out.photo.data(), nullptr, out.fingerprints.data(),
                             &out.fingerprintLength, 1),
              reader_result::kBadArgument);
    EXPECT_EQ(KVS_ReadIDCard(KVS_PORT, &out.info, out.photo.data(), &out.photoLength, nullptr,
                             &out.fingerprintLength, 1),
              reader_result::kBadArgument);
    EXPECT_EQ(KVS_ClosePort(KVS_PORT), KVS_OK);
    EXPECT_EQ(KVS_ClosePort(KVS_PORT), reader_result::kPortNotOpen);
}

class CallTrace : public SimulatorTest {
protected:
    QByteArray traced()
    {
        QFile file(m_dir.filePath("trace.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no trace file>");
    }
    void startTrace() { setSimulatorVariable("KVSSIM_TRACE", m_dir.filePath("trace.txt")); }

    QTemporaryDir m_dir;
};

TEST_F(CallTrace, RecordsEachCallWithItsResultInOrder)
{
    startTrace();
    setenv("KVSSIM_SCENARIO", "retry:1", 1);
    openAndRead();
    read();
    KVS_ClosePort(KVS_PORT);
    EXPECT_EQ(traced(), "open 144\nfind 144\nread 65\nread 144\nclose 144\n");
}

TEST_F(CallTrace, AppendsAcrossSessionsAndRecordsFailures)
{
    startTrace();
    setenv("KVSSIM_SCENARIO", "no-reader", 1);
    testing::internal::CaptureStderr();
    KVS_OpenPort(KVS_PORT);
    testing::internal::GetCapturedStderr();
    setenv("KVSSIM_SCENARIO", "no-card", 1);
    KVS_OpenPort(KVS_PORT);
    KVS_FindIDCard(KVS_PORT);
    KVS_ClosePort(KVS_PORT);
    EXPECT_EQ(traced(), "open -102\nopen 144\nfind 128\nclose 144\n");
}

TEST_F(CallTrace, UnwritableTraceFileDoesNotDisturbTheReader)
{
    setSimulatorVariable("KVSSIM_TRACE", m_dir.filePath("missing-dir/trace.txt"));
    testing::internal::CaptureStderr();
    const int result = KVS_OpenPort(KVS_PORT);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, KVS_OK);
    EXPECT_NE(message.find("trace file"), std::string::npos) << message;
}

}  // namespace
