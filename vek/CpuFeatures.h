// SPDX-License-Identifier: Apache-2.0
// What the processor offers beyond x86-64's SSE2, for the decoder's vector paths.
#pragma once

// Whether the processor has AVX. Safe to ask while the library is loading.
bool Has_Avx();
