// Decodes the same payloads with two builds of libvekORN and reports every
// payload on which they differ (return value or any raster byte). Used to
// prove that a faster decoder still gives exactly the old pictures.
//   vek-compare REFERENCE.so CANDIDATE.so PAYLOAD_OR_DIR...
#include <dirent.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "PhotoEncoder.h"
#include "SyntheticPayload.h"

namespace {

typedef int (*UnpackFn)(char*, char*, int);

const size_t kPayloadSize = 1024;
const size_t kRasterSize = 38556;
// Slack after the raster: a decoder writing past it shows up as a difference.
const size_t kGuard = 512;

UnpackFn Load_Unpack(const char* path)
{
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        return nullptr;
    }
    return reinterpret_cast<UnpackFn>(dlsym(handle, "unpack"));
}

struct Comparison {
    UnpackFn reference;
    UnpackFn candidate;
    long compared = 0;
    long accepted = 0;
    long differences = 0;

    void Run(const Bytes& payload, const std::string& name)
    {
        Bytes input(payload);
        input.resize(kPayloadSize, 0);
        std::vector<char> a(kRasterSize + kGuard, 0x5A), b(kRasterSize + kGuard, 0x5A);
        Bytes copy(input);
        const int ra = reference(reinterpret_cast<char*>(copy.data()), a.data(), 0);
        copy = input;
        const int rb = candidate(reinterpret_cast<char*>(copy.data()), b.data(), 0);
        ++compared;
        accepted += ra == 1;
        if (ra != rb || a != b) {
            ++differences;
            if (differences <= 20)
                std::printf("DIFF %s: returns %d / %d\n", name.c_str(), ra, rb);
        }
    }
};

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

// A file, or every file in a directory.
void Collect(const std::string& path, std::vector<std::pair<std::string, Bytes>>& out)
{
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] != '.')
                Collect(path + "/" + e->d_name, out);
        }
        closedir(dir);
        return;
    }
    Bytes b;
    if (Read_File(path, b))
        out.emplace_back(path, b);
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

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s REFERENCE.so CANDIDATE.so PAYLOAD_OR_DIR...\n", argv[0]);
        return 2;
    }
    Comparison cmp;
    cmp.reference = Load_Unpack(argv[1]);
    cmp.candidate = Load_Unpack(argv[2]);
    if (!cmp.reference || !cmp.candidate || cmp.reference == cmp.candidate) {
        std::fprintf(stderr, "need two distinct libraries exporting unpack\n");
        return 2;
    }

    std::vector<std::pair<std::string, Bytes>> seeds;
    for (int i = 3; i < argc; ++i)
        Collect(argv[i], seeds);
    for (const auto& s : seeds)
        cmp.Run(s.second, s.first);
    const long fromFiles = cmp.compared;

    std::mt19937 rng(20261209);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const bool gradient = seed % 2 == 0;
        const int level = 1 + seed % 6;
        Bytes p = Synthetic_Payload(seed, gradient, level);
        seeds.emplace_back("synthetic " + std::to_string(seed), p);
        cmp.Run(p, seeds.back().first);
    }
    for (int i = 0; i < 60; ++i) {
        const int level = 1 + i % 6;
        Bytes p = Encode_Photo(Random_Picture(rng, (i / 6) * 8), level);
        seeds.emplace_back("photo " + std::to_string(i), p);
        cmp.Run(p, seeds.back().first);
    }
    const long generated = cmp.compared - fromFiles;

    // Byte flips of every seed, 1 to 8 flips each.
    const long mutations = 24000;
    std::uniform_int_distribution<size_t> pickSeed(0, seeds.size() - 1), pos(0, kPayloadSize - 1);
    std::uniform_int_distribution<int> flips(1, 8), bits(1, 255);
    for (long m = 0; m < mutations; ++m) {
        const auto& s = seeds[pickSeed(rng)];
        Bytes p(s.second);
        p.resize(kPayloadSize, 0);
        for (int f = flips(rng); f > 0; --f)
            p[pos(rng)] ^= static_cast<uint8_t>(bits(rng));
        cmp.Run(p, "mutation " + std::to_string(m) + " of " + s.first);
    }

    std::printf("compared %ld payloads (%ld files, %ld generated, %ld mutations), %ld decoded by the "
                "reference, %ld differences\n",
                cmp.compared, fromFiles, generated, mutations, cmp.accepted, cmp.differences);
    return cmp.differences == 0 ? 0 : 1;
}
