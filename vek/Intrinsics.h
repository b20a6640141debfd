// SPDX-License-Identifier: Apache-2.0
// The decoder's vector code is written with x86's SSE2 and AVX intrinsics.
// On other processors SIMDe provides the same operations with the same
// results, bit for bit, from the processor's own vector unit (NEON on arm64).
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
// The AVX forms are chosen at run time (Has_Avx), so only they may use it.
#define VEK_TARGET_AVX [[gnu::target("avx")]]
#else
#define SIMDE_ENABLE_NATIVE_ALIASES
#include <simde/x86/avx.h>

#include <cmath>
#include <cstdint>

#define VEK_TARGET_AVX
// Clears x86's upper register halves against a transition penalty: nothing to do here.
inline void _mm256_zeroupper() {}

// x86 truncates and gives INT32_MIN only where the truncated value does not
// fit an int, or is no number. SIMDe 0.7 also gives it for 2147483647.0 and
// above, which coefficients clamped to the int range reach.
inline __m128i Vek_Cvttpd_Epi32(__m128d a)
{
    double in[2];
    _mm_storeu_pd(in, a);
    int32_t out[4] = {};
    for (int k = 0; k < 2; ++k) {
        const double t = std::trunc(in[k]);
        out[k] = t >= -2147483648.0 && t <= 2147483647.0 ? static_cast<int32_t>(t) : INT32_MIN;
    }
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(out));
}
#undef _mm_cvttpd_epi32
#define _mm_cvttpd_epi32 Vek_Cvttpd_Epi32
#endif
