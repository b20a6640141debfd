// SPDX-License-Identifier: Apache-2.0
// Stand-in fingerprint feature data: deterministic pseudo-random bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace kvssample {

constexpr int kFingerprintBytes = 1024;

// Seed of the fingerprint files of the sample resident card fixtures.
constexpr uint32_t kFixtureFingerprintSeed = 0x434e4650;  // "CNFP"

// The first `count` bytes of the stream for `seed`; shorter blocks of one
// seed are prefixes of longer ones.
std::vector<uint8_t> fingerprintBytes(uint32_t seed, int count);

}  // namespace kvssample
