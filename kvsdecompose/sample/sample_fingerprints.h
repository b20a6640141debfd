// Stand-in fingerprint feature data: deterministic pseudo-random bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace kvssample {

constexpr int kFingerprintBytes = 1024;

// The first `count` bytes of the stream for `seed`; shorter blocks of one
// seed are prefixes of longer ones.
std::vector<uint8_t> fingerprintBytes(uint32_t seed, int count);

}  // namespace kvssample
