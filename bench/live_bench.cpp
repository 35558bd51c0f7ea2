// The live show: the demo's pages taken one after another every three seconds on a 1920 x 1080
// show at 60 Hz, driven by a clock that never waits. "x_realtime" is the show's time over the
// time its frames took to draw; "take_in_period" is how much of one refresh period a take costs
// (its strips made and its frame drawn again), at most and on average, measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <QTemporaryDir>

#include "bench/bench_support.h"
#include "live/rundown.h"
#include "live/live_show.h"
#include "live/on_air.h"
#include "model/show_project.h"
#include "tools/demo_project.h"

namespace {

using Steady = std::chrono::steady_clock;

velmora::ShowProject demo() {
    static QTemporaryDir dir;
    static const QString file = [] {
        if (!velmora::demo::writeDemo(dir.path() + QLatin1Char('/'))) qFatal("the demo cannot be written");
        return dir.path() + QStringLiteral("/demo.kvt");
    }();
    QString error;
    std::optional<velmora::ShowProject> p = velmora::loadShowProject(file, &error);
    if (!p) qFatal("the demo cannot be read: %s", qPrintable(error));
    return *p;
}

void BM_LiveTakes(benchmark::State& state) {
    const velmora::ShowProject project = demo();
    constexpr std::uint64_t Period = 16666666;
    const int w = int(state.range(0)), h = int(state.range(1));
    platform::Bitmap frame(w, h, platform::PixelFormat::Bits32);
    const platform::StageView view =
        platform::StageView::fit(project.settings.StageWidth, project.settings.StageHeight, w, h);
    double drawn = 0, shown = 0, takeMax = 0, takeSum = 0;
    int takes = 0;
    for (auto _ : state) {
        velmora::live::SilentControl silent;
        platform::ManualClock clock;
        velmora::live::OnAir air(project.pageNames, project.pages, {}, view, silent);
        velmora::live::LiveShow show(air, frame, view, Period, clock, [](const QRect& r) {
            benchmark::DoNotOptimize(r);
        });
        const auto t0 = Steady::now();
        show.start();
        // 30 seconds: a take every three, half way between two refreshes.
        for (int k = 1; k <= 30 * 60; ++k) {
            if (k % 180 == 90) {
                clock.now += Period / 2;
                if (air.cued() < 0) air.cue(0);
                const auto s = Steady::now();
                show.take();
                const double took = std::chrono::duration<double>(Steady::now() - s).count();
                takeMax = std::max(takeMax, took);
                takeSum += took;
                ++takes;
                clock.now += Period - Period / 2;
            } else {
                clock.now += Period;
            }
            show.wake();
        }
        drawn += std::chrono::duration<double>(Steady::now() - t0).count();
        shown += 30.0;
    }
    state.counters["x_realtime"] = shown / drawn;
    state.counters["take_in_period_max"] = takeMax / (double(Period) / 1e9);
    state.counters["take_in_period_mean"] = takeSum / takes / (double(Period) / 1e9);
}
BENCHMARK(BM_LiveTakes)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return benchsupport::runBenchmarks(argc, argv);
}
