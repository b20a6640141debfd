// SPDX-License-Identifier: Apache-2.0
// The shipped library as a caller sees it: exported names, the test
// counter, failure without touching dst, and decodes from several threads.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "SyntheticPayload.h"
#include "vek_test_support.h"

namespace {

const uint8_t GUARD = 0xA7;

struct Output {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(RASTER_SIZE + 64, GUARD);
    char* dst() { return reinterpret_cast<char*>(bytes.data()); }
    bool untouched() const
    {
        for (uint8_t b : bytes)
            if (b != GUARD)
                return false;
        return true;
    }
};

struct Library : ::testing::Test {
    VekLibrary lib;
    void SetUp() override
    {
        ASSERT_NE(lib.handle, nullptr) << dlerror();
        ASSERT_NE(lib.unpack, nullptr);
        ASSERT_NE(lib.libvek2019Test, nullptr);
    }
    int Unpack(Bytes payload, Output& out)
    {
        return lib.unpack(reinterpret_cast<char*>(payload.data()), out.dst(), 0);
    }
};

TEST_F(Library, ExportsOnlyItsEntryPoints)
{
    EXPECT_EQ(dlsym(lib.handle, "RdDpDpRd"), nullptr);
    EXPECT_EQ(dlsym(lib.handle, "newbuffer"), nullptr);
    EXPECT_EQ(dlsym(lib.handle, "_Z8RdDpDpRdiPc"), nullptr);
}

TEST_F(Library, TestCounterCountsCalls)
{
    const int first = lib.libvek2019Test();
    EXPECT_EQ(lib.libvek2019Test(), first + 1);
    EXPECT_EQ(lib.libvek2019Test(), first + 2);
}

TEST_F(Library, DecodeWritesExactlyTheRaster)
{
    MaskContent m;
    m.clrmean = PIXEL{10, 20, 30};
    m.contours.push_back(MaskContour{30, 40, {0, 0, 0, 0, 2, 2, 2, 2, 4, 4, 4, 4, 6, 6, 6, 6}});
    Output out;
    ASSERT_EQ(Unpack(Payload_With_Mask(&m), out), 1);
    for (size_t i = RASTER_SIZE; i < out.bytes.size(); ++i)
        ASSERT_EQ(out.bytes[i], GUARD) << i;
    // Row 0 of dst is the image's last row: background there is the mean colour.
    EXPECT_EQ(out.bytes[0], 10);
    EXPECT_EQ(out.bytes[1], 20);
    EXPECT_EQ(out.bytes[2], 30);
}

TEST_F(Library, BottomImageRowComesFirst)
{
    // Object only in the image's top rows; everything else is the mean colour.
    MaskContent m;
    m.clrmean = PIXEL{1, 2, 3};
    m.contours.push_back(Chain_Through({{10, 0, {}}, {90, 0, {}}, {90, 8, {}}, {10, 8, {}}}));
    Output out;
    ASSERT_EQ(Unpack(Payload_With_Mask(&m, 5), out), 1);
    const int row = IMAGE_WIDTH * 3;
    for (int i = 0; i < row; i += 3) {
        ASSERT_EQ(out.bytes[i], 1) << i;  // dst row 0: image row 125, background
        ASSERT_EQ(out.bytes[i + 1], 2) << i;
        ASSERT_EQ(out.bytes[i + 2], 3) << i;
    }
    const uint8_t* top = &out.bytes[(IMAGE_HEIGHT - 1) * row];  // image row 0
    int object_pixels = 0;
    for (int x = 20; x < 80; ++x)
        object_pixels += top[3 * x] != 1 || top[3 * x + 1] != 2 || top[3 * x + 2] != 3;
    EXPECT_GT(object_pixels, 0);
}

TEST_F(Library, FirstTenPayloadBytesDoNotMatter)
{
    Bytes a = Payload_With_Mask(nullptr, 3);
    Bytes b = a;
    for (int i = 0; i < 10; ++i)
        b[i] = (uint8_t)(0x5A + i * 17);
    Output oa, ob;
    ASSERT_EQ(Unpack(a, oa), 1);
    ASSERT_EQ(Unpack(b, ob), 1);
    EXPECT_EQ(oa.bytes, ob.bytes);
}

TEST_F(Library, EveryFaceModelDecodes)
{
    MaskContent m;
    m.contours.push_back(MaskContour{5, 5, {0, 2, 4, 6}});
    for (int model = 0; model <= 3; ++model) {
        PayloadContent c;
        c.config = Config_Byte(3, model, 4);
        c.mask_segment = Encode_Mask_Segment(m);
        c.colour_segments = Arbitrary_Colour_Segments(9, 3);
        c.object_length = Arbitrary_Object_Length();
        Output out;
        EXPECT_EQ(Unpack(Build_Payload(c), out), 1) << model;
    }
}

TEST_F(Library, BadSegmentsFailWithoutTouchingDst)
{
    // Mask segment not starting with "o".
    {
        PayloadContent c;
        c.config = Config_Byte(3, 1, 4);
        c.mask_segment = Encode_Mask_Segment(MaskContent{});
        c.mask_segment[0] = 0;
        c.colour_segments = Arbitrary_Colour_Segments(1, 3);
        c.object_length = Arbitrary_Object_Length();
        Output out;
        EXPECT_NE(Unpack(Build_Payload(c), out), 1);
        EXPECT_TRUE(out.untouched());
    }
    // A colour segment not starting with "o".
    for (int k = 0; k < 3; ++k) {
        PayloadContent c;
        c.config = Config_Byte(3, 0, 4);
        c.colour_segments = Arbitrary_Colour_Segments(1, 3);
        c.colour_segments[k][1] = 'O';
        c.object_length = Arbitrary_Object_Length();
        Output out;
        EXPECT_NE(Unpack(Build_Payload(c), out), 1) << k;
        EXPECT_TRUE(out.untouched()) << k;
    }
}

TEST_F(Library, HostileContoursFailWithoutTouchingDst)
{
    MaskContent many;
    for (int i = 0; i < 21; ++i)
        many.contours.push_back(MaskContour{i, 0, {}});
    MaskContent outside;
    outside.contours.push_back(MaskContour{0, 0, {4}});
    MaskContent longest;
    longest.contours.push_back(MaskContour{0, 0, std::vector<int>(2001)});
    for (int i = 0; i < 2001; ++i)
        longest.contours[0].codes[i] = i % 2 ? 4 : 0;
    for (const MaskContent* m : {&many, &outside, &longest}) {
        Output out;
        EXPECT_NE(Unpack(Payload_With_Mask(m), out), 1);
        EXPECT_TRUE(out.untouched());
    }
}

TEST_F(Library, NullBuffersFail)
{
    Bytes p = Payload_With_Mask(nullptr);
    Output out;
    EXPECT_EQ(lib.unpack(nullptr, out.dst(), 0), 0);
    EXPECT_EQ(lib.unpack(reinterpret_cast<char*>(p.data()), nullptr, 0), 0);
    EXPECT_TRUE(out.untouched());
}

TEST_F(Library, HeaderWithoutRasterWriterFails)
{
    for (int colours : {0, 2}) {
        PayloadContent c;
        c.config = Config_Byte(colours, 0, 4);
        c.colour_segments = Arbitrary_Colour_Segments(1, 3);
        c.object_length = Arbitrary_Object_Length();
        Output out;
        EXPECT_NE(Unpack(Build_Payload(c), out), 1) << colours;
        EXPECT_TRUE(out.untouched());
    }
    // Sixteen levels would need planes of 32768 x 32768.
    PayloadContent c;
    c.config = Config_Byte(3, 0, 15);
    c.colour_segments = Arbitrary_Colour_Segments(1, 3);
    c.object_length = Arbitrary_Object_Length();
    Output out;
    EXPECT_NE(Unpack(Build_Payload(c), out), 1);
    EXPECT_TRUE(out.untouched());
}

TEST_F(Library, ConcurrentDecodesMatchSequentialOnes)
{
    const int kinds = 4;
    std::vector<Bytes> payloads;
    std::vector<Output> expected(kinds);
    for (int k = 0; k < kinds; ++k) {
        MaskContent m;
        m.clrmean = PIXEL{(UCHR)(k * 50), 100, 150};
        m.contours.push_back(MaskContour{10 + k * 10, 20, {0, 0, 0, 2, 2, 2, 4, 4, 4, 6, 6, 6}});
        payloads.push_back(Payload_With_Mask(&m, 100 + k));
        ASSERT_EQ(Unpack(payloads[k], expected[k]), 1);
    }
    std::vector<std::thread> threads;
    std::vector<int> mismatches(kinds, 0);
    for (int k = 0; k < kinds; ++k) {
        threads.emplace_back([&, k] {
            for (int round = 0; round < 25; ++round) {
                Output out;
                Bytes p = payloads[k];
                const int r = lib.unpack(reinterpret_cast<char*>(p.data()), out.dst(), 0);
                if (r != 1 || out.bytes != expected[k].bytes)
                    ++mismatches[k];
            }
        });
    }
    for (auto& t : threads)
        t.join();
    for (int k = 0; k < kinds; ++k)
        EXPECT_EQ(mismatches[k], 0) << k;
}

}  // namespace
