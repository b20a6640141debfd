// SPDX-License-Identifier: Apache-2.0
// Our 1024-byte photo payload beside libjpeg-turbo, libwebp and OpenJPEG:
// each codec compresses the same 102 x 126 pictures to about 1 KB and
// decodes them into the same raster (PeerCodecs.cpp says how each is run and
// why that is fair). Decodes are interleaved, one of every codec in turn
// with a rotating first, so that the machine's moods hit all of them alike.
// The table gives per picture set the mean file size, the median and the
// minimum time of one decode, the median's ratio to OpenJPEG's and the PSNR.
//   bench_peers [rounds, default 300]
// Picture sets: the sample cards' stored payloads (the others compress what
// they decode to), synthetic portraits (likewise) and four natural
// photographs (photos/, each codec compressing the original).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "PeerCodecs.h"
#include "SyntheticPayload.h"

namespace {

const int kWidth = 102;
const int kHeight = 126;
const size_t kRow = kWidth * 3;
const size_t kPicture = kRow * kHeight;
const size_t kPayload = 1024;

struct Picture {
    std::string name;
    Bytes raster;   // the picture compressed, as a decoder's raster (bottom row first)
    Bytes payload;  // our stored payload, when the picture comes as one
};

struct Set {
    std::string name;
    std::vector<Picture> pictures;
};

Bytes Flip_Rows(const Bytes& picture)
{
    Bytes flipped(kPicture);
    for (int r = 0; r < kHeight; ++r)
        std::memcpy(flipped.data() + r * kRow, picture.data() + (kHeight - 1 - r) * kRow, kRow);
    return flipped;
}

double Psnr(const Bytes& a, const Bytes& b)
{
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i)
        squares += (a[i] - b[i]) * (a[i] - b[i]);
    return squares == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * a.size() / squares);
}

double Mean(const std::vector<double>& v)
{
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / v.size();
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// One line of the table: one codec on one set.
struct Row {
    std::vector<double> bytes, micros, psnr;
    bool failed = false;
};

std::vector<Row> Measure(const Set& set, std::vector<std::unique_ptr<PeerCodec>>& codecs, int rounds)
{
    const size_t n = codecs.size();
    std::vector<Row> rows(n);
    // files[p][k]: picture p as codec k stores it.
    std::vector<std::vector<Bytes>> files(set.pictures.size());
    for (size_t p = 0; p < set.pictures.size(); ++p) {
        const Picture& picture = set.pictures[p];
        const Bytes rgb = Flip_Rows(picture.raster);
        for (size_t k = 0; k < n; ++k) {
            const bool stored = k == 0 && !picture.payload.empty();
            files[p].push_back(stored ? picture.payload : codecs[k]->Compress(rgb, kWidth, kHeight, kPayload));
            rows[k].bytes.push_back(files[p][k].size());
            rows[k].failed |= files[p][k].empty();
        }
    }
    Bytes raster(kPicture);
    // Round -1 warms caches and allocators and is not counted.
    for (int round = -1; round < rounds; ++round) {
        for (size_t p = 0; p < set.pictures.size(); ++p) {
            for (size_t j = 0; j < n; ++j) {
                const size_t k = (j + p + static_cast<size_t>(round + 1)) % n;
                if (rows[k].failed)
                    continue;
                const auto start = std::chrono::steady_clock::now();
                const bool ok = codecs[k]->Decompress(files[p][k], kWidth, kHeight, raster.data());
                const auto end = std::chrono::steady_clock::now();
                rows[k].failed |= !ok;
                if (round >= 0)
                    rows[k].micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
                if (round == 0 && ok)
                    rows[k].psnr.push_back(Psnr(set.pictures[p].raster, raster));
            }
        }
    }
    return rows;
}

Bytes Read_File(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A binary PPM of 102 x 126 pixels with 255 levels, as photos/ holds them;
// empty when the file is anything else.
Bytes Read_Ppm(const std::string& path)
{
    const Bytes file = Read_File(path);
    const std::string header = "P6\n102 126\n255\n";
    if (file.size() != header.size() + kPicture || !std::equal(header.begin(), header.end(), file.begin()))
        return {};
    return Bytes(file.begin() + header.size(), file.end());
}

// unpack's raster of a payload; empty when it does not decode.
Bytes Decoded(const Bytes& payload, PeerCodec& vek)
{
    Bytes raster(kPicture);
    if (payload.size() != kPayload || !vek.Decompress(payload, kWidth, kHeight, raster.data()))
        return {};
    return raster;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    auto codecs = Make_Peer_Codecs();
    std::vector<Set> sets = {{"card photos", {}}, {"synthetic portraits", {}}, {"natural photos", {}}};
    for (const char* card : {"cn", "hmt", "fnew", "f2017"}) {
        const Bytes payload = Read_File(std::string(PELORIN_CARD_FIXTURES "/") + card + "_payload.bin");
        sets[0].pictures.push_back({card, Decoded(payload, *codecs[0]), payload});
    }
    for (unsigned seed = 1; seed <= 8; ++seed) {
        Bytes payload = Synthetic_Payload(seed, seed % 2 == 0);
        payload.resize(kPayload, 0);
        sets[1].pictures.push_back({"seed " + std::to_string(seed), Decoded(payload, *codecs[0]), payload});
    }
    for (const char* photo : {"astronaut", "chelsea", "coffee", "rocket"}) {
        const Bytes rgb = Read_Ppm(std::string(PELORIN_PEER_PHOTOS "/") + photo + ".ppm");
        sets[2].pictures.push_back({photo, rgb.empty() ? rgb : Flip_Rows(rgb), {}});
    }
    for (const Set& set : sets)
        for (const Picture& p : set.pictures)
            if (p.raster.empty()) {
                std::fprintf(stderr, "%s: %s cannot be read or decoded\n", set.name.c_str(), p.name.c_str());
                return 1;
            }

    std::printf("%-20s %-14s %6s %10s %8s %9s %8s\n", "pictures", "codec", "bytes", "median us", "min us",
                "/OpenJPEG", "PSNR dB");
    for (const Set& set : sets) {
        const std::vector<Row> rows = Measure(set, codecs, rounds);
        const double openjpeg = Median(rows.back().micros);
        for (size_t k = 0; k < rows.size(); ++k) {
            const Row& row = rows[k];
            if (row.failed) {
                std::printf("%-20s %-14s  failed\n", set.name.c_str(), codecs[k]->Name().c_str());
                continue;
            }
            // The stored payloads are what was decoded to get the picture.
            char psnr[16] = "-";
            if (k != 0 || set.pictures[0].payload.empty())
                std::snprintf(psnr, sizeof psnr, "%.2f", Mean(row.psnr));
            const double median = Median(row.micros);
            const double least = *std::min_element(row.micros.begin(), row.micros.end());
            std::printf("%-20s %-14s %6.0f %10.1f %8.1f %9.2f %8s\n", set.name.c_str(), codecs[k]->Name().c_str(),
                        Mean(row.bytes), median, least, openjpeg > 0 ? median / openjpeg : 0.0, psnr);
        }
    }
    std::printf("bytes: mean file size; median, min: one decode into the raster, %d decodes of every picture\n"
                "by every codec, interleaved; /OpenJPEG: the median over OpenJPEG's in the same run; PSNR:\n"
                "mean over the pictures against the picture compressed (for stored payloads their own decode,\n"
                "so those have none).\n", rounds);
    return 0;
}
