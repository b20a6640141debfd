// SPDX-License-Identifier: Apache-2.0
// The shape kept from one decode for the next: recalled only for the same
// shape at the same level, and then exactly the decomposition made for it.
#include <gtest/gtest.h>

#include <vector>

#include "MaskMemo.h"
#include "dezw.h"

namespace {

// A record with planes of 102 x 126 samples (levels 0 and 1 both give that
// size) whose shape is everything but the given number of columns.
struct ShapeRecord {
    common_struct info{};
    ShapeRecord(int level, int cut)
    {
        info.level = level;
        info.sample_width = 102;
        info.sample_height = 126;
        Init_Wavelet(&info);
        for (int r = 0; r < 126; ++r)
            for (int c = 0; c < 102; ++c)
                info.SMask[r][c] = c >= cut;
    }
    ~ShapeRecord() { Term_Wavelet(&info); }
    std::vector<int> Decomposed() const { return {info.FMask[0], info.FMask[0] + 102 * 126}; }
};

TEST(MaskMemo, RecallsOnlyTheSameShapeAtTheSameLevel)
{
    std::vector<int> made;
    {
        ShapeRecord first(1, 0);
        FormFMask(&first.info);
        ASSERT_NE(first.info.synthesis, nullptr);
        made = first.Decomposed();
    }
    ShapeRecord otherLevel(0, 0);
    EXPECT_FALSE(Recall_Mask(&otherLevel.info));
    ShapeRecord otherShape(1, 3);
    EXPECT_FALSE(Recall_Mask(&otherShape.info));
    ShapeRecord same(1, 0);
    ASSERT_TRUE(Recall_Mask(&same.info));
    EXPECT_NE(same.info.synthesis, nullptr);
    EXPECT_EQ(same.Decomposed(), made);
}

} // namespace
