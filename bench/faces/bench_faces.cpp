// SPDX-License-Identifier: Apache-2.0
// Time to compose each card face: template load, drawing, JPEG encoding and
// base64. Target: a median of at most 15 ms per face. Run it on a display
// (tests/pelorin_lib/faces/with_xvfb.sh gives a 96 dpi one); without one it uses the
// offscreen platform.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <pelorin/makecardimg.h>
#include "sample_cards.h"

namespace {

template <typename Record, typename Compose>
void composeFace(benchmark::State& state, std::unique_ptr<Record> (*makeRecord)(), Compose compose)
{
    auto record = makeRecord();
    for (auto _ : state) {
        const QString face = compose(record.get());
        if (face.isEmpty())
            state.SkipWithError("empty face");
        benchmark::DoNotOptimize(face.constData());
    }
}

void registerFaces()
{
    auto add = [](const char* name, auto fn) {
        benchmark::RegisterBenchmark(name, fn)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    };
    add("cn_front", [](benchmark::State& s) {
        composeFace(s, SampleCards::resident, MakeCardImg::makeIDCardCNFrontBase64);
    });
    add("cn_back", [](benchmark::State& s) {
        composeFace(s, SampleCards::resident, MakeCardImg::makeIDCardCNBackBase64);
    });
    add("hmt_front", [](benchmark::State& s) {
        composeFace(s, SampleCards::hongKongPermit, MakeCardImg::makeIDCardHmtFrontBase64);
    });
    add("hmt_back", [](benchmark::State& s) {
        composeFace(s, SampleCards::hongKongPermit, MakeCardImg::makeIDCardHmtBackBase64);
    });
    add("fnew_front", [](benchmark::State& s) {
        composeFace(s, SampleCards::foreignerNew, MakeCardImg::makeIDCardFNewFrontBase64);
    });
    add("fnew_back", [](benchmark::State& s) {
        composeFace(s, SampleCards::foreignerNew, MakeCardImg::makeIDCardFNewBackBase64);
    });
    add("f2017_front", [](benchmark::State& s) {
        composeFace(s, SampleCards::foreigner2017, MakeCardImg::makeIDCardF2017FrontBase64);
    });
    add("f2017_back", [](benchmark::State& s) {
        composeFace(s, SampleCards::foreigner2017, MakeCardImg::makeIDCardF2017BackBase64);
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerFaces();
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
