// SPDX-License-Identifier: Apache-2.0
// pelorin-read through the reader-access library for real readers and the emulated
// serial reader gives the same card, photo and faces as through the
// simulated reader with the same card file.
#include <gtest/gtest.h>

#include "emulated_serial_reader.h"
#include "pelorin_read_run.h"

#include <QFile>
#include <QTemporaryDir>

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

struct ProbeRun {
    int exitCode;
    QString out;
};

ProbeRun probe(const QProcessEnvironment& environment)
{
    const ToolRun run = runToolProcess(PELORIN_READ_PATH, {"--probe"}, environment, QString(), 10000);
    return {run.exitCode, QString::fromUtf8(run.out)};
}

// Card found 0, no card 4, no answer 5, not configured 6: a script tells them apart.
TEST(SerialRecords, ProbeShowsWhatEachConfiguredReaderAnswersAndExitsWithIt)
{
    const struct {
        const char* fault;
        const char* answer;
        int exitCode;
    } faults[] = {{"no-card", "no card (128)", 4}, {"silence", "no answer (-104)", 5}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.fault);
        EmulatedSerialReader reader("cn_payload.json", {"--fault", fault.fault});
        ASSERT_TRUE(reader.ready());
        // The emulator misbehaves once, then answers normally.
        const QString line = QString("serial %1 115200: present, ").arg(reader.linkPath());
        ProbeRun run = probe(reader.hardwareEnvironment());
        EXPECT_EQ(run.exitCode, fault.exitCode);
        EXPECT_TRUE(run.out.contains(line + fault.answer)) << run.out.toStdString();
        run = probe(reader.hardwareEnvironment());
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.contains(line + "card found (144)")) << run.out.toStdString();
    }

    QTemporaryDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PELORIN_READERS", dir.filePath("readers.conf"));
    EXPECT_EQ(probe(environment).exitCode, 6) << "a missing readers file";
    QFile conf(dir.filePath("readers.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("# serial /dev/ttyUSB0\n");
    conf.flush();
    EXPECT_EQ(probe(environment).exitCode, 6) << "a readers file that names no reader";
    conf.write("serial " + dir.filePath("gone").toUtf8() + "\n");
    conf.close();
    const ProbeRun absent = probe(environment);
    EXPECT_EQ(absent.exitCode, 5) << absent.out.toStdString();
    EXPECT_TRUE(absent.out.contains(": absent")) << absent.out.toStdString();
}

}  // namespace
