// SPDX-License-Identifier: Apache-2.0
// Soak test: many reads in one process through readIDCard against the
// simulated reader (compressed photo, both faces), reporting what grows.
// Targets: resident memory grows by at most 1 MB between read 100 and the
// last read, the open file descriptors stay constant, and the median time of
// the last 1,000 reads stays within 10 % of the first 1,000.
// Usage: soak_read [READS]   (default 10000); exit status 1 when a target is missed.
// Every read flushes a few log lines to disk beside the library, so on a machine
// whose disk is busy with other work the medians follow that disk. To measure
// the library alone, run a copy from memory:
//   mkdir /dev/shm/soak && cp -a build/bin/lib*.so* build/bin/soak_read /dev/shm/soak/
//   /dev/shm/soak/soak_read
#include <QDir>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <pelorin/pelorin_api.h>

#include "read_arguments.h"

namespace {

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

long openDescriptors()
{
    return static_cast<long>(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

double medianMs(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2), times.end());
    return times[times.size() / 2];
}

// The library prints progress on standard output and the composer through
// Qt's logger for every read: keep the report readable.
FILE* quietenLibraryOutput()
{
    FILE* report = fdopen(dup(STDOUT_FILENO), "w");
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    close(devNull);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return report;
}

struct Snapshot {
    long reads, rssKiB, fds;
};

}  // namespace

int main(int argc, char** argv)
{
    const long reads = argc > 1 ? std::max(2000L, std::atol(argv[1])) : 10000;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KVSSIM_CARD", PELORIN_FIXTURES_DIR "/cards/cn_payload.json", 1);
    guiInit();
    FILE* report = quietenLibraryOutput();

    ReadArguments read;

    std::vector<double> times;
    times.reserve(static_cast<size_t>(reads));
    std::vector<Snapshot> snapshots;
    for (long i = 1; i <= reads; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const READ_RESULT result = read.read();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (result != READ_OK || read.front.empty() || read.back.empty()) {
            std::fprintf(stderr, "read %ld failed: %d\n", i, result);
            return 2;
        }
        if (i == 100 || i == reads)
            snapshots.push_back({i, residentKiB(), openDescriptors()});
    }
    guiUninit();

    const Snapshot& warm = snapshots.front();
    const Snapshot& last = snapshots.back();
    const double firstMedian = medianMs({times.begin(), times.begin() + 1000});
    const double lastMedian = medianMs({times.end() - 1000, times.end()});
    const long growth = last.rssKiB - warm.rssKiB;
    const double drift = (lastMedian - firstMedian) / firstMedian * 100.0;
    std::fprintf(report, "reads                      %ld\n", reads);
    std::fprintf(report, "resident memory            %ld KiB after %ld reads, %ld KiB after %ld (%+ld KiB)\n",
                warm.rssKiB, warm.reads, last.rssKiB, last.reads, growth);
    std::fprintf(report, "open file descriptors      %ld after %ld reads, %ld after %ld\n", warm.fds, warm.reads,
                last.fds, last.reads);
    std::fprintf(report, "median read                %.2f ms (first 1000), %.2f ms (last 1000), %+.1f %%\n",
                firstMedian, lastMedian, drift);
    const bool met = growth <= 1024 && last.fds == warm.fds && drift <= 10.0;
    std::fprintf(report, "targets                    %s\n", met ? "met" : "MISSED");
    std::fflush(report);
    return met ? 0 : 1;
}
