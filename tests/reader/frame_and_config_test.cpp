// SPDX-License-Identifier: Apache-2.0
// Frame reassembly from what a serial line delivers, which answers fit which
// request, the readers file and which one is read.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

#include "data_frame.h"
#include "expected_answer.h"
#include "frame_assembler.h"
#include "reader_config.h"
#include "readers_file.h"

namespace {

using cardproto::Bytes;
using cardproto::FrameAssembler;

Bytes dataFrame()
{
    const Bytes text(256, 0x20), photo(1024, 0x5A), fingerprints(512, 0x33);
    return cardproto::buildDataFrame(text.data(), photo.data(), fingerprints.data(), 512);
}

TEST(FrameAssembler, JoinsPiecesAfterNoiseAndIgnoresWhatFollows)
{
    const Bytes frame = dataFrame();
    ASSERT_EQ(frame.size(), 1809u);
    ASSERT_TRUE(cardproto::checkByteMatches(frame.data(), frame.size()));
    // Noise holding a partial preamble and a preamble with an impossible length.
    Bytes line = {0x00, 0xAA, 0xAA, 0x96, 0xAA, 0xAA, 0xAA, 0x96, 0x69, 0xFF, 0xFF, 0x13};
    line.insert(line.end(), frame.begin(), frame.end());
    line.insert(line.end(), {0xAA, 0xAA, 0xAA});
    for (size_t piece : {size_t(1), size_t(7), size_t(500)}) {
        FrameAssembler assembler;
        for (size_t at = 0; at < line.size(); at += piece) {
            EXPECT_FALSE(assembler.hasFrame()) << piece << " at " << at;
            assembler.feed(line.data() + at, std::min(piece, line.size() - at));
            if (assembler.hasFrame())
                break;
        }
        ASSERT_TRUE(assembler.hasFrame()) << piece;
        EXPECT_EQ(assembler.frame(), frame) << piece;
    }
}

TEST(FrameAssembler, WaitsForTheWholeFrame)
{
    const Bytes frame = cardproto::cardFoundResponse();
    FrameAssembler assembler;
    assembler.feed(frame.data(), frame.size() - 1);
    EXPECT_FALSE(assembler.hasFrame());
    assembler.feed(&frame.back(), 1);
    ASSERT_TRUE(assembler.hasFrame());
    EXPECT_EQ(assembler.frame(), frame);
}

TEST(FrameAssembler, KeepsWhatFollowsAFrameForTheNext)
{
    const Bytes late = cardproto::cardSelectedResponse(), own = cardproto::cardFoundResponse();
    Bytes line = late;
    line.insert(line.end(), own.begin(), own.end() - 1);
    FrameAssembler assembler;
    assembler.feed(line.data(), line.size());
    ASSERT_TRUE(assembler.hasFrame());
    EXPECT_EQ(assembler.frame(), late);
    assembler.dropFrame();
    EXPECT_FALSE(assembler.hasFrame());
    assembler.feed(&own.back(), 1);
    ASSERT_TRUE(assembler.hasFrame());
    EXPECT_EQ(assembler.frame(), own);
}

// An answer fits its request by status and length: the done answer of
// another request never does; another status does alone or in a frame of the
// request's own length.
TEST(ExpectedAnswer, LateAnswersToOtherRequestsDoNotFit)
{
    const Bytes found = cardproto::cardFoundResponse(), selected = cardproto::cardSelectedResponse();
    const Bytes data = dataFrame(), tryAgain = cardproto::buildFrame({0x00, 0x00, 0x41});
    const Bytes doneAlone = cardproto::buildFrame({0x00, 0x00, 0x90});
    // "No card" as long as the find answer, and as long as the select answer.
    const Bytes noCardFound = cardproto::buildFrame({0x00, 0x00, 0x80, 0, 0, 0, 0});
    const Bytes noCardSelected = cardproto::buildFrame({0x00, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0, 0});
    const struct {
        const ExpectedAnswer& expected;
        std::vector<Bytes> fitting, others;
    } cases[] = {
        {findCardAnswer(), {found, tryAgain, noCardFound}, {selected, data, doneAlone, noCardSelected}},
        {selectCardAnswer(), {selected, tryAgain}, {found, data, doneAlone}},
        {readCardAnswer(), {data, tryAgain}, {found, selected, doneAlone}},
    };
    for (const auto& c : cases) {
        for (const Bytes& frame : c.fitting)
            EXPECT_TRUE(c.expected.fits(frame)) << frame.size();
        for (const Bytes& frame : c.others)
            EXPECT_FALSE(c.expected.fits(frame)) << frame.size();
    }
    EXPECT_EQ(readCardAnswer().longest(), cardproto::kLongestFrame);
    EXPECT_EQ(findCardAnswer().longest(), found.size());
}

class ReadersFile : public ::testing::Test {
protected:
    bool load(const char* text)
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        file.close();
        readers.clear();
        return loadReaders(path.toStdString(), readers, problem);
    }
    QTemporaryDir dir;
    QString path = dir.filePath("readers.conf");
    std::vector<ConfiguredReader> readers;
    std::string problem;
};

TEST_F(ReadersFile, ReadsEveryKindOfReaderInOrder)
{
    ASSERT_TRUE(load("# readers\n\nserial /dev/ttyUSB0\n  serial /dev/ttyACM1 9600 # slow\nusb 0400:C35A\n"
                     "simulated\nsimulated " PELORIN_FIXTURES_DIR "/cards/hmt.json\nsimulated gone.json\n"))
        << problem;
    ASSERT_EQ(readers.size(), 6u);
    EXPECT_EQ(readers[0].describe(), "serial /dev/ttyUSB0 115200");
    EXPECT_EQ(readers[1].describe(), "serial /dev/ttyACM1 9600");
    EXPECT_EQ(readers[2].describe(), "usb 0400:c35a");
    EXPECT_EQ(readers[3].describe(), "simulated");
    EXPECT_EQ(readers[4].where(), PELORIN_FIXTURES_DIR "/cards/hmt.json");
    EXPECT_STREQ(readers[5].kindName(), "simulated");
    // The simulated reader is there with its own card or a card file that exists.
    EXPECT_TRUE(readers[3].present());
    EXPECT_TRUE(readers[4].present());
    EXPECT_FALSE(readers[5].present());
}

// The file chosen for the process, else PELORIN_READERS, else the one beside
// the library (here: beside this program, in the build tree's bin/).
TEST(ReadersFileInUse, ChosenFileThenVariableThenBesideTheLibrary)
{
    unsetenv("PELORIN_READERS");
    const QString beside = QFileInfo("/proc/self/exe").canonicalFilePath().section('/', 0, -2) +
                           "/pelorin-readers.conf";
    ASSERT_TRUE(QFile::exists(beside));
    EXPECT_EQ(readersFile(), beside.toStdString());
    setenv("PELORIN_READERS", "/tmp/named.conf", 1);
    EXPECT_EQ(readersFile(), "/tmp/named.conf");
    chooseReadersFile("chosen.conf");
    EXPECT_EQ(readersFile(), QDir::current().filePath("chosen.conf").toStdString()) << "taken from here, now";
    chooseReadersFile("");
    EXPECT_EQ(readersFile(), "/tmp/named.conf");
    unsetenv("PELORIN_READERS");
}

TEST_F(ReadersFile, MalformedLineIsNamedByFileAndNumber)
{
    const std::string at = path.toStdString() + ":";
    const struct { const char* text; std::string problem; } cases[] = {
        {"serial /dev/ttyUSB0\nserial ttyUSB1\n", at + "2: a serial reader needs the absolute path of its port"},
        {"serial /dev/ttyUSB0 12345\n", at + "1: unsupported speed \"12345\""},
        {"serial /dev/ttyUSB0 115200 8N1\n", at + "1: unexpected \"8N1\" at the end of the line"},
        {"\nusb 0400\n", at + "2: a USB reader is named by VENDOR:PRODUCT in hexadecimal, e.g. usb 0400:c35a"},
        {"usb 0400:c35a 1\n", at + "1: unexpected \"1\" at the end of the line"},
        {"modem /dev/ttyS0\n", at + "1: unknown reader kind \"modem\" (expected serial, usb or simulated)"},
        {"simulated a.json b.json\n", at + "1: unexpected \"b.json\" at the end of the line"},
        {"# nothing\n", path.toStdString() + ": names no reader"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(load(c.text)) << c.text;
        EXPECT_EQ(problem, c.problem);
        EXPECT_TRUE(readers.empty());
    }
}

}  // namespace
