// SPDX-License-Identifier: Apache-2.0
// One card read through the reader library for real readers from the
// emulated reader on a pseudo-terminal paced at 115200 baud: open, find
// card, read card (select and data), close. Reported against the line's own
// time for the bytes the reader sends (10 bits a byte at 115200 baud; the
// host's requests cross the pseudo-terminal at once). Target: at most 5 %
// above the line's time. CPU time per read is the library's own work.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <vector>

#include "data_frame.h"
#include "kvsdecompose.h"

namespace {

constexpr double kBaud = 115200;

struct ReaderLibrary {
    void* handle = dlopen(PELORIN_READER_LIB, RTLD_NOW | RTLD_LOCAL);
    template <typename F>
    F* function(const char* name) { return handle ? reinterpret_cast<F*>(dlsym(handle, name)) : nullptr; }
    decltype(KVS_OpenPort)* open = function<decltype(KVS_OpenPort)>("KVS_OpenPort");
    decltype(KVS_FindIDCard)* find = function<decltype(KVS_FindIDCard)>("KVS_FindIDCard");
    decltype(KVS_ReadIDCard)* read = function<decltype(KVS_ReadIDCard)>("KVS_ReadIDCard");
    decltype(KVS_ClosePort)* close = function<decltype(KVS_ClosePort)>("KVS_ClosePort");
};

void serialRead(benchmark::State& state)
{
    QTemporaryDir dir;
    QFile conf(dir.filePath("readers.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write(("serial " + dir.filePath("reader") + "\n").toUtf8());
    conf.close();
    setenv("PELORIN_READERS", qPrintable(conf.fileName()), 1);
    QProcess emulator;
    emulator.start(PELORIN_EMULATOR, {"--card", PELORIN_CARD, "--link", dir.filePath("reader"),
                                      "--baud", QString::number(kBaud)});
    ReaderLibrary reader;
    if (!emulator.waitForReadyRead(10000) || !reader.open || !reader.find || !reader.read || !reader.close) {
        state.SkipWithError("no emulator or no reader library");
        return;
    }

    auto info = std::make_unique<CardInfoStruct>();
    std::vector<unsigned char> photo(38862), fingerprints(1024);
    unsigned int photoLength = 0, fingerprintLength = 0;
    double readSeconds = 0;
    double fastestRead = 1e9;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (reader.open(KVS_PORT) != KVS_OK || reader.find(KVS_PORT) != KVS_OK ||
            reader.read(KVS_PORT, info.get(), photo.data(), &photoLength, fingerprints.data(),
                        &fingerprintLength, 1) != KVS_OK)
            state.SkipWithError("read failed");
        reader.close(KVS_PORT);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        readSeconds += seconds;
        fastestRead = std::min(fastestRead, seconds);
    }
    // The reader's answers: card found (15), card selected (19), the data frame.
    const double answerBytes = 15 + 19 + cardproto::kFrameNoFingerprints + fingerprintLength;
    const double lineSeconds = answerBytes * 10 / kBaud;
    state.counters["line_ms"] = lineSeconds * 1000;
    const double perRead = readSeconds / double(state.iterations());
    state.counters["read_ms"] = perRead * 1000;
    state.counters["overhead_pct"] = (perRead - lineSeconds) / lineSeconds * 100;
    // The fastest read shows the protocol's own cost; the mean also carries
    // the waits of a busy machine in scheduling the emulator and the reader.
    state.counters["fastest_overhead_pct"] = (fastestRead - lineSeconds) / lineSeconds * 100;
    emulator.terminate();
    emulator.waitForFinished(5000);
}

}  // namespace

BENCHMARK(serialRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK_MAIN();
