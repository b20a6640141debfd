// SPDX-License-Identifier: Apache-2.0
// Decodes the same payloads with two builds of libvekORN and reports every
// payload on which they differ (return value or any raster byte). Used to
// prove that a faster decoder still gives exactly the old pictures.
//   vek-compare REFERENCE.so CANDIDATE.so PAYLOAD_OR_DIR...
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "PayloadCorpus.h"

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

    std::vector<NamedPayload> files;
    for (int i = 3; i < argc; ++i) {
        const std::vector<NamedPayload> more = Read_Payloads(argv[i]);
        files.insert(files.end(), more.begin(), more.end());
    }
    const long fromFiles = static_cast<long>(files.size());
    PayloadCorpus corpus(std::move(files));
    for (const NamedPayload& seed : corpus.Seeds())
        cmp.Run(seed.bytes, seed.name);
    const long generated = cmp.compared - fromFiles;

    const long mutations = 24000;
    for (long m = 0; m < mutations; ++m) {
        const NamedPayload mutation = corpus.Next_Mutation();
        cmp.Run(mutation.bytes, mutation.name);
    }

    std::printf("compared %ld payloads (%ld files, %ld generated, %ld mutations), %ld decoded by the "
                "reference, %ld differences\n",
                cmp.compared, fromFiles, generated, mutations, cmp.accepted, cmp.differences);
    return cmp.differences == 0 ? 0 : 1;
}
