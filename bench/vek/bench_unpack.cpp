// Time of one unpack of card-like payloads, and heap allocations per decode.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
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

static void Decode(benchmark::State& state, bool gradient)
{
    std::vector<Bytes> payloads;
    for (unsigned seed = 1; seed <= 8; ++seed)
        payloads.push_back(Synthetic_Payload(seed, gradient));
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

static void BM_unpack_flat_background(benchmark::State& state) { Decode(state, false); }
static void BM_unpack_gradient_background(benchmark::State& state) { Decode(state, true); }

BENCHMARK(BM_unpack_flat_background)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_unpack_gradient_background)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
