// SPDX-License-Identifier: Apache-2.0
// Our photo format and three general-purpose codecs, each made to compress
// an RGB picture to about a byte budget and to decode it again into the
// raster unpack gives: bottom row first, red, green, blue, no padding.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

class PeerCodec {
public:
    virtual ~PeerCodec() = default;
    virtual std::string Name() const = 0;
    // The largest file not above budget bytes that the codec's quality or
    // rate setting reaches (its smallest file if none fits); empty on failure.
    // rgb: top row first, red, green, blue.
    virtual Bytes Compress(const Bytes& rgb, int width, int height, size_t budget) = 0;
    // Decodes file into raster (width x height x 3 bytes, bottom row first);
    // false on failure. Called many times in a row: whatever the codec's
    // interface lets a caller keep between decodes is kept.
    virtual bool Decompress(const Bytes& file, int width, int height, uint8_t* raster) = 0;
};

// unpack first, then libjpeg-turbo, libwebp and OpenJPEG.
std::vector<std::unique_ptr<PeerCodec>> Make_Peer_Codecs();
