// SPDX-License-Identifier: Apache-2.0
#include "PayloadCorpus.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>

#include "PhotoEncoder.h"
#include "SyntheticPayload.h"

namespace {

const size_t kPayloadSize = 1024;

bool Read_File(const std::string& path, Bytes& out)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    out.assign(kPayloadSize, 0);
    const size_t n = std::fread(out.data(), 1, kPayloadSize, f);
    std::fclose(f);
    return n > 0;
}

// Smooth picture with noise of the given strength on top.
std::vector<uint8_t> Random_Picture(std::mt19937& rng, int noise)
{
    std::vector<uint8_t> rgb(102 * 126 * 3);
    std::uniform_int_distribution<int> base(0, 255), slope(-3, 3), jitter(-noise, noise);
    for (int c = 0; c < 3; ++c) {
        const int b = base(rng), sx = slope(rng), sy = slope(rng);
        for (int y = 0; y < 126; ++y)
            for (int x = 0; x < 102; ++x) {
                const int v = b + sx * x + sy * y + (noise ? jitter(rng) : 0);
                rgb[(y * 102 + x) * 3 + c] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    }
    return rgb;
}

NamedPayload Sized(std::string name, Bytes bytes)
{
    bytes.resize(kPayloadSize, 0);
    return {std::move(name), std::move(bytes)};
}

} // namespace

std::vector<NamedPayload> Read_Payloads(const std::string& path)
{
    std::vector<NamedPayload> out;
    if (DIR* dir = opendir(path.c_str())) {
        std::vector<std::string> names;
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] != '.')
                names.emplace_back(e->d_name);
        }
        closedir(dir);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            std::vector<NamedPayload> more = Read_Payloads(path + "/" + name);
            out.insert(out.end(), more.begin(), more.end());
        }
        return out;
    }
    Bytes bytes;
    if (Read_File(path, bytes))
        out.push_back({path, bytes});
    return out;
}

PayloadCorpus::PayloadCorpus(std::vector<NamedPayload> files) : rng_(20261209), seeds_(std::move(files))
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const bool gradient = seed % 2 == 0;
        const int level = 1 + seed % 6;
        seeds_.push_back(Sized("synthetic " + std::to_string(seed), Synthetic_Payload(seed, gradient, level)));
    }
    for (int i = 0; i < 60; ++i) {
        const int level = 1 + i % 6;
        seeds_.push_back(Sized("photo " + std::to_string(i), Encode_Photo(Random_Picture(rng_, (i / 6) * 8), level)));
    }
}

NamedPayload PayloadCorpus::Next_Mutation()
{
    std::uniform_int_distribution<size_t> pickSeed(0, seeds_.size() - 1), pos(0, kPayloadSize - 1);
    std::uniform_int_distribution<int> flips(1, 8), bits(1, 255);
    const NamedPayload& seed = seeds_[pickSeed(rng_)];
    NamedPayload mutation = Sized("mutation " + std::to_string(mutations_++) + " of " + seed.name, seed.bytes);
    for (int f = flips(rng_); f > 0; --f)
        mutation.bytes[pos(rng_)] ^= static_cast<uint8_t>(bits(rng_));
    return mutation;
}
