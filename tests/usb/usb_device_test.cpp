// SPDX-License-Identifier: Apache-2.0
// Opening the reader: every device-level failure, with its debug lines, and
// what the object holds afterwards.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "qt_message_capture.h"
#include "emulated_reader.h"
#include "scoped_fault.h"
#include <pelorin/usbidreader.h>

namespace {

class InspectedDevice : public CLibUsbEx {
public:
    using CLibUsbEx::CLibUsbEx;
    OPERATE_STATE state() const { return m_eOperateState; }
    libusb_device_handle* handle() const { return m_hdev; }
};

// Releases, closes and context exits seen by the shim while an object lives.
class ScopedTrace {
public:
    ScopedTrace() { setenv("PELORIN_USB_TRACE", qPrintable(m_dir.filePath("trace")), 1); }
    ~ScopedTrace() { unsetenv("PELORIN_USB_TRACE"); }
    QStringList events() const
    {
        QFile file(m_dir.filePath("trace"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
};

class UsbDevice : public ::testing::Test {
protected:
    EmulatedReader bed;
    QtMessageCapture debug;
};

TEST_F(UsbDevice, AbsentReaderIsNotFound)
{
    InspectedDevice device(EmulatedReader::kVendorId, EmulatedReader::kProductId);
    EXPECT_EQ(device.getLibUsbInitErrorType(), DEV_NOT_FOUND);
    EXPECT_EQ(device.handle(), nullptr);
    EXPECT_EQ(device.state(), INIT_OK);
    EXPECT_EQ(debug.lines(), QStringList({"libusb_open_device_with_vid_pid() failed",
                                          "open usb failed!"}));
}

TEST_F(UsbDevice, ReaderWithOtherIdentifiersIsNotFound)
{
    bed.addReader(2, EmulatedReader::kVendorId, EmulatedReader::kProductId + 1);
    InspectedDevice device(EmulatedReader::kVendorId, EmulatedReader::kProductId);
    EXPECT_EQ(device.getLibUsbInitErrorType(), DEV_NOT_FOUND);
}

TEST_F(UsbDevice, CompleteOpenHoldsTheClaimedDevice)
{
    bed.addReader(2);
    InspectedDevice device(EmulatedReader::kVendorId, EmulatedReader::kProductId);
    EXPECT_EQ(device.getLibUsbInitErrorType(), DEV_INIT_OK);
    EXPECT_EQ(device.state(), REGISTER_OK);
    EXPECT_NE(device.handle(), nullptr);
    EXPECT_EQ(debug.lines(), QStringList({"found usb device!", "open usb device success!"}));
}

TEST_F(UsbDevice, DestructionUndoesAcquisitionFromTheTop)
{
    bed.addReader(2);
    std::unique_ptr<ScopedTrace> trace;
    {
        InspectedDevice device(EmulatedReader::kVendorId, EmulatedReader::kProductId);
        ASSERT_EQ(device.state(), REGISTER_OK);
        trace = std::make_unique<ScopedTrace>();
    }
    EXPECT_EQ(trace->events(), QStringList({"release", "close", "exit"}));
    trace.reset();

    // A failed claim closed the handle already: only the context is left.
    {
        ScopedFault fault("claim");
        trace = std::make_unique<ScopedTrace>();
        InspectedDevice device(EmulatedReader::kVendorId, EmulatedReader::kProductId);
    }
    EXPECT_EQ(trace->events(), QStringList({"close", "exit"}));
    trace.reset();

    // Without a context nothing at all is released.
    {
        ScopedFault fault("init");
        trace = std::make_unique<ScopedTrace>();
        InspectedDevice device(EmulatedReader::kVendorId, EmulatedReader::kProductId);
    }
    EXPECT_EQ(trace->events(), QStringList());
}

TEST_F(UsbDevice, FirstOfTwoMatchingReadersIsOpened)
{
    bed.addReader(2);
    bed.addReader(3);
    libusb_context* ctx = nullptr;
    ASSERT_EQ(libusb_init(&ctx), 0);
    libusb_device** list = nullptr;
    ASSERT_EQ(libusb_get_device_list(ctx, &list), 2);
    const uint8_t firstAddress = libusb_get_device_address(list[0]);
    libusb_free_device_list(list, 1);
    libusb_exit(ctx);

    InspectedDevice device(EmulatedReader::kVendorId, EmulatedReader::kProductId);
    ASSERT_EQ(device.getLibUsbInitErrorType(), DEV_INIT_OK);
    EXPECT_EQ(libusb_get_device_address(libusb_get_device(device.handle())), firstAddress);
    EXPECT_EQ(debug.lines().count("found usb device!"), 1);
}

TEST_F(UsbDevice, EachAcquisitionStepFailsWithItsCodeAndLines)
{
    const QStringList notOpened = {"libusb_open_device_with_vid_pid() failed", "open usb failed!"};
    const struct {
        const char* fault;
        READ_RESULT code;
        QStringList lines;
    } cases[] = {
        {"init", INIT_DEV_FAIL, {"libusb_init() failed: LIBUSB_ERROR_OTHER"}},
        {"device_list", GET_DEV_LIST_FAIL, QStringList{"libusb_get_device_list fail!"} + notOpened},
        {"descriptor", GET_DEV_DESC_FAIL,
         QStringList{"libusb_get_device_descriptor(1) fail!"} + notOpened},
        {"open_io", OPEN_DEV_FAIL,
         QStringList{"found usb device!", "failed to open device", "LIBUSB_ERROR_IO -1",
                     "failed to open device: LIBUSB_ERROR_IO(-1)"} + notOpened},
        {"open_access", ACCESS_DEV_ERROR,
         QStringList{"found usb device!", "failed to open device", "LIBUSB_ERROR_ACCESS -3",
                     "failed to open device: LIBUSB_ERROR_ACCESS(-3)"} + notOpened},
        {"claim", DEV_REGISTER_FAIL,
         {"found usb device!", "libusb_claim_interface failed: LIBUSB_ERROR_BUSY",
          "open usb failed!"}},
        {"reset", DEV_RESET_FAIL,
         {"found usb device!", "libusb_reset_device failed: LIBUSB_ERROR_OTHER",
          "open usb failed!"}},
    };
    bed.addReader(2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        debug.clear();
        ScopedFault fault(c.fault);
        // The reader protocol never starts on a device that failed to open.
        CUsbIdReader reader(EmulatedReader::kVendorId, EmulatedReader::kProductId);
        EXPECT_EQ(reader.getLibUsbInitErrorType(), c.code);
        EXPECT_EQ(debug.lines(), c.lines);
        QByteArray out;
        FP_INFO_TYPE fp = NO_FP_INFO;
        uint16_t len = 0;
        EXPECT_FALSE(reader.lookup());
        EXPECT_FALSE(reader.fetch_data(out, fp));
        EXPECT_FALSE(reader.read_pipe81(len));
        EXPECT_EQ(debug.lines(), c.lines);
    }
}

TEST_F(UsbDevice, FailedClaimOrResetLeavesOnlyTheContext)
{
    bed.addReader(2);
    for (const char* name : {"claim", "reset"}) {
        ScopedFault fault(name);
        InspectedDevice device(EmulatedReader::kVendorId, EmulatedReader::kProductId);
        EXPECT_EQ(device.state(), INIT_OK) << name;
        EXPECT_EQ(device.handle(), nullptr) << name;
    }
}

}  // namespace
