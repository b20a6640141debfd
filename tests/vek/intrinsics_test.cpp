// SPDX-License-Identifier: Apache-2.0
// The conversions the decoder's vector code relies on give x86's results on
// every processor: natively there, through Intrinsics.h elsewhere. Values
// whose truncation does not fit an int (and NaN) become INT32_MIN. Inputs
// pass through volatile: the compiler folds constants by rules of its own.
#include "Intrinsics.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(Intrinsics, DoublesTruncateToIntsAsOnX86)
{
    const struct {
        double in;
        int out;
    } cases[] = {{2147483647.0, INT_MAX}, {2147483647.9, INT_MAX},  {-2147483648.0, INT_MIN},
                 {-0.9, 0},               {2147483648.0, INT_MIN}, {-2147483649.0, INT_MIN},
                 {1e300, INT_MIN},        {NAN, INT_MIN}};
    for (const auto& c : cases) {
        volatile double in = c.in;
        int lanes[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), _mm_cvttpd_epi32(_mm_set_pd(-7.5, in)));
        EXPECT_EQ(lanes[0], c.out) << c.in;
        EXPECT_EQ(lanes[1], -7);
        EXPECT_EQ(lanes[2], 0);
        EXPECT_EQ(lanes[3], 0);
    }
}

TEST(Intrinsics, FloatsTruncateToIntsAsOnX86)
{
    volatile float in[4] = {2147483520.0f, 2147483648.0f, -1.5f, NAN};
    int lanes[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), _mm_cvttps_epi32(_mm_setr_ps(in[0], in[1], in[2], in[3])));
    EXPECT_EQ(lanes[0], 2147483520);
    EXPECT_EQ(lanes[1], INT_MIN);
    EXPECT_EQ(lanes[2], -1);
    EXPECT_EQ(lanes[3], INT_MIN);
}
