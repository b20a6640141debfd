// Writes the photos and fingerprint blocks of the sample card files:
//   make-sample-photos <directory>
// produces <card>_photo.bmp for every sample card, cn_fp.bin (1024 bytes)
// and cn_fp512.bin (512 bytes).
#include "sample_fingerprints.h"
#include "sample_looks.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make-sample-photos: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-photos <directory>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = true;
    for (const kvssample::NamedLook& card : kvssample::fixtureLooks())
        ok = writeFile(dir + card.name + "_photo.bmp", kvssample::drawPortraitBitmap(card.look)) && ok;
    ok = writeFile(dir + "cn_fp.bin", kvssample::fingerprintBytes(kvssample::kFixtureFingerprintSeed, kvssample::kFingerprintBytes)) && ok;
    ok = writeFile(dir + "cn_fp512.bin", kvssample::fingerprintBytes(kvssample::kFixtureFingerprintSeed, 512)) && ok;
    return ok ? 0 : 1;
}
