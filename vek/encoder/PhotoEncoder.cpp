// SPDX-License-Identifier: Apache-2.0
#include "PhotoEncoder.h"

#include <algorithm>
#include <cmath>

#include "Matrix.h"
#include "SaDwtAnalysis.h"
#include "ZeroTreeEncoder.h"
#include "sa_idwt.h"

namespace {

const int WIDTH = 102;
const int HEIGHT = 126;
// Configuration byte, object length field, and the 26 bytes by which the
// colour segments exceed the object length: what is left of the stream.
const int STREAM_SIZE = 1014;
const int LARGEST_OBJECT_LENGTH = STREAM_SIZE - 1 - 4 - 26;

int RoundUp(int size, int level)
{
    return ((size + (1 << level) - 1) >> level) << level;
}

int ToByte(double v)
{
    const long n = std::lround(v);
    return n < 0 ? 0 : (n > 255 ? 255 : static_cast<int>(n));
}

} // namespace

Bytes Encode_Photo(const std::vector<uint8_t>& rgb, int level)
{
    const int width = RoundUp(WIDTH, level);
    const int height = RoundUp(HEIGHT, level);
    std::vector<int> mask(static_cast<size_t>(width) * height, 0);
    std::vector<std::vector<int>> planes(3, std::vector<int>(mask.size(), 0));
    for (int r = 0; r < HEIGHT; ++r) {
        for (int c = 0; c < WIDTH; ++c) {
            const uint8_t* p = &rgb[(static_cast<size_t>(r) * WIDTH + c) * 3];
            const double red = p[0], green = p[1], blue = p[2];
            const size_t i = static_cast<size_t>(r) * width + c;
            mask[i] = 1;
            planes[0][i] = ToByte(0.299 * red + 0.587 * green + 0.114 * blue);
            planes[1][i] = ToByte(-0.168736 * red - 0.331264 * green + 0.5 * blue + 128);
            planes[2][i] = ToByte(0.5 * red - 0.418688 * green - 0.081312 * blue + 128);
        }
    }
    matrix_t* spatial = matrix_create(height, width);
    matrix_t* decomposed = matrix_create(height, width);
    std::copy(mask.begin(), mask.end(), spatial->data_);
    do_IDWT_Mask(spatial, level, decomposed);
    const std::vector<int> fmask(decomposed->data_, decomposed->data_ + decomposed->datasize_);
    matrix_destroy(spatial);
    matrix_destroy(decomposed);

    PayloadContent content;
    content.config = Config_Byte(3, 0, level);
    content.object_length = LARGEST_OBJECT_LENGTH;
    for (const std::vector<int>& plane : planes) {
        ZeroTreePlanes coded{width, height, level, Analyze_SA_DWT(plane, mask, width, height, level),
                             fmask};
        // Coded to the last bit plane; the slot cuts it where the budget ends.
        content.colour_segments.push_back(Encode_Zero_Tree(coded).segment);
    }
    return Build_Payload(content);
}
