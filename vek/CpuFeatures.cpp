// SPDX-License-Identifier: Apache-2.0
#include "CpuFeatures.h"

// Asked while the library is loaded, perhaps before the compiler's own
// processor probe has run: it is run here first.
bool Has_Avx()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
#else
    return false;  // an x86 extension
#endif
}
