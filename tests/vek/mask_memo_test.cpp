// SPDX-License-Identifier: Apache-2.0
// The shape kept from one decode for the next: recalled only for the same
// shape at the same level, and then exactly the decomposition made for it.
#include <gtest/gtest.h>

#include <vector>

#include "MaskMemo.h"
#include "SyntheticPayload.h"
#include "dezw.h"
#include "vek_test_support.h"

namespace {

// A record of a 102 x 126 picture with planes of as many samples (levels 0
// and 1 both give that size) whose shape is everything but the given number
// of columns; the shape is offered to the memo as a decode offers it.
struct ShapeRecord {
    common_struct info{};
    std::vector<char> mask;
    bool recalled = false;
    ShapeRecord(int level, int cut) : mask(102 * 126)
    {
        info.level = level;
        info.image_width = info.sample_width = 102;
        info.image_height = info.sample_height = 126;
        Init_Wavelet(&info);
        for (int r = 0; r < 126; ++r)
            for (int c = 0; c < 102; ++c)
                mask[r * 102 + c] = c >= cut;
        recalled = Recall_Mask(&info, mask.data());
        for (int r = 0; !recalled && r < 126; ++r)
            for (int c = 0; c < 102; ++c)
                info.SMask[r][c] = mask[r * 102 + c];
        FormFMask(&info);
    }
    ~ShapeRecord() { Term_Wavelet(&info); }
    std::vector<int> Decomposed() const { return {info.FMask[0], info.FMask[0] + 102 * 126}; }
};

TEST(MaskMemo, RecallsOnlyTheSameShapeAtTheSameLevel)
{
    std::vector<int> made;
    {
        ShapeRecord first(1, 0);
        ASSERT_NE(first.info.synthesis, nullptr);
        made = first.Decomposed();
    }
    EXPECT_FALSE(ShapeRecord(0, 0).recalled);
    EXPECT_FALSE(ShapeRecord(1, 3).recalled);
    {
        ShapeRecord(1, 0);  // kept again after the others
    }
    ShapeRecord same(1, 0);
    ASSERT_TRUE(same.recalled);
    EXPECT_NE(same.info.synthesis, nullptr);
    EXPECT_EQ(same.Decomposed(), made);
}

// What a decode keeps for the next (mask, plan, the passes' flags) never
// leaks into a decode of another shape: photos of two shapes in turn decode
// as each does in a library just loaded, which has kept nothing yet.
TEST(MaskMemo, ShapesInTurnDecodeAsAlone)
{
    auto decodeInNewLibrary = [](const std::vector<Bytes>& payloads) {
        VekLibrary vek;
        std::vector<std::vector<char>> rasters;
        if (!vek.unpack)
            return rasters;
        for (Bytes payload : payloads) {
            payload.resize(1024, 0);
            rasters.emplace_back(102 * 126 * 3);
            EXPECT_EQ(vek.unpack(reinterpret_cast<char*>(payload.data()), rasters.back().data(), 0), 1);
        }
        return rasters;
    };
    const Bytes outline = Synthetic_Payload(1, false, 4);
    const Bytes coarser = Synthetic_Payload(1, false, 3);  // another level: another decomposition
    const auto alone = decodeInNewLibrary({outline});
    const auto otherAlone = decodeInNewLibrary({coarser});
    const auto inTurn = decodeInNewLibrary({outline, coarser, outline, outline, coarser});
    ASSERT_EQ(inTurn.size(), 5u);
    ASSERT_NE(alone[0], otherAlone[0]);
    for (size_t i : {0, 2, 3})
        EXPECT_EQ(inTurn[i], alone[0]) << i;
    for (size_t i : {1, 4})
        EXPECT_EQ(inTurn[i], otherAlone[0]) << i;
}

} // namespace
