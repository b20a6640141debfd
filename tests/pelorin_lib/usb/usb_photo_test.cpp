// SPDX-License-Identifier: Apache-2.0
// The holder's photo from a whole frame of the emulated reader: decoded by
// libvekORN and framed as the 38862-byte bitmap file.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SyntheticPayload.h"
#include "qt_message_capture.h"
#include "emulated_reader.h"
#include "reader_frames.h"
#include <pelorin/iddata.h>
#include "libvek2019.h"
#include <pelorin/usbidreader.h>

using namespace reader_frames;

namespace {

constexpr int kPhotoAt = 272;

uint32_t le32(const unsigned char* at)
{
    return at[0] | at[1] << 8 | at[2] << 16 | uint32_t(at[3]) << 24;
}

TEST(UsbPhoto, FramePhotoBecomesTheBitmapFile)
{
    QtMessageCapture debug;
    const Bytes payload = Synthetic_Payload(7, true);
    ASSERT_EQ(payload.size(), 1024u);

    EmulatedReader bed;
    const std::string sysfs = bed.addReader(6);
    UsbConversation talk(EmulatedReader::kBusnum, 6);
    scriptCardFoundAndSelected(talk);
    talk.hostSends(kOut, fetchRequest());
    talk.deviceAnswers(kIn, 2321, dataFrame(0, nullptr, payload.data()));
    ASSERT_TRUE(bed.play(sysfs, talk));
    CUsbIdReader reader(EmulatedReader::kVendorId, EmulatedReader::kProductId);
    QByteArray frame;
    FP_INFO_TYPE fp = TWO_FP_INFO;
    ASSERT_TRUE(reader.fetch_data(frame, fp));

    CIdData parser(frame, fp);
    std::vector<unsigned char> bitmap(HEAD_IMAGE_BMP_SIZE, 0x77);
    parser.parseIDHeadImage(reinterpret_cast<unsigned char*>(frame.data()) + kPhotoAt,
                            bitmap.data());

    const unsigned char* bmp = bitmap.data();
    EXPECT_EQ(std::memcmp(bmp, "BM", 2), 0);
    EXPECT_EQ(le32(bmp + 2), 38862u);
    EXPECT_EQ(le32(bmp + 10), 54u);
    EXPECT_EQ(le32(bmp + 14), 40u);
    EXPECT_EQ(le32(bmp + 18), 102u);
    EXPECT_EQ(le32(bmp + 22), 126u);
    EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
    EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);
    for (int at = 30; at < 54; ++at)
        EXPECT_EQ(bmp[at], 0) << at;

    // The same payload decoded directly: rows stay in order, red and blue swap.
    std::vector<char> raster(38556);
    std::vector<char> source(payload.begin(), payload.end());
    ASSERT_EQ(unpack(source.data(), raster.data(), 0), 1);
    int mismatches = 0;
    for (int row = 0; row < 126; ++row) {
        const unsigned char* out = bmp + 54 + row * 308;
        const auto* in = reinterpret_cast<const unsigned char*>(raster.data()) + row * 306;
        for (int px = 0; px < 102; ++px)
            mismatches += out[3 * px] != in[3 * px + 2] || out[3 * px + 1] != in[3 * px + 1] ||
                          out[3 * px + 2] != in[3 * px];
        mismatches += out[306] != 0 || out[307] != 0;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_FALSE(debug.has(QString::fromUtf8("解码头像数据失败!")));
}

}  // namespace
