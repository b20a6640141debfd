// SPDX-License-Identifier: Apache-2.0
// The C interface's calls that wait are no cancellation points.
#pragma once

#include <pthread.h>

// Runs call (which must not throw) with the calling thread's cancellation
// disabled. A host thread cancelled meanwhile would otherwise unwind through
// the library's waits, and the library's other threads would go on using
// what lives on its stack; instead the request waits for the call to return
// and takes effect at the thread's next cancellation point. Given back here,
// in this frame and not in a destructor: a thread of asynchronous
// cancellation may act on the request at that very moment.
template <typename Call>
int withoutCancellation(Call call)
{
    int hostState = PTHREAD_CANCEL_ENABLE;
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &hostState);
    const int result = call();
    pthread_setcancelstate(hostState, nullptr);
    return result;
}
