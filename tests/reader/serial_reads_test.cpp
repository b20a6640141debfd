// SPDX-License-Identifier: Apache-2.0
// readIDCard through the reader-access library against the emulated serial reader
// its readers file names (PELORIN_READERS, set for this process): every
// fault ends the read with its code within the read's time-out, and the next
// read works; "try again" is retried, other statuses are not; the slowest
// speed reads the longest card.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "emulated_serial_reader.h"
#include "read_arguments.h"

namespace {

constexpr qint64 kReadTimeoutMs = 8000;

struct FaultCase {
    const char* fault;
    READ_RESULT code;
};

// No card and silence strike the find step, which the session reports as no
// card data; a broken card data frame or a line that goes away fails the
// read. A late answer to select card fails that read and arrives during the
// next one, which must not take it for the answer to find card.
const FaultCase kFaults[] = {
    {"no-card", READ_NO_DATA},          {"silence", READ_NO_DATA},
    {"truncated", READ_DATA_FAIL},      {"bad-checksum", READ_DATA_FAIL},
    {"wrong-preamble", READ_DATA_FAIL}, {"hang-up", READ_DATA_FAIL},
    {"late", READ_DATA_FAIL},
};

void expectResidentCard(ReadArguments& read)
{
    ASSERT_EQ(read.read(), READ_OK);
    EXPECT_EQ(read.idType, ID_TYPE_CN);
    EXPECT_EQ(read.cn->idTextInfoCN.name, "李婉清");
    EXPECT_FALSE(read.front.empty());
}

TEST(SerialReads, EachFaultGivesItsCodeInTimeAndTheNextReadWorks)
{
    for (const FaultCase& c : kFaults) {
        SCOPED_TRACE(c.fault);
        EmulatedSerialReader reader("cn_payload.json", {"--fault", c.fault});
        ASSERT_TRUE(reader.ready());
        ReadArguments failed;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(failed.read(), c.code);
        EXPECT_LT(clock.elapsed(), kReadTimeoutMs);

        ReadArguments next;
        expectResidentCard(next);
    }
}

// The reader answers select card or read card with its status alone, the
// first COUNT times: "try again" (41) is asked again, up to ten attempts in
// all; any other status ends the read at once.
TEST(SerialReads, TryAgainIsRetriedTenTimesAndOtherStatusesFailTheRead)
{
    const struct {
        const char* status;
        READ_RESULT code;
    } cases[] = {
        {"select:41:3", READ_OK},        {"read:41:9", READ_OK},
        {"read:41:10", READ_DATA_FAIL},  {"select:6f:1", READ_DATA_FAIL},
        {"read:80:1", READ_DATA_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        EmulatedSerialReader reader("cn_payload.json", {"--status", c.status});
        ASSERT_TRUE(reader.ready());
        ReadArguments first;
        EXPECT_EQ(first.read(), c.code);
        ReadArguments next;
        expectResidentCard(next);
    }
}

// 2321 bytes of card data (1024 of fingerprints) take 2.42 s on the line at
// 9600 baud: the read waits for them, and still ends within its time-out.
TEST(SerialReads, SlowestSpeedReadsTheLongestCard)
{
    EmulatedSerialReader reader("cn_payload.json", {}, 9600);
    ASSERT_TRUE(reader.ready());
    ReadArguments read;
    QElapsedTimer clock;
    clock.start();
    expectResidentCard(read);
    EXPECT_GE(clock.elapsed(), 2420);  // the reader kept to the line's pace
    EXPECT_LT(clock.elapsed(), kReadTimeoutMs);
    EXPECT_EQ(read.cn->idInfoTailCN.finger_info_type, TWO_FP_INFO);
}

// A reader that takes 1.2 s before each answer, on top of the card data's
// 2.42 s on the line: the wait for it counts each byte's start and stop bits.
TEST(SerialReads, SlowestSpeedWithALateReaderReadsTheCard)
{
    EmulatedSerialReader reader("cn_payload.json", {"--fault", "slow", "--delay", "1200"}, 9600);
    ASSERT_TRUE(reader.ready());
    ReadArguments read;
    expectResidentCard(read);
}

TEST(SerialReads, NoiseAndSlowAnswersStillReadTheCard)
{
    for (const QStringList& fault : {QStringList{"--fault", "garbage"},
                                     QStringList{"--fault", "slow", "--delay", "700"}}) {
        SCOPED_TRACE(fault.join(' ').toStdString());
        EmulatedSerialReader reader("hmt_payload.json", fault);
        ASSERT_TRUE(reader.ready());
        ReadArguments args;
        ASSERT_EQ(args.read(), READ_OK);
        EXPECT_EQ(args.idType, ID_TYPE_HMT);
        EXPECT_EQ(args.hmt->idTextInfoHMT.passCheckCode, "H01234567");
    }
}

TEST(SerialReads, MissingOrMalformedReadersFileFailsTheOpen)
{
    QTemporaryDir dir;
    QFile malformed(dir.filePath("readers.conf"));
    ASSERT_TRUE(malformed.open(QIODevice::WriteOnly));
    malformed.write("serial /dev/null\nparallel /dev/lp0\n");
    malformed.close();
    for (const QString& file : {dir.filePath("missing.conf"), malformed.fileName()}) {
        setenv("PELORIN_READERS", qPrintable(file), 1);
        ReadArguments args;
        EXPECT_EQ(args.read(), OPEN_DEV_FAIL) << file.toStdString();
    }
    unsetenv("PELORIN_READERS");
}

}  // namespace
