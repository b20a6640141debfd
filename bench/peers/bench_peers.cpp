// Our 1024-byte photo payload beside libjpeg-turbo, libwebp and OpenJPEG:
// each compresses the same 102 x 126 pictures to about 1 KB, and one table
// gives the file size, the median time of one decode and the PSNR against
// the picture that was compressed.
//   bench_peers [decodes per picture, default 200]
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
#include "PhotoEncoder.h"
#include "SyntheticPayload.h"
#include "libvek2019.h"

namespace {

const int kWidth = 102;
const int kHeight = 126;
const size_t kRow = kWidth * 3;
const size_t kPicture = kRow * kHeight;
const size_t kPayload = 1024;

// unpack's raster comes bottom row first; pictures here are top row first.
bool Unpack_Picture(const Bytes& payload, Bytes& rgb)
{
    Bytes input(payload);
    input.resize(kPayload, 0);
    std::vector<char> raster(kPicture);
    if (unpack(reinterpret_cast<char*>(input.data()), raster.data(), 0) != 1)
        return false;
    rgb.resize(kPicture);
    for (int r = 0; r < kHeight; ++r)
        std::memcpy(rgb.data() + r * kRow, raster.data() + (kHeight - 1 - r) * kRow, kRow);
    return true;
}

double Psnr(const Bytes& a, const Bytes& b)
{
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i)
        squares += (a[i] - b[i]) * (a[i] - b[i]);
    return squares == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * a.size() / squares);
}

// One line of the table: a way of storing a set of pictures.
struct Row {
    std::string codec, set;
    std::vector<double> bytes, micros, psnr;
    bool failed = false;
};

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

// Times decodes one at a time; the last decoded picture is left in out.
template <typename Decode>
bool Time_Decodes(int count, Decode decode, Bytes& out, std::vector<double>& micros)
{
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = decode(out);
        const auto end = std::chrono::steady_clock::now();
        if (!ok)
            return false;
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return true;
}

struct Picture {
    Bytes payload;  // as the card (or the synthetic generator) holds it
    Bytes rgb;      // what that payload decodes to
};

std::vector<Row> Measure(const std::string& set, const std::vector<Picture>& pictures, int decodes)
{
    std::vector<Row> rows(2);
    rows[0].codec = "vek, payload as stored";
    rows[1].codec = "vek, Encode_Photo";
    auto codecs = Make_Peer_Codecs();
    for (const auto& codec : codecs)
        rows.push_back(Row{codec->Name(), set, {}, {}, {}});
    Bytes out;
    for (const Picture& picture : pictures) {
        rows[0].bytes.push_back(kPayload);
        rows[0].failed |= !Time_Decodes(decodes, [&](Bytes& o) { return Unpack_Picture(picture.payload, o); },
                                        out, rows[0].micros);
        Bytes encoded = Encode_Photo(picture.rgb);
        encoded.resize(kPayload, 0);
        rows[1].bytes.push_back(encoded.size());
        rows[1].failed |= !Time_Decodes(decodes, [&](Bytes& o) { return Unpack_Picture(encoded, o); },
                                        out, rows[1].micros);
        rows[1].psnr.push_back(Psnr(picture.rgb, out));
        for (size_t k = 0; k < codecs.size(); ++k) {
            Row& row = rows[2 + k];
            const Bytes file = codecs[k]->Compress(picture.rgb, kWidth, kHeight, kPayload);
            row.bytes.push_back(file.size());
            const bool ok = !file.empty() && Time_Decodes(decodes, [&](Bytes& o) {
                return codecs[k]->Decompress(file, kWidth, kHeight, o);
            }, out, row.micros);
            row.failed |= !ok;
            if (ok)
                row.psnr.push_back(Psnr(picture.rgb, out));
        }
    }
    for (Row& row : rows)
        row.set = set;
    return rows;
}

Bytes Read_File(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv)
{
    const int decodes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::vector<Picture> cards, portraits;
    for (const char* card : {"cn", "hmt", "fnew", "f2017"})
        cards.push_back({Read_File(std::string(PELORIN_CARD_FIXTURES "/") + card + "_payload.bin"), {}});
    for (unsigned seed = 1; seed <= 8; ++seed)
        portraits.push_back({Synthetic_Payload(seed, seed % 2 == 0), {}});
    for (auto* set : {&cards, &portraits})
        for (Picture& p : *set)
            if (!Unpack_Picture(p.payload, p.rgb)) {
                std::fprintf(stderr, "a sample payload does not decode\n");
                return 1;
            }

    std::vector<Row> rows = Measure("card photos", cards, decodes);
    for (Row& row : Measure("synthetic portraits", portraits, decodes))
        rows.push_back(row);
    std::printf("%-24s %-20s %7s %10s %8s\n", "codec", "pictures", "bytes", "median us", "PSNR dB");
    for (const Row& row : rows) {
        if (row.failed) {
            std::printf("%-24s %-20s  failed\n", row.codec.c_str(), row.set.c_str());
            continue;
        }
        char psnr[16] = "-";
        if (!row.psnr.empty())
            std::snprintf(psnr, sizeof psnr, "%.2f", Mean(row.psnr));
        std::printf("%-24s %-20s %7.0f %10.1f %8s\n", row.codec.c_str(), row.set.c_str(), Mean(row.bytes),
                    Median(row.micros), psnr);
    }
    std::printf("bytes: mean file size; median us: one decode to RGB, over %d decodes of every picture;\n"
                "PSNR: mean over the pictures against the picture compressed (the stored payload's own\n"
                "decode), so the stored payloads have none.\n", decodes);
    return 0;
}
