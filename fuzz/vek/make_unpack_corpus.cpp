// SPDX-License-Identifier: Apache-2.0
// Writes the seed payloads of fuzz_unpack into the directory given.
#include <cstdio>
#include <string>

#include "SyntheticPayload.h"

static void Write(const std::string& dir, const char* name, const Bytes& payload)
{
    const std::string path = dir + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        perror(path.c_str());
        return;
    }
    fwrite(payload.data(), 1, payload.size(), f);
    fclose(f);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    Write(dir, "photo_flat", Synthetic_Payload(1, false));
    Write(dir, "photo_gradient", Synthetic_Payload(2, true));
    Write(dir, "photo_level3", Synthetic_Payload(3, false, 3));

    // Several small contours, and one stream without a mask segment.
    MaskContent mask;
    mask.contours.push_back(MaskContour{10, 10, {0, 0, 2, 2, 4, 4, 6, 6}});
    mask.contours.push_back(MaskContour{50, 60, {}});
    mask.contours.push_back(Chain_Through({{60, 5, {}}, {90, 40, {}}, {70, 80, {}}}));
    PayloadContent content;
    content.config = Config_Byte(3, 1, 4);
    content.mask_segment = Encode_Mask_Segment(mask);
    content.colour_segments = {{5, 'o', 0x12, 0x34}, {3, 'o', 0x56}, {3, 'o', 0x9A}};
    content.object_length = Object_Length_For({40, 40, 40});
    Write(dir, "contours", Build_Payload(content));

    content.config = Config_Byte(3, 0, 2);
    Write(dir, "no_mask", Build_Payload(content));
    content.config = Config_Byte(1, 0, 4);
    Write(dir, "grey", Build_Payload(content));
    return 0;
}
