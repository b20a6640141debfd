// SPDX-License-Identifier: Apache-2.0
#include "PayloadBuilder.h"

#include <algorithm>

#include "QMEncoder.h"
#include "SegmentSizes.h"

static const size_t CODED_STREAM_SIZE = 1014;
static const size_t PAYLOAD_SKIP = 10;
static const uint8_t SCRAMBLE_KEY = 0xC5;

static void Encode_colour(QMEncoder& enc, const PIXEL& p)
{
    enc.encode_bits(p.r, 8);
    enc.encode_bits(p.g, 8);
    enc.encode_bits(p.b, 8);
}

// Inverse of the decoder's turn table {0, -1, 1, -2, 2, -3, 3, -4}.
static int Turn_symbol(int previous, int next)
{
    static const int SYMBOL_OF_TURN[8] = {0, 2, 4, 6, 7, 5, 3, 1};
    return SYMBOL_OF_TURN[((next - previous) % 8 + 8) % 8];
}

Bytes Encode_Mask_Segment(const MaskContent& mask)
{
    QMEncoder enc;
    Adaptive_Model model(8);
    enc.encode_bit(mask.back);
    if (mask.back) {
        for (const VERTEX& v : mask.points) {
            enc.encode_bits(v.x, 9);
            enc.encode_bits(v.y, 9);
            Encode_colour(enc, v.p);
        }
    } else {
        Encode_colour(enc, mask.clrmean);
    }
    enc.encode_bits(mask.contours.size(), 8);
    for (const MaskContour& c : mask.contours) {
        enc.encode_bits(c.codes.size(), 16);
        enc.encode_bits(c.x_init, 12);
        enc.encode_bits(c.y_init, 12);
        enc.encode_symbol(model, c.codes.empty() ? 0 : c.codes[0]);
        for (size_t j = 1; j < c.codes.size(); ++j)
            enc.encode_symbol(model, Turn_symbol(c.codes[j - 1], c.codes[j]));
    }
    if (!mask.contours.empty())
        enc.encode_bit(mask.neck);
    return enc.Finish();
}

uint8_t Config_Byte(int colours, int face_model, int level)
{
    return (uint8_t)((colours & 3) << 6 | (face_model & 3) << 4 | (level & 15));
}

static void Append_int32(Bytes& out, int v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((uint8_t)((uint32_t)v >> (8 * i)));
}

int Object_Length_For(const std::vector<size_t>& sizes)
{
    for (int L = 4;; ++L) {
        int n[3];
        if (!Colour_Segment_Sizes(L, n))
            continue;
        bool fits = true;
        for (size_t k = 0; k < sizes.size() && k < 3; ++k)
            fits = fits && (size_t)n[k] >= sizes[k];
        if (fits)
            return L;
    }
}

Bytes Build_Coded_Stream(const PayloadContent& content)
{
    Bytes out;
    out.push_back(content.config);
    if ((content.config >> 4) & 3) {
        Append_int32(out, (int)content.mask_segment.size());
        out.insert(out.end(), content.mask_segment.begin(), content.mask_segment.end());
    }
    Append_int32(out, content.object_length);
    int n[3] = {0, 0, 0};
    Colour_Segment_Sizes(content.object_length, n);
    for (size_t k = 0; k < content.colour_segments.size() && k < 3; ++k) {
        Bytes slot = content.colour_segments[k];
        slot.resize(std::max(n[k], 0), 0);
        out.insert(out.end(), slot.begin(), slot.end());
    }
    out.resize(CODED_STREAM_SIZE, 0);
    return out;
}

Bytes Scramble_Payload(const Bytes& coded_stream, uint8_t filler)
{
    Bytes payload(PAYLOAD_SKIP, filler);
    for (size_t i = 0; i < CODED_STREAM_SIZE; ++i)
        payload.push_back((i < coded_stream.size() ? coded_stream[i] : 0) ^ SCRAMBLE_KEY);
    return payload;
}

Bytes Build_Payload(const PayloadContent& content)
{
    return Scramble_Payload(Build_Coded_Stream(content));
}
