// SPDX-License-Identifier: Apache-2.0
// A host that reads one card and then crashes, for the crash report test;
// with the argument "own-handler" it has a SIGSEGV handler of its own,
// installed before the read, that ends it with status 42. Before the crash it makes localtime_r block for good, as it would while
// another thread holds glibc's time-zone lock: the report must not need it.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <pelorin/pelorin_api.h>

namespace {
std::atomic<bool> g_timeZoneLockHeld{false};

void hostHandler(int)
{
    _exit(42);
}
}  // namespace

// Interposes the C library's localtime_r for the whole process.
extern "C" struct tm* localtime_r(const time_t* time, struct tm* result)
{
    while (g_timeZoneLockHeld)
        pause();
    using Real = struct tm* (*)(const time_t*, struct tm*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "localtime_r"));
    return real(time, result);
}

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "own-handler") == 0)
        signal(SIGSEGV, hostHandler);
    guiInit();
    ID_TYPE type;
    IDCARD_INFO_ALL_CN cn;
    IDCARD_INFO_ALL_FOREIGN_2017 f2017;
    IDCARD_INFO_ALL_FOREIGN_NEW fnew;
    IDCARD_INFO_ALL_HMT hmt;
    std::string front, back;
    READ_RESULT result = readIDCard(&type, &cn, &f2017, &fnew, &hmt, &front, &back);
    printf("read result %d\n", result);
    fflush(stdout);
    g_timeZoneLockHeld = true;
    raise(SIGSEGV);
    return 0;
}
