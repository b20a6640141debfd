// Three general-purpose codecs, each made to compress an RGB picture to
// about a byte budget and to decode it again to RGB.
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
    // Back to pixels in the same layout; false on failure.
    virtual bool Decompress(const Bytes& file, int width, int height, Bytes& rgb) = 0;
};

std::vector<std::unique_ptr<PeerCodec>> Make_Peer_Codecs();
