// SPDX-License-Identifier: Apache-2.0
// The payloads a decoder is checked on besides those read from files:
// synthetic card photos, encoded pictures, and byte flips of all of them.
// Every machine and build makes the same ones in the same order, so decoders
// can be compared across builds and processors.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "PayloadBuilder.h"

struct NamedPayload {
    std::string name;
    Bytes bytes;  // the 1024 bytes that unpack reads
};

// The file at path, or every file of the directory at path in name order;
// each named by its path.
std::vector<NamedPayload> Read_Payloads(const std::string& path);

class PayloadCorpus {
public:
    // files: payloads to flip bytes of along with the generated ones.
    explicit PayloadCorpus(std::vector<NamedPayload> files);

    // The files, then 40 synthetic payloads and 60 encoded pictures.
    const std::vector<NamedPayload>& Seeds() const { return seeds_; }

    // The next of an endless series: 1 to 8 bytes of a seed flipped.
    NamedPayload Next_Mutation();

private:
    std::mt19937 rng_;
    std::vector<NamedPayload> seeds_;
    long mutations_ = 0;
};
