// SPDX-License-Identifier: Apache-2.0
#include "libvek2019.h"

#include <mutex>

#include "DoPass.h"
#include "MaskMemo.h"
#include "MemManage.h"
#include "Vek.h"

static int s_Test = 0;

// The decoder works in process-wide buffers; one decode at a time.
static std::mutex s_decodeLock;

// What decodes keep for the next one goes when the library is unloaded (a
// host may dlclose it): the kept mask and flags first, as they free into the
// kept planes. A decode still under way keeps it all: a worker left behind
// at exit, or one that ran in the parent when this process was forked (its
// locks stay taken here for ever).
static struct KeptStateRelease {
    ~KeptStateRelease()
    {
        std::unique_lock<std::mutex> idle(s_decodeLock, std::try_to_lock);
        if (!idle.owns_lock())
            return;
        Forget_Mask();
        Term_Tree_Flags();
        Free_Kept_Planes();
    }
} s_keptStateRelease;

int libvek2019Test()
{
    return ++s_Test;
}

int unpack(char* src, char* dst, int)
{
    if (!src || !dst)
        return 0;
    std::lock_guard<std::mutex> hold(s_decodeLock);
    Load_Payload(src);
    MemIndex = 0;
    return RdDpDpRd(0, dst);
}
