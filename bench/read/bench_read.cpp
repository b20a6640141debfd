// SPDX-License-Identifier: Apache-2.0
// One whole readIDCard against the simulated reader answering at once, with
// a compressed photo and both faces, and its parts: the photo decode and
// each face. What the parts do not explain is the rest (reader calls, text
// conversion, copies, the worker hand-off). Target: a median of at most
// 100 ms for the whole read.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <vector>

#include "libvek2019.h"
#include "read_arguments.h"
#include <pelorin/makecardimg.h>
#include <pelorin/pelorin_api.h>

namespace {

const char* kCard = PELORIN_FIXTURES_DIR "/cards/cn_payload.json";
const char* kPayload = PELORIN_FIXTURES_DIR "/cards/cn_payload.bin";

void wholeRead(benchmark::State& state)
{
    setenv("KVSSIM_CARD", kCard, 1);
    for (auto _ : state) {
        ReadArguments read;
        if (read.read() != READ_OK || read.front.empty() || read.back.empty())
            state.SkipWithError("read failed");
    }
}

void photoDecode(benchmark::State& state)
{
    QFile file(kPayload);
    file.open(QIODevice::ReadOnly);
    QByteArray payload = file.readAll();
    std::vector<char> raster(38862);
    for (auto _ : state) {
        if (unpack(payload.data(), raster.data(), 106) != 1)
            state.SkipWithError("decode failed");
    }
}

// The record as the read fills it, for the face parts.
std::unique_ptr<IDCARD_INFO_ALL_CN> readRecord()
{
    setenv("KVSSIM_CARD", kCard, 1);
    ReadArguments read;
    read.read();
    return std::move(read.cn);
}

void face(benchmark::State& state, QString (*compose)(IDCARD_INFO_ALL_CN*))
{
    auto record = readRecord();
    for (auto _ : state) {
        QString text = compose(record.get());
        benchmark::DoNotOptimize(text.constData());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    guiInit();
    for (auto [name, fn] : {std::pair<const char*, void (*)(benchmark::State&)>{"read_whole", wholeRead},
                            {"read_part_photo_decode", photoDecode},
                            {"read_part_front_face",
                             [](benchmark::State& s) { face(s, MakeCardImg::makeIDCardCNFrontBase64); }},
                            {"read_part_back_face",
                             [](benchmark::State& s) { face(s, MakeCardImg::makeIDCardCNBackBase64); }}})
        benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    guiUninit();
    return 0;
}
