// SPDX-License-Identifier: Apache-2.0
#include "sample_fingerprints.h"

namespace kvssample {

std::vector<uint8_t> fingerprintBytes(uint32_t seed, int count)
{
    // xorshift32: small, fixed, and the same on every machine.
    uint32_t state = seed ? seed : 0x9E3779B9u;
    std::vector<uint8_t> bytes(count > 0 ? count : 0);
    for (uint8_t& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

}  // namespace kvssample
