// SPDX-License-Identifier: Apache-2.0
// Payload descrambling, the input stream, segment sizes, planes and the output stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "MemManage.h"
#include "Memory.h"
#include "SegmentSizes.h"
#include "Vek.h"
#include "vek_test_support.h"

namespace {

TEST(Payload, HeaderAndDescrambling)
{
    Bytes payload(PAYLOAD_SIZE);
    for (int i = 0; i < PAYLOAD_SIZE; ++i)
        payload[i] = (uint8_t)(i * 7 + 3);
    memset(newbuffer, 0, sizeof newbuffer);
    Load_Payload(reinterpret_cast<const char*>(payload.data()));
    EXPECT_EQ(newbuffer[0], 'J');
    EXPECT_EQ(newbuffer[1], 'X');
    EXPECT_EQ(newbuffer[2] | newbuffer[3] << 8, 102);
    EXPECT_EQ(newbuffer[4] | newbuffer[5] << 8, 126);
    for (int i = 0; i < 1014; ++i)
        ASSERT_EQ(newbuffer[6 + i], payload[10 + i] ^ 0xC5) << i;
    for (int i = 1020; i < 1024; ++i)
        EXPECT_EQ(newbuffer[i], 0);
}

TEST(Payload, FirstTenBytesHaveNoEffect)
{
    Bytes a(PAYLOAD_SIZE, 0x11), b(PAYLOAD_SIZE, 0x11);
    for (int i = 0; i < 10; ++i)
        b[i] = (uint8_t)(0xF0 + i);
    Load_Payload(reinterpret_cast<const char*>(a.data()));
    std::vector<uint8_t> first(newbuffer, newbuffer + PAYLOAD_SIZE);
    Load_Payload(reinterpret_cast<const char*>(b.data()));
    EXPECT_EQ(std::vector<uint8_t>(newbuffer, newbuffer + PAYLOAD_SIZE), first);
}

TEST(Payload, BuilderScramblesFromByteTen)
{
    Bytes stream(1014);
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] = (uint8_t)i;
    const Bytes payload = Scramble_Payload(stream, 0x99);
    ASSERT_EQ(payload.size(), 1024u);
    EXPECT_EQ(payload[9], 0x99);
    EXPECT_EQ(payload[10], 0x00 ^ 0xC5);
    EXPECT_EQ(payload[1023], (1013 & 0xFF) ^ 0xC5);
}

TEST(SegmentSizes, FollowFromObjectLength)
{
    int n[3];
    ASSERT_TRUE(Colour_Segment_Sizes(1014, n));
    EXPECT_EQ(n[0], 868);  // 1010 * 85 / 100 + 10
    EXPECT_EQ(n[1], 90);   // 1010 * 8 / 100 + 10
    EXPECT_EQ(n[2], 82);   // 1010 - 868 - 90 + 30
    for (int L : {4, 5, 99, 500, 1014, 40000}) {
        ASSERT_TRUE(Colour_Segment_Sizes(L, n));
        EXPECT_EQ(n[0] + n[1] + n[2], L + 26) << L;
    }
    // Truncating division on negative N: L = 0 gives N = -4.
    ASSERT_TRUE(Colour_Segment_Sizes(0, n));
    EXPECT_EQ(n[0], 7);   // -340 / 100 + 10
    EXPECT_EQ(n[1], 10);  // -32 / 100 + 10
    EXPECT_EQ(n[2], 9);
}

TEST(SegmentSizes, ImpossibleSizesAreRefused)
{
    int n[3];
    EXPECT_FALSE(Colour_Segment_Sizes(-20, n));   // Y size below 2
    EXPECT_FALSE(Colour_Segment_Sizes(INT_MIN, n));
    EXPECT_TRUE(Colour_Segment_Sizes(INT_MAX, n));  // large but representable
    EXPECT_GT(n[0], 0);
}

struct StreamFixture : ::testing::Test {
    common_struct record{};
    void SetUp() override
    {
        record.Read = RD_file;
        record.image_width = IMAGE_WIDTH;
        record.image_height = IMAGE_HEIGHT;
        for (int i = 0; i < PAYLOAD_SIZE; ++i)
            newbuffer[i] = (uint8_t)(i % 251);
        MemIndex = 0;
    }
};

TEST_F(StreamFixture, ReadsPastTheBufferGiveZeros)
{
    MemIndex = 1020;
    uint8_t out[8];
    memset(out, 0xAA, sizeof out);
    EXPECT_EQ(Read(&record, out, 8, 1), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i], i < 4 ? (1020 + i) % 251 : 0) << i;
    EXPECT_EQ(MemIndex, 1028);
    EXPECT_EQ(record.cur_length, 8);
}

TEST_F(StreamFixture, Int32IsLittleEndian)
{
    newbuffer[0] = 0x78;
    newbuffer[1] = 0x56;
    newbuffer[2] = 0x34;
    newbuffer[3] = 0xF2;
    EXPECT_EQ(Read_Int32(&record), (int)0xF2345678u);
}

TEST_F(StreamFixture, SegmentCopyWithLengthField)
{
    const int len = 300;
    newbuffer[0] = len & 0xFF;
    newbuffer[1] = len >> 8;
    newbuffer[2] = newbuffer[3] = 0;
    std::vector<uint8_t> staging(Buf_Stream_Size(&record), 0xEE);
    int got = 0;
    Write_buf_stream(&record, staging.data(), &got);
    EXPECT_EQ(got, len);
    for (int i = 0; i < len; ++i)
        ASSERT_EQ(staging[i], (4 + i) % 251) << i;
    EXPECT_EQ(staging[len], 0xEE);
    EXPECT_EQ(MemIndex, 4 + len);
}

TEST_F(StreamFixture, HostileSegmentLengthsStayInBounds)
{
    std::vector<uint8_t> staging(Buf_Stream_Size(&record), 0xEE);
    // Negative: nothing copied, cursor unmoved.
    MemIndex = 10;
    Write_buf_stream(&record, staging.data(), -5000);
    EXPECT_EQ(MemIndex, 10);
    EXPECT_EQ(staging[0], 0xEE);
    // Beyond the staging area: the area is filled (zeros past the payload),
    // and the cursor moves over the whole claimed length without overflowing.
    Write_buf_stream(&record, staging.data(), INT_MAX);
    EXPECT_EQ(staging[0], 10 % 251);
    EXPECT_EQ(staging[PAYLOAD_SIZE], 0);
    EXPECT_EQ(staging.back(), 0);
    EXPECT_GT(MemIndex, PAYLOAD_SIZE);
    Write_buf_stream(&record, staging.data(), INT_MAX);
    uint8_t b = 0xAA;
    Read(&record, &b, 1, 1);
    EXPECT_EQ(b, 0);
}

TEST(Planes, RowsShareOneZeroedBlock)
{
    int** p = (int**)MallocBuf(5, 3, 32);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(p[r][c], 0);
    EXPECT_EQ((char*)p[1] - (char*)p[0], 20);
    EXPECT_EQ((char*)p[2] - (char*)p[0], 40);
    FreeBuf((void**)p);
    UCHR** q = (UCHR**)MallocBuf(3, 2, 24);
    EXPECT_EQ(q[1] - q[0], 9);
    FreeBuf((void**)q);
}

TEST(Planes, ReusedBlockComesBackZeroed)
{
    // A plane freed dirty is handed out again for the same size: it must be
    // zero again, rows where they belong, however the sizes interleave.
    int** dirty = (int**)MallocBuf(7, 4, 32);
    int** other = (int**)MallocBuf(3, 3, 8);
    for (int r = 0; r < 4; ++r)
        std::fill(dirty[r], dirty[r] + 7, -1);
    FreeBuf((void**)dirty);
    int** again = (int**)MallocBuf(7, 4, 32);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ((char*)again[r] - (char*)again[0], 28 * r);
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(again[r][c], 0);
    }
    FreeBuf((void**)again);
    FreeBuf((void**)other);
    FreeBuf(nullptr);
}

TEST(OutputStream, RowsLandTopRowFirstAndNothingPastTheEnd)
{
    // Three rows of four bytes, handed over bottom row first in pieces that
    // straddle rows, then more than the raster holds.
    std::vector<uint8_t> dst(12 + 1, 0xEE);
    RasterOut out(dst.data(), 4, 3);
    const uint8_t bytes[14] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    EXPECT_EQ(out.Write(bytes, 1, 6), 6);
    EXPECT_FALSE(out.Complete());
    EXPECT_EQ(out.Write(bytes + 6, 8, 1), 8);
    EXPECT_TRUE(out.Complete());
    const std::vector<uint8_t> expected = {8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3, 0xEE};
    EXPECT_EQ(dst, expected);
}

}  // namespace

namespace {

TEST(StreamHeader, ConfigurationByteAndSampleSizes)
{
    const struct {
        int level, width, height;
    } cases[] = {{4, 112, 128}, {1, 102, 126}, {3, 104, 128}, {0, 102, 126}, {7, 128, 128}};
    for (const auto& c : cases) {
        PayloadContent content;
        content.config = Config_Byte(3, 2, c.level);
        DecodeRecord rec(Build_Payload(content));
        ASSERT_EQ(DecodeFault, 0) << c.level;
        EXPECT_EQ(rec.info->color_number, 3);
        EXPECT_EQ(rec.info->face_model, 2);
        EXPECT_EQ(rec.info->level, c.level);
        EXPECT_EQ(rec.info->image_bits, 8);
        EXPECT_EQ(rec.info->sample_width, c.width) << c.level;
        EXPECT_EQ(rec.info->sample_height, c.height) << c.level;
        EXPECT_EQ(MemIndex, 7);
    }
}

}  // namespace
