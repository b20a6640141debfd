// SPDX-License-Identifier: Apache-2.0
// The shipped decoder's rasters of a fixed corpus against a table made on
// x86-64 (raster_hashes.txt): every processor must give the same pixels, bit
// for bit. On a difference the table this build gives is written beside the
// test, to compare or, after a deliberate change checked on x86-64, to copy.
#include "PayloadCorpus.h"
#include "vek_test_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const size_t kRasterSize = 38556;
const long kMutations = 4000;
const long kMutationBlock = 500;

// FNV-1a, 64 bits: small, and the same everywhere.
struct Hash {
    uint64_t value = 14695981039346656037ull;
    void Add(const void* data, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            value ^= static_cast<const uint8_t*>(data)[i];
            value *= 1099511628211ull;
        }
    }
};

std::string Hex(uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// Hashes of payloads, of unpack's results and of the rasters, over one
// payload or a block of them.
struct Decodes {
    Hash payloads, rasters;
    long accepted = 0;

    void Add(const VekLibrary& vek, const Bytes& payload)
    {
        payloads.Add(payload.data(), payload.size());
        Bytes input(payload);
        std::vector<char> raster(kRasterSize, 0x5A);
        const int result = vek.unpack(reinterpret_cast<char*>(input.data()), raster.data(), 0);
        accepted += result == 1;
        rasters.Add(&result, sizeof result);
        rasters.Add(raster.data(), raster.size());
    }
    std::string Line(const std::string& name, long count) const
    {
        return name + " " + Hex(payloads.value) + " " + std::to_string(accepted) + "/" + std::to_string(count) +
               " " + Hex(rasters.value);
    }
};

// The card fixtures' payloads, the fuzzer's seeds, the generated payloads,
// and blocks of their mutations: name, payload hash, decoded/all, raster hash.
std::vector<std::string> Table(const VekLibrary& vek)
{
    const std::string root = PELORIN_SOURCE_DIR "/";
    std::vector<NamedPayload> files;
    for (const char* name : {"cn_payload", "cn_badpayload", "f2017_payload", "fnew_payload", "hmt_payload"})
        for (NamedPayload& file : Read_Payloads(root + "tests/fixtures/cards/" + name + ".bin"))
            files.push_back(file);
    for (NamedPayload& seed : Read_Payloads(root + "fuzz/vek/corpus_unpack"))
        files.push_back(seed);
    for (NamedPayload& file : files)
        file.name.erase(0, root.size());

    PayloadCorpus corpus(files);
    std::vector<std::string> table;
    for (const NamedPayload& seed : corpus.Seeds()) {
        Decodes one;
        one.Add(vek, seed.bytes);
        std::string name = seed.name;
        for (char& c : name)
            c = c == ' ' ? '_' : c;
        table.push_back(one.Line(name, 1));
    }
    for (long first = 0; first < kMutations; first += kMutationBlock) {
        Decodes block;
        for (long m = 0; m < kMutationBlock; ++m)
            block.Add(vek, corpus.Next_Mutation().bytes);
        table.push_back(block.Line("mutations_" + std::to_string(first) + "-" +
                                       std::to_string(first + kMutationBlock - 1),
                                   kMutationBlock));
    }
    return table;
}

std::vector<std::string> Expected_Table()
{
    std::ifstream in(PELORIN_SOURCE_DIR "/tests/vek/raster_hashes.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    return lines;
}

TEST(RasterHashes, EveryPayloadDecodesToTheRasterOfTheTable)
{
    VekLibrary vek;
    ASSERT_NE(vek.unpack, nullptr);
    const std::vector<std::string> actual = Table(vek);
    const std::vector<std::string> expected = Expected_Table();

    std::ostringstream differences;
    int count = 0;
    for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const std::string a = i < actual.size() ? actual[i] : "(none)";
        const std::string e = i < expected.size() ? expected[i] : "(none)";
        if (a != e && ++count <= 10)
            differences << "\n  table: " << e << "\n  build: " << a;
    }
    if (count > 0) {
        std::ofstream out("raster_hashes.actual");
        out << "# name payload-hash decoded/payloads raster-hash\n";
        for (const std::string& line : actual)
            out << line << "\n";
    }
    EXPECT_EQ(count, 0) << count << " lines differ (this build's table: raster_hashes.actual in the test's directory):"
                        << differences.str();
}

} // namespace
