// SPDX-License-Identifier: Apache-2.0
// The USB reader path against an emulated reader: libusb enumerates, opens,
// claims and transfers for real; umockdev replays the reader's side.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include "qt_message_capture.h"
#include "emulated_reader.h"
#include "reader_frames.h"
#include <pelorin/usbidreader.h>

using namespace reader_frames;

namespace {

// Exposes the acquisition state the destructor works from.
class InspectedReader : public CUsbIdReader {
public:
    using CUsbIdReader::CUsbIdReader;
    OPERATE_STATE state() const { return m_eOperateState; }
    libusb_device_handle* handle() const { return m_hdev; }
};

class UsbReader : public ::testing::Test {
protected:
    static constexpr uint8_t kDevnum = 2;

    std::unique_ptr<InspectedReader> start()
    {
        EXPECT_TRUE(bed.play(sysfs, talk));
        return std::make_unique<InspectedReader>(EmulatedReader::kVendorId,
                                                 EmulatedReader::kProductId);
    }
    // Every later call refuses without a transfer: none is scripted, so a
    // write would block and a read would time out.
    void expectEverythingRefused(InspectedReader& reader)
    {
        const READ_RESULT recorded = reader.getLibUsbInitErrorType();
        debug.clear();
        QByteArray out("kept");
        FP_INFO_TYPE fp = ONE_FP_INFO;
        uint16_t len = 77;
        uint8_t data[4] = {};
        EXPECT_FALSE(reader.lookup());
        EXPECT_FALSE(reader.select());
        EXPECT_FALSE(reader.fetch_data(out, fp));
        EXPECT_FALSE(reader.write_pipe2(0, 3));
        EXPECT_FALSE(reader.write_pipe6(7, 0x30, 0x10, data, 0));
        EXPECT_FALSE(reader.read_pipe81(len));
        EXPECT_FALSE(reader.read_pipe85(4));
        EXPECT_EQ(out, "kept");
        EXPECT_EQ(fp, ONE_FP_INFO);
        EXPECT_EQ(len, 77);
        EXPECT_EQ(reader.getLibUsbInitErrorType(), recorded);
        EXPECT_TRUE(debug.lines().isEmpty()) << debug.lines().join('|').toStdString();
    }

    EmulatedReader bed;
    std::string sysfs = bed.addReader(kDevnum);
    UsbConversation talk{EmulatedReader::kBusnum, kDevnum};
    QtMessageCapture debug;
};

TEST_F(UsbReader, OpensFindsSelectsAndFetchesEachFrameSize)
{
    const struct { int fpLength; FP_INFO_TYPE type; } sizes[] = {
        {1024, TWO_FP_INFO}, {512, ONE_FP_INFO}, {0, NO_FP_INFO}};
    for (const auto& size : sizes) {
        EmulatedReader bed;
        const std::string sysfs = bed.addReader(kDevnum);
        UsbConversation talk(EmulatedReader::kBusnum, kDevnum);
        scriptCardFoundAndSelected(talk);
        talk.hostSends(kOut, fetchRequest());
        const Bytes frame = dataFrame(size.fpLength);
        talk.deviceAnswers(kIn, 2321, frame);
        ASSERT_TRUE(bed.play(sysfs, talk));
        debug.clear();

        InspectedReader reader(EmulatedReader::kVendorId, EmulatedReader::kProductId);
        ASSERT_EQ(reader.getLibUsbInitErrorType(), DEV_INIT_OK);
        EXPECT_EQ(reader.state(), REGISTER_OK);
        QByteArray out("stale");
        FP_INFO_TYPE fp = NO_FP_INFO;
        ASSERT_TRUE(reader.fetch_data(out, fp));
        EXPECT_EQ(out, QByteArray(reinterpret_cast<const char*>(frame.data()), int(frame.size())));
        EXPECT_EQ(fp, size.type);
        EXPECT_EQ(debug.lines(),
                  QStringList({"found usb device!", "open usb device success!",
                               "write pipe2 success!", "lookup_resp success!", "lookup success!",
                               "write pipe2 success!", "select_resp success!", "select success!",
                               "write pipe2 success!", "fetch_data_resp success!",
                               QString("fplen=%1").arg(size.fpLength),
                               QString("fetch data success, outbuf size=%1").arg(frame.size())}));
    }
}

TEST_F(UsbReader, FrameLengthNotFingerprintFieldDecidesCountAndCheckByteIsIgnored)
{
    scriptCardFoundAndSelected(talk);
    Bytes frame = dataFrame(1024);
    frame[15] = 0x00;  // field says 512
    frame[14] = 0x02;
    frame.back() ^= 0xFF;
    talk.hostSends(kOut, fetchRequest());
    talk.deviceAnswers(kIn, 2321, frame);
    auto reader = start();
    QByteArray out;
    FP_INFO_TYPE fp = NO_FP_INFO;
    EXPECT_TRUE(reader->fetch_data(out, fp));
    EXPECT_EQ(fp, TWO_FP_INFO);
    EXPECT_EQ(out.size(), 2321);
}

TEST_F(UsbReader, StatusOnlyAnswersPassFindAndSelectButReadNothing)
{
    talk.hostSends(kOut, lookupRequest());
    talk.deviceAnswers(kIn, 15, statusOnly());
    talk.hostSends(kOut, selectRequest());
    talk.deviceAnswers(kIn, 19, statusOnly());
    talk.hostSends(kOut, fetchRequest());
    talk.deviceAnswers(kIn, 2321, statusOnly());
    auto reader = start();
    EXPECT_EQ(reader->getLibUsbInitErrorType(), DEV_INIT_OK);
    EXPECT_TRUE(debug.has("lookup_resp error(0), actual_length=11!"));
    EXPECT_TRUE(debug.has("select_resp error(0), actual_length=11!"));
    EXPECT_TRUE(debug.has("select success!"));
    QByteArray out;
    FP_INFO_TYPE fp = ONE_FP_INFO;
    EXPECT_FALSE(reader->fetch_data(out, fp));
    EXPECT_EQ(reader->getLibUsbInitErrorType(), READ_NO_DATA);
    EXPECT_EQ(debug.lines().last(), "total length(11), no card data for reading!");
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(fp, ONE_FP_INFO);
    expectEverythingRefused(*reader);
}

// One scripted failure of the find or select step.
struct StepFailure {
    const char* name;
    void (*script)(UsbConversation&);
    READ_RESULT code;
    QStringList lastLines;
};

void lookupSent(UsbConversation& t) { t.hostSends(kOut, lookupRequest()); }
void lookupDone(UsbConversation& t)
{
    lookupSent(t);
    t.deviceAnswers(kIn, 15, lookupResponse());
}

const StepFailure kStepFailures[] = {
    {"lookup request", [](UsbConversation& t) { t.hostSendFails(kOut, lookupRequest(), -EPIPE); },
     CARD_LOOKUP_REQ_FAIL, {"write pipe2 error(-9)!"}},
    {"lookup response", [](UsbConversation& t) { lookupSent(t); t.deviceFails(kIn, 15, -EPROTO); },
     CARD_LOOKUP_RESP_FAIL, {"lookup_resp error(-1), actual_length=0!"}},
    {"lookup data",
     [](UsbConversation& t) {
         lookupSent(t);
         Bytes wrong = lookupResponse();
         wrong[9] = 0x90;
         t.deviceAnswers(kIn, 15, wrong);
     },
     CARD_LOOKUP_DATA_NOT_MATCHED, {"lookup_resp success!", "found data not matched!!!"}},
    {"select request",
     [](UsbConversation& t) { lookupDone(t); t.hostSendFails(kOut, selectRequest(), -EPIPE); },
     CARD_SELECT_REQ_FAIL, {"write pipe2 error(-9)!"}},
    {"select data",
     [](UsbConversation& t) {
         lookupDone(t);
         t.hostSends(kOut, selectRequest());
         Bytes wrong = selectResponse();
         wrong[0] = 0xAB;
         t.deviceAnswers(kIn, 19, wrong);
     },
     CARD_SELECT_DATA_NOT_MATCHED, {"select_resp success!", "found data not matched!!!"}},
    {"select response",
     [](UsbConversation& t) {
         lookupDone(t);
         t.hostSends(kOut, selectRequest());
         t.deviceFails(kIn, 19, -EPIPE);
     },
     READ_NO_DATA,
     {"select_resp error(-9), actual_length=0!", "CARD_SELECT_RESP_FAIL=>READ_NO_DATA"}},
};

TEST_F(UsbReader, FindAndSelectFailuresAreRecordedWithTheirLines)
{
    for (const StepFailure& failure : kStepFailures) {
        SCOPED_TRACE(failure.name);
        EmulatedReader bed;
        const std::string sysfs = bed.addReader(kDevnum);
        UsbConversation talk(EmulatedReader::kBusnum, kDevnum);
        failure.script(talk);
        ASSERT_TRUE(bed.play(sysfs, talk));
        debug.clear();
        InspectedReader reader(EmulatedReader::kVendorId, EmulatedReader::kProductId);
        EXPECT_EQ(reader.getLibUsbInitErrorType(), failure.code);
        EXPECT_EQ(debug.lines().mid(debug.lines().size() - failure.lastLines.size()),
                  failure.lastLines);
        expectEverythingRefused(reader);
    }
}

TEST_F(UsbReader, SilentSelectEndsAsNoDataAfterTheTimeOut)
{
    lookupDone(talk);
    talk.hostSends(kOut, selectRequest());
    auto reader = start();
    EXPECT_EQ(reader->getLibUsbInitErrorType(), READ_NO_DATA);
    EXPECT_TRUE(debug.has("select_resp error(-7), actual_length=0!"));
    EXPECT_EQ(debug.lines().last(), "CARD_SELECT_RESP_FAIL=>READ_NO_DATA");
}

TEST_F(UsbReader, SelectCalledAgainKeepsItsOwnResponseFailure)
{
    scriptCardFoundAndSelected(talk);
    talk.hostSends(kOut, selectRequest());
    talk.deviceFails(kIn, 19, -EPIPE);
    auto reader = start();
    ASSERT_EQ(reader->getLibUsbInitErrorType(), DEV_INIT_OK);
    EXPECT_FALSE(reader->select());
    EXPECT_EQ(reader->getLibUsbInitErrorType(), CARD_SELECT_RESP_FAIL);
}

Bytes withByte(Bytes frame, size_t at, uint8_t value)
{
    frame[at] = value;
    return frame;
}

TEST_F(UsbReader, DataFrameFailuresAreRecordedWithTheirLines)
{
    const struct {
        const char* name;
        Bytes answer;
        READ_RESULT code;
        QStringList lastLines;
    } cases[] = {
        {"odd length", Bytes(100, 0xAA), CARD_DATA_RESP_LEN_INVALID, {"total length(100) invalid!"}},
        {"preamble", withByte(dataFrame(0), 4, 0x68), CARD_PREAMBLE_CHECK_MISMATCHED,
         {"fetch_data_resp success!", "found preamble not matched!!!"}},
        {"status", withByte(dataFrame(512), 9, 0x9F), CARD_FIXPART_CHECK_MISMATCHED,
         {"found resp data not matched!!!"}},
        {"photo length", withByte(dataFrame(512), 12, 0x03), CARD_FIXPART_CHECK_MISMATCHED,
         {"found resp data not matched!!!"}},
        {"photo length low byte", withByte(dataFrame(0), 13, 0x01), CARD_FIXPART_CHECK_MISMATCHED,
         {"found resp data not matched!!!"}},
        {"total length", withByte(dataFrame(1024), 6, 0x00), CARD_DATA_TOTAL_LEN_MISMATCHED,
         {"total data length(2304) not matched!!!"}},
        {"fingerprint length", withByte(dataFrame(0), 14, 0x01), CARD_FP_DATA_LEN_INVALID,
         {"fplen=256", "fplen invalid!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedReader bed;
        const std::string sysfs = bed.addReader(kDevnum);
        UsbConversation talk(EmulatedReader::kBusnum, kDevnum);
        lookupDone(talk);
        talk.hostSends(kOut, selectRequest());
        talk.deviceAnswers(kIn, 19, selectResponse());
        talk.hostSends(kOut, fetchRequest());
        talk.deviceAnswers(kIn, 2321, c.answer);
        ASSERT_TRUE(bed.play(sysfs, talk));
        InspectedReader reader(EmulatedReader::kVendorId, EmulatedReader::kProductId);
        QByteArray out("kept");
        FP_INFO_TYPE fp = ONE_FP_INFO;
        EXPECT_FALSE(reader.fetch_data(out, fp));
        EXPECT_EQ(reader.getLibUsbInitErrorType(), c.code);
        EXPECT_EQ(debug.lines().mid(debug.lines().size() - c.lastLines.size()), c.lastLines);
        EXPECT_EQ(out, "kept");
        EXPECT_EQ(fp, ONE_FP_INFO);
        expectEverythingRefused(reader);
    }
}

TEST_F(UsbReader, DataRequestTransferFailure)
{
    scriptCardFoundAndSelected(talk);
    talk.hostSendFails(kOut, fetchRequest(), -ENODEV);
    auto reader = start();
    QByteArray out;
    FP_INFO_TYPE fp = NO_FP_INFO;
    EXPECT_FALSE(reader->fetch_data(out, fp));
    EXPECT_EQ(reader->getLibUsbInitErrorType(), CARD_DATA_FATCH_REQ_FAIL);
    EXPECT_EQ(debug.lines().last(), "write pipe2 error(-4)!");
    expectEverythingRefused(*reader);
}

TEST_F(UsbReader, SilentReaderEndsTheDataReadAfterTheTimeOut)
{
    scriptCardFoundAndSelected(talk);
    talk.hostSends(kOut, fetchRequest());
    auto reader = start();
    QByteArray out;
    FP_INFO_TYPE fp = NO_FP_INFO;
    EXPECT_FALSE(reader->fetch_data(out, fp));
    EXPECT_EQ(reader->getLibUsbInitErrorType(), CARD_DATA_FATCH_RESP_FAIL);
    EXPECT_EQ(debug.lines().last(), "fetch_data_resp error(-7)!");
    expectEverythingRefused(*reader);
}

TEST_F(UsbReader, SplitPipesSendAndReceiveWithoutRecordingFailures)
{
    scriptCardFoundAndSelected(talk);
    talk.hostSends(kOut, {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x06});
    talk.hostSends(kBodyOut, {0x30, 0x10, 0x01, 0x02, 0x03, 0x5A});
    talk.hostSends(kBodyOut, {0x20, 0x01, 0x00, 0x00, 0x22});
    talk.deviceAnswers(kIn, 7, {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x01, 0x02});
    talk.deviceAnswers(kBodyIn, 3, {0x00, 0x90, 0x7F});
    talk.deviceAnswers(kIn, 7, {0xAA, 0xAA, 0xAA});
    talk.deviceFails(kBodyIn, 4, -EPIPE);
    auto reader = start();
    ASSERT_EQ(reader->getLibUsbInitErrorType(), DEV_INIT_OK);
    debug.clear();

    uint8_t data[] = {0x01, 0x02, 0x03};
    EXPECT_TRUE(reader->write_pipe2(0x00, 0x06));
    EXPECT_TRUE(reader->write_pipe6(6, 0x30, 0x10, data, 0x5A));
    EXPECT_FALSE(reader->write_pipe6(2, 0x30, 0x10, data, 0x5A));  // no room for the check byte
    EXPECT_TRUE(reader->write_pipe6(5, 0x20, 0x01, nullptr, 0x22));
    uint16_t len = 0;
    EXPECT_TRUE(reader->read_pipe81(len));
    EXPECT_EQ(len, 0x0102);
    EXPECT_TRUE(reader->read_pipe85(3));
    EXPECT_FALSE(reader->read_pipe81(len));
    EXPECT_FALSE(reader->read_pipe85(4));
    EXPECT_EQ(reader->getLibUsbInitErrorType(), DEV_INIT_OK);
    EXPECT_EQ(debug.lines(),
              QStringList({"write pipe2 success!", "write pipe6 success!", "write pipe6 error(-2)!",
                           "write pipe6 success!", "write pipe81 success!",
                           "pipe81_data[0]=0xAA", "pipe81_data[1]=0xAA", "pipe81_data[2]=0xAA",
                           "pipe81_data[3]=0x96", "pipe81_data[4]=0x69", "pipe81_data[5]=0x01",
                           "pipe81_data[6]=0x02", "write pipe85 success!", "pipe85_data[0]=0x00",
                           "pipe85_data[1]=0x90", "pipe85_data[2]=0x7F", "write pipe81 error(0)!",
                           "write pipe85 error(-9)!"}));
}

}  // namespace
