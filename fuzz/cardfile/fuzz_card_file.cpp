// SPDX-License-Identifier: Apache-2.0
// Any bytes as a card file of the simulated reader: the open either refuses
// the file or presents a card whose read stays inside the caller's buffers.
// The card file lives in a private directory beside three side files that
// card files may name: photo.bmp (38862 bytes), payload.bin and fp.bin (1024).
#include "simulated_reader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr unsigned char kGuard = 0xA5;
constexpr size_t kPhotoBuffer = 38862;
constexpr size_t kFingerprintBuffer = 1024;
constexpr size_t kSlack = 64;

std::string g_dir;
std::string g_cardPath;
const char* const kSideFiles[] = {"photo.bmp", "payload.bin", "fp.bin", "card.json"};

void removeDirectory()
{
    for (const char* name : kSideFiles)
        std::remove((g_dir + "/" + name).c_str());
    std::remove(g_dir.c_str());
}

void writeFile(const std::string& path, const void* bytes, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
}

void checkGuard(const std::vector<unsigned char>& buffer, size_t used)
{
    for (size_t i = used; i < buffer.size(); ++i)
        if (buffer[i] != kGuard)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/fuzz_card_file.XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir)
        std::abort();
    g_dir = dir;
    std::atexit(removeDirectory);
    const std::string& base = g_dir;
    const std::vector<unsigned char> photo(kPhotoBuffer, 0x42), payload(1024, 0x17), fp(1024, 0x99);
    writeFile(base + "/photo.bmp", photo.data(), photo.size());
    writeFile(base + "/payload.bin", payload.data(), payload.size());
    writeFile(base + "/fp.bin", fp.data(), fp.size());
    g_cardPath = base + "/card.json";
    unsetenv("KVSSIM_SCENARIO");
    unsetenv("KVSSIM_SCENARIO_FILE");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeFile(g_cardPath, data, size);
    std::string problem;
    const std::unique_ptr<SimulatedReader> reader = SimulatedReader::open(g_cardPath, problem);
    if (!reader) {
        if (problem.empty())
            std::abort();  // a refusal always says why
        return 0;
    }
    if (reader->findCard() != KVS_OK)
        std::abort();

    CardInfoStruct info;
    std::vector<unsigned char> photo(kPhotoBuffer + kSlack, kGuard);
    std::vector<unsigned char> fingerprints(kFingerprintBuffer + kSlack, kGuard);
    unsigned int photoLength = 0, fingerprintLength = 0;
    if (reader->readCard(info, photo.data(), photoLength, fingerprints.data(), fingerprintLength) != KVS_OK ||
        photoLength > kPhotoBuffer || fingerprintLength > kFingerprintBuffer)
        std::abort();
    checkGuard(photo, photoLength);
    checkGuard(fingerprints, fingerprintLength);
    return 0;
}
