// SPDX-License-Identifier: Apache-2.0
// Time of one unpack of card-like payloads, and heap allocations per decode.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "SyntheticPayload.h"
#include "libvek2019.h"

// Every heap allocation of the process (operator new ends in malloc too)
// goes through these; the real allocator does the work.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);

static std::atomic<long> g_allocations{0};

extern "C" void* malloc(size_t n)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, n);
}
extern "C" void free(void* p)
{
    __libc_free(p);
}

static void DecodeAll(benchmark::State& state, std::vector<Bytes> payloads)
{
    std::vector<char> raster(38556);
    size_t i = 0;
    long decodes = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        Bytes& p = payloads[i++ % payloads.size()];
        const int r = unpack(reinterpret_cast<char*>(p.data()), raster.data(), 0);
        if (r != 1) {
            state.SkipWithError("unpack failed");
            break;
        }
        benchmark::DoNotOptimize(raster.data());
        ++decodes;
    }
    if (decodes > 0)
        state.counters["allocs_per_decode"] =
            (double)(g_allocations.load() - before) / (double)decodes;
}

// Head-and-shoulders outlines with a mask segment, coefficients filling the card's budget.
static void Synthetic(benchmark::State& state, bool gradient)
{
    std::vector<Bytes> payloads;
    for (unsigned seed = 1; seed <= 8; ++seed)
        payloads.push_back(Synthetic_Payload(seed, gradient));
    DecodeAll(state, payloads);
}

// The sample cards' photos: drawn portraits encoded as whole pictures.
static void CardPhotos(benchmark::State& state)
{
    std::vector<Bytes> payloads;
    for (const char* card : {"cn", "hmt", "fnew", "f2017"}) {
        std::ifstream file(std::string(PELORIN_FIXTURES_DIR "/cards/") + card + "_payload.bin", std::ios::binary);
        payloads.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    DecodeAll(state, payloads);
}

static void BM_unpack_flat_background(benchmark::State& state) { Synthetic(state, false); }
static void BM_unpack_gradient_background(benchmark::State& state) { Synthetic(state, true); }
static void BM_unpack_card_photos(benchmark::State& state) { CardPhotos(state); }

BENCHMARK(BM_unpack_flat_background)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_unpack_gradient_background)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_unpack_card_photos)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
