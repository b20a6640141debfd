// SPDX-License-Identifier: Apache-2.0
#include "pelorin_read_run.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

// A readers file naming the simulated reader with the fixture card `card`.
QString simulatedReadersFile(const QString& card)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(card + ".readers");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("simulated " + QFile::encodeName(QStringLiteral(PELORIN_FIXTURES_DIR "/cards/") + card) + "\n");
    return path;
}

}  // namespace

ReadOutput readWith(const QProcessEnvironment& environment)
{
    QTemporaryDir dir;
    ReadOutput out;
    static_cast<ToolRun&>(out) = runToolProcess(PELORIN_READ_PATH, {"--photo", dir.filePath("photo.bmp"), "--front",
                                                dir.filePath("front.jpg"), "--back", dir.filePath("back.jpg")},
                                                environment);
    out.photo = fileBytes(dir.filePath("photo.bmp"));
    out.front = fileBytes(dir.filePath("front.jpg"));
    out.back = fileBytes(dir.filePath("back.jpg"));
    return out;
}

QProcessEnvironment simulatorEnvironment(const QString& card)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PELORIN_READERS", simulatedReadersFile(card));
    return environment;
}

void expectSameCardAsSimulated(const QString& card, const QProcessEnvironment& hardwareEnvironment)
{
    const ReadOutput simulated = readWith(simulatorEnvironment(card));
    ASSERT_EQ(simulated.exitCode, 0) << simulated.err.toStdString();
    const ReadOutput hardware = readWith(hardwareEnvironment);
    ASSERT_EQ(hardware.exitCode, 0) << hardware.err.toStdString();

    EXPECT_EQ(hardware.json["kind"], simulated.json["kind"]);
    EXPECT_EQ(hardware.json["record"], simulated.json["record"]);
    EXPECT_EQ(hardware.json["finger_info_type"], simulated.json["finger_info_type"]);
    EXPECT_EQ(hardware.photo.size(), 38862);
    EXPECT_EQ(hardware.photo, simulated.photo);
    EXPECT_FALSE(hardware.front.isEmpty());
    EXPECT_EQ(hardware.front, simulated.front);
    EXPECT_EQ(hardware.back, simulated.back);
    EXPECT_EQ(hardware.json["readerLibrary"], simulated.json["readerLibrary"]) << "one library serves both";
}
