// readIDCard through the reader library for real readers (this test runs
// with LD_LIBRARY_PATH naming it) against the emulated serial reader: every
// fault ends the read with its code within the read's time-out, and the next
// read works.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "emulated_serial_reader.h"
#include "read_harness.h"

namespace {

constexpr qint64 kReadTimeoutMs = 8000;

struct FaultCase {
    const char* fault;
    READ_RESULT code;
};

// No card and silence strike the find step, which the session reports as no
// card data; a broken card data frame or a line that goes away fails the read.
const FaultCase kFaults[] = {
    {"no-card", READ_NO_DATA},          {"silence", READ_NO_DATA},
    {"truncated", READ_DATA_FAIL},      {"bad-checksum", READ_DATA_FAIL},
    {"wrong-preamble", READ_DATA_FAIL}, {"hang-up", READ_DATA_FAIL},
};

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
        ASSERT_EQ(next.read(), READ_OK);
        EXPECT_EQ(next.idType, ID_TYPE_CN);
        EXPECT_EQ(next.cn->idTextInfoCN.name, "李婉清");
        EXPECT_FALSE(next.front.empty());
    }
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
