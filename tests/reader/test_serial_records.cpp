// pelorin-read through the reader library for real readers and the emulated
// serial reader gives the same card, photo and faces as through the
// simulated reader with the same card file.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "emulated_serial_reader.h"

namespace {

struct ReadOutput {
    int exitCode = -1;
    QJsonObject json;
    QByteArray photo, front, back;
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ReadOutput readWith(const QProcessEnvironment& environment)
{
    QTemporaryDir dir;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(PELORIN_READ_PATH, {"--photo", dir.filePath("photo.bmp"), "--front",
                                      dir.filePath("front.jpg"), "--back", dir.filePath("back.jpg")});
    ReadOutput out;
    if (!process.waitForFinished(30000)) {
        process.kill();
        return out;
    }
    out.exitCode = process.exitCode();
    out.json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    out.photo = fileBytes(dir.filePath("photo.bmp"));
    out.front = fileBytes(dir.filePath("front.jpg"));
    out.back = fileBytes(dir.filePath("back.jpg"));
    return out;
}

QProcessEnvironment simulatorEnvironment(const QString& card)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LD_LIBRARY_PATH");
    environment.insert("KVSSIM_CARD", cardFixture(card));
    return environment;
}

TEST(SerialRecords, FourSampleCardsArriveAsFromTheSimulatedReader)
{
    for (const char* card : {"cn_payload.json", "hmt_payload.json", "f2017_payload.json",
                             "fnew_payload.json"}) {
        SCOPED_TRACE(card);
        const ReadOutput simulated = readWith(simulatorEnvironment(card));
        ASSERT_EQ(simulated.exitCode, 0);
        EmulatedSerialReader reader(card);
        ASSERT_TRUE(reader.ready());
        const ReadOutput hardware = readWith(reader.hardwareEnvironment());
        ASSERT_EQ(hardware.exitCode, 0);

        EXPECT_EQ(hardware.json["kind"], simulated.json["kind"]);
        EXPECT_EQ(hardware.json["record"], simulated.json["record"]);
        EXPECT_EQ(hardware.json["finger_info_type"], simulated.json["finger_info_type"]);
        EXPECT_EQ(hardware.photo.size(), 38862);
        EXPECT_EQ(hardware.photo, simulated.photo);
        EXPECT_FALSE(hardware.front.isEmpty());
        EXPECT_EQ(hardware.front, simulated.front);
        EXPECT_EQ(hardware.back, simulated.back);
        EXPECT_TRUE(hardware.json["readerLibrary"].toString().endsWith("/reader/libkvsdecompose.so"))
            << hardware.json["readerLibrary"].toString().toStdString();
        EXPECT_TRUE(simulated.json["readerLibrary"].toString().endsWith("/bin/libkvsdecompose.so"));
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
