// SPDX-License-Identifier: Apache-2.0
// Any input, taken as the first bytes of a 1024-byte payload (zeros after),
// must decode or fail without touching dst, and never crash or hang.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "libvek2019.h"

static const size_t PAYLOAD_SIZE = 1024;
static const size_t RASTER_SIZE = 38556;
static const unsigned char GUARD = 0x5C;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static char payload[PAYLOAD_SIZE];
    static char raster[RASTER_SIZE + 16];
    memset(payload, 0, sizeof payload);
    memcpy(payload, data, size < PAYLOAD_SIZE ? size : PAYLOAD_SIZE);
    memset(raster, GUARD, sizeof raster);

    const int result = unpack(payload, raster, 0);
    if (result != 1 && result != 0)
        abort();
    // Past the raster nothing is written; on failure nothing at all.
    const size_t checked = result == 1 ? RASTER_SIZE : 0;
    for (size_t i = checked; i < sizeof raster; ++i)
        if ((unsigned char)raster[i] != GUARD)
            abort();
    return 0;
}
