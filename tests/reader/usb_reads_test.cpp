// SPDX-License-Identifier: Apache-2.0
// The reader-access library for real readers on USB, against a reader emulated by
// umockdev: libusb opens, claims and transfers for real; the reader's side
// is a scripted conversation carrying a card file's data frame.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>

#include "card_data_frame.h"
#include "emulated_reader.h"
#include "reader_frames.h"
#include "pelorin_read_run.h"
#include "read_arguments.h"

using namespace reader_frames;

namespace {

constexpr uint32_t kAsked = 2321;  // the library asks for the longest frame every time

// A readers file naming the emulated USB reader, set for this process.
class UsbReadersFile {
public:
    UsbReadersFile()
    {
        QFile file(path());
        if (file.open(QIODevice::WriteOnly))
            file.write("usb f055:1d0c\n");
        setenv("PELORIN_READERS", qPrintable(path()), 1);
    }
    ~UsbReadersFile() { unsetenv("PELORIN_READERS"); }
    QString path() const { return m_dir.filePath("readers.conf"); }

private:
    QTemporaryDir m_dir;
};

Bytes cardFrame(const char* card)
{
    Bytes frame;
    QString problem;
    EXPECT_TRUE(cardDataFrame(QStringLiteral(PELORIN_FIXTURES_DIR "/cards/") + card, frame, problem))
        << problem.toStdString();
    return frame;
}

void scriptRead(UsbConversation& talk, const Bytes& dataFrame)
{
    talk.hostSends(kOut, lookupRequest());
    talk.deviceAnswers(kIn, kAsked, lookupResponse());
    talk.hostSends(kOut, selectRequest());
    talk.deviceAnswers(kIn, kAsked, selectResponse());
    talk.hostSends(kOut, fetchRequest());
    talk.deviceAnswers(kIn, kAsked, dataFrame);
}

class UsbReads : public ::testing::Test {
protected:
    static constexpr uint8_t kDevnum = 7;
    EmulatedReader bed;
    std::string sysfs = bed.addReader(kDevnum);
    UsbConversation talk{EmulatedReader::kBusnum, kDevnum};
    UsbReadersFile readers;
};

TEST_F(UsbReads, FourSampleCardsArriveAsFromTheSimulatedReader)
{
    const char* cards[] = {"cn_payload.json", "hmt_payload.json", "f2017_payload.json",
                           "fnew_payload.json"};
    for (const char* card : cards)
        scriptRead(talk, cardFrame(card));
    ASSERT_TRUE(bed.play(sysfs, talk));
    QProcessEnvironment hardware = QProcessEnvironment::systemEnvironment();
    hardware.insert("PELORIN_READERS", readers.path());
    for (const char* card : cards) {
        SCOPED_TRACE(card);
        expectSameCardAsSimulated(card, hardware);
    }
}

TEST_F(UsbReads, EachFaultGivesItsCodeInTimeAndTheNextReadWorks)
{
    Bytes noCard = statusOnly();
    noCard[9] = 0x80;
    noCard.back() ^= 0x90 ^ 0x80;
    const Bytes frame = cardFrame("cn_payload.json");
    const Bytes half(frame.begin(), frame.begin() + long(frame.size() / 2));
    const struct {
        const char* name;
        void (*script)(UsbConversation&, const Bytes& noCard, const Bytes& half);
        READ_RESULT code;
    } faults[] = {
        {"no card",
         [](UsbConversation& t, const Bytes& answer, const Bytes&) {
             t.hostSends(kOut, lookupRequest());
             t.deviceAnswers(kIn, kAsked, answer);
         },
         READ_NO_DATA},
        {"truncated frame, then silence",
         [](UsbConversation& t, const Bytes&, const Bytes& part) { scriptRead(t, part); },
         READ_DATA_FAIL},
        {"device removed mid-frame",
         [](UsbConversation& t, const Bytes&, const Bytes& part) {
             scriptRead(t, part);
             t.deviceFails(kIn, kAsked, -ENODEV);
         },
         READ_DATA_FAIL},
    };
    for (const auto& fault : faults) {
        fault.script(talk, noCard, half);
        scriptRead(talk, frame);
    }
    ASSERT_TRUE(bed.play(sysfs, talk));
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        ReadArguments failed;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(failed.read(), fault.code);
        EXPECT_LT(clock.elapsed(), 8000);
        ReadArguments next;
        ASSERT_EQ(next.read(), READ_OK);
        EXPECT_EQ(next.cn->idTextInfoCN.idCode, "310115199001020024");
        EXPECT_EQ(next.cn->idInfoTailCN.headImage[0], 'B');
    }
}

}  // namespace

int main(int argc, char** argv)
{
    enterMockEnvironment(argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    guiInit();
    const int result = RUN_ALL_TESTS();
    guiUninit();
    return result;
}
