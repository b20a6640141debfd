// SPDX-License-Identifier: Apache-2.0
#include "simulator_fixture.h"

#include <QImage>
#include <QSet>

#include <cstdlib>

namespace {

// PELORIN_READERS too: the build tree's own readers file names the simulated reader.
const char* const kVariables[] = {"KVSSIM_CARD", "KVSSIM_SCENARIO", "KVSSIM_SCENARIO_FILE", "KVSSIM_TRACE",
                                  "PELORIN_READERS"};

uint32_t le(const unsigned char* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

}  // namespace

void SimulatorTest::SetUp()
{
    for (const char* name : kVariables)
        unsetenv(name);
    KVS_ClosePort(KVS_PORT);
}

void SimulatorTest::TearDown()
{
    KVS_ClosePort(KVS_PORT);
    for (const char* name : kVariables)
        unsetenv(name);
}

ReadOutcome SimulatorTest::read()
{
    ReadOutcome out;
    out.result = KVS_ReadIDCard(KVS_PORT, &out.info, out.photo.data(), &out.photoLength, out.fingerprints.data(),
                                &out.fingerprintLength, 1);
    return out;
}

ReadOutcome SimulatorTest::openAndRead()
{
    EXPECT_EQ(KVS_OpenPort(KVS_PORT), KVS_OK);
    EXPECT_EQ(KVS_FindIDCard(KVS_PORT), KVS_OK);
    return read();
}

void setSimulatorVariable(const char* name, const QString& value)
{
    setenv(name, value.toLocal8Bit().constData(), 1);
}

std::string fieldText(const unsigned char* field, size_t bytes)
{
    QString text;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const ushort unit = static_cast<ushort>(field[i] | (field[i + 1] << 8));
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text.toStdString();
}

std::string photoBitmapProblem(const unsigned char* bytes, size_t length)
{
    if (length != 38862)
        return "length " + std::to_string(length);
    if (bytes[0] != 'B' || bytes[1] != 'M')
        return "no BM signature";
    if (le(bytes + 2, 4) != 38862 || le(bytes + 10, 4) != 54 || le(bytes + 14, 4) != 40)
        return "wrong file size, pixel offset or header size";
    if (le(bytes + 18, 4) != 102 || le(bytes + 22, 4) != 126 || le(bytes + 26, 2) != 1 ||
        le(bytes + 28, 2) != 24 || le(bytes + 30, 4) != 0)
        return "wrong geometry, planes, depth or compression";
    for (int row = 0; row < 126; ++row)
        if (bytes[54 + row * 308 + 306] != 0 || bytes[54 + row * 308 + 307] != 0)
            return "nonzero padding in row " + std::to_string(row);
    const QImage image = QImage::fromData(bytes, static_cast<int>(length), "BMP");
    if (image.size() != QSize(102, 126))
        return "Qt does not read it as a 102 x 126 bitmap";
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    if (colours.size() < 50)
        return "only " + std::to_string(colours.size()) + " colours: not a drawing";
    return {};
}
