// pelorin-read through the reader library for real readers and the emulated
// serial reader gives the same card, photo and faces as through the
// simulated reader with the same card file.
#include <gtest/gtest.h>

#include "emulated_serial_reader.h"
#include "pelorin_read_run.h"

namespace {

TEST(SerialRecords, FourSampleCardsArriveAsFromTheSimulatedReader)
{
    for (const char* card : {"cn_payload.json", "hmt_payload.json", "f2017_payload.json",
                             "fnew_payload.json"}) {
        SCOPED_TRACE(card);
        EmulatedSerialReader reader(card);
        ASSERT_TRUE(reader.ready());
        expectSameCardAsSimulated(card, reader.hardwareEnvironment());
    }
}

TEST(SerialRecords, ProbeShowsWhatEachConfiguredReaderAnswers)
{
    EmulatedSerialReader reader("cn_payload.json", {"--fault", "no-card"});
    ASSERT_TRUE(reader.ready());
    QProcess process;
    process.setProcessEnvironment(reader.hardwareEnvironment());
    for (const char* expected : {"present, no card (128)", "present, card found (144)"}) {
        process.start(PELORIN_READ_PATH, {"--probe"});
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 0);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_TRUE(out.contains(QString("serial %1 115200: %2").arg(reader.linkPath(), expected)))
            << out.toStdString();
    }
}

}  // namespace
