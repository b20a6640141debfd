// SPDX-License-Identifier: Apache-2.0
// The forward transform and the photo encoder: what they make, the decoder
// turns back into the picture they were given.
#include "PhotoEncoder.h"
#include "SaDwtAnalysis.h"
#include "sa_idwt.h"
#include "vek_test_support.h"

#include <cmath>
#include <cstdio>
#include <random>

namespace {

// A smooth picture with an edge: two gradients and a disc.
std::vector<uint8_t> TestPicture()
{
    std::vector<uint8_t> rgb;
    for (int r = 0; r < IMAGE_HEIGHT; ++r)
        for (int c = 0; c < IMAGE_WIDTH; ++c) {
            const bool disc = (r - 50) * (r - 50) + (c - 51) * (c - 51) < 30 * 30;
            rgb.push_back(static_cast<uint8_t>(disc ? 220 : 40 + c));
            rgb.push_back(static_cast<uint8_t>(disc ? 170 : 60 + r));
            rgb.push_back(static_cast<uint8_t>(disc ? 140 : 200 - r));
        }
    return rgb;
}

} // namespace

TEST(Analysis, SynthesisUndoesItInsideAnyShape)
{
    std::mt19937 rng(3);
    for (int trial = 0; trial < 30; ++trial) {
        const int levels = 1 + trial % 4, width = 32, height = 16 << (trial % 2);
        std::vector<int> mask(width * height), pixels(width * height);
        for (int i = 0; i < width * height; ++i) {
            mask[i] = static_cast<int>(rng() % 4) != 0;
            pixels[i] = 100 + (i % width) * 3 + (i / width) * 2 + static_cast<int>(rng() % 5);
        }
        const std::vector<int> coeff = Analyze_SA_DWT(pixels, mask, width, height, levels);
        matrix_t* in = matrix_create(height, width);
        matrix_t* spatial = matrix_create(height, width);
        matrix_t* decomposed = matrix_create(height, width);
        matrix_t* out = matrix_create(height, width);
        matrix_t* rebuilt = matrix_create(height, width);
        std::copy(coeff.begin(), coeff.end(), in->data_);
        std::copy(mask.begin(), mask.end(), spatial->data_);
        do_IDWT_Mask(spatial, levels, decomposed);
        SA_IDWT(in, decomposed, levels, out, rebuilt);
        int worst = 0;
        for (int i = 0; i < width * height; ++i) {
            EXPECT_EQ(mask[i], rebuilt->data_[i]);
            if (mask[i])
                worst = std::max(worst, std::abs(out->data_[i] - pixels[i]));
            else
                EXPECT_EQ(0, out->data_[i]);
            // Only shape positions carry coefficients.
            if (decomposed->data_[i] != 1) {
                EXPECT_EQ(0, coeff[i]) << i;
            }
        }
        // Only the rounding of the 1.4142 and 0.7071 scalings stands between.
        EXPECT_LE(worst, 3) << "trial " << trial;
        for (matrix_t* m : {in, spatial, decomposed, out, rebuilt})
            matrix_destroy(m);
    }
}

TEST(PhotoEncoder, DecodedPayloadResemblesThePicture)
{
    const std::vector<uint8_t> picture = TestPicture();
    Bytes payload = Encode_Photo(picture);
    ASSERT_EQ(1024u, payload.size());
    VekLibrary lib;
    std::vector<char> raster(RASTER_SIZE);
    ASSERT_EQ(1, lib.unpack(reinterpret_cast<char*>(payload.data()), raster.data(), 0));
    double error = 0;
    for (int r = 0; r < IMAGE_HEIGHT; ++r)
        for (int c = 0; c < IMAGE_WIDTH * 3; ++c) {
            const int decoded = static_cast<uint8_t>(raster[(IMAGE_HEIGHT - 1 - r) * IMAGE_WIDTH * 3 + c]);
            error += std::abs(decoded - picture[r * IMAGE_WIDTH * 3 + c]);
        }
    const double mean = error / RASTER_SIZE;
    std::printf("mean absolute error per byte: %.2f\n", mean);
    EXPECT_LT(mean, 8.0);
}
