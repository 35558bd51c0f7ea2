// Smooth frames: the demo drawn frame by frame without an encoder, against the real time it
// lasts ("x_realtime", at 60 frames a second), and a frame of three moving lines against memcpy of
// the bytes it changes ("x_memcpy"), measured in the same run.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include <chrono>
#include <QTemporaryDir>

#include "export/show_render.h"
#include "player/frame_composer.h"
#include "tools/demo_project.h"

namespace {

using Clock = std::chrono::steady_clock;

velmora::ShowProject demo() {
    static QTemporaryDir dir;
    static const QString file = [] {
        if (!velmora::demo::writeDemo(dir.path() + QLatin1Char('/'))) qFatal("the demo cannot be written");
        return dir.path() + QStringLiteral("/demo.kvt");
    }();
    QString error;
    std::optional<velmora::ShowProject> p = velmora::loadShowProject(file, &error);
    if (!p) qFatal("the demo cannot be read: %s", qPrintable(error));
    p->settings.motion = velmora::Motion::Smooth;
    return *p;
}

void BM_SmoothDemo(benchmark::State& state) {
    const velmora::ShowProject project = demo();
    velmora::ShowRenderOptions o;
    o.width = int(state.range(0));
    o.height = int(state.range(1));
    o.rate = {60, 1};
    double drawn = 0, shown = 0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const velmora::ShowRun run = velmora::renderShow(
            project, o, [](std::int64_t, const velmora::ShowFrame& f) {
                benchmark::DoNotOptimize(f.pixels.bits());
                return true;
            });
        drawn += std::chrono::duration<double>(Clock::now() - t0).count();
        shown += double(run.duration) / 1e9;
        frames += run.frames;
    }
    state.counters["x_realtime"] = shown / drawn;
    state.counters["frames_per_s"] = double(frames) / drawn;
}
BENCHMARK(BM_SmoothDemo)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// Three lines of 900 x 120 pixels moving at 3.3 pixels a frame, one straight across, one down,
// one diagonally, on a 1920 x 1080 frame: the time of a frame against memcpy of the bytes the
// frame changes.
void BM_ThreeMovingLines(benchmark::State& state) {
    platform::Bitmap frame(1920, 1080, platform::PixelFormat::Bits32);
    platform::Bitmap strip(900, 120, platform::PixelFormat::Bits32);
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            if ((x / 9 + y / 11) % 3 == 0) strip.setPixel(x, y, 0xF0E0D0);
    platform::StageView view;
    view.stageWidth = 1920;
    view.stageHeight = 1080;
    velmora::FrameComposer composer({frame.bits(), 1920, 1080, frame.stride(), 4}, view);
    std::array<velmora::FrameComposer::Line, 3> lines;
    for (auto& l : lines) {
        l.picture = {strip.bits(), strip.width(), strip.height(), strip.stride(), 4};
        l.state.visible = true;
    }
    const velmora::Fixed step = velmora::FixedOne * 10 / 3;
    std::int64_t k = 0;
    auto place = [&] {
        const velmora::Fixed d = (k % 200) * step;
        lines[0].state.x = velmora::toFixed(100) + d;
        lines[0].state.y = velmora::toFixed(50);
        lines[1].state.x = velmora::toFixed(900);
        lines[1].state.y = velmora::toFixed(200) + d;
        lines[2].state.x = velmora::toFixed(50) + d;
        lines[2].state.y = velmora::toFixed(500) + d;
        ++k;
    };
    place();
    composer.compose(lines);
    double seconds = 0, bytes = 0;
    for (auto _ : state) {
        place();
        const auto t0 = Clock::now();
        const std::vector<QRect>& changed = composer.compose(lines);
        seconds += std::chrono::duration<double>(Clock::now() - t0).count();
        for (const QRect& r : changed)
            bytes += double(r.width()) * r.height() * 4;
        benchmark::DoNotOptimize(frame.bits());
    }
    const double perFrame = bytes / double(state.iterations());
    state.counters["x_memcpy"] =
        (seconds / double(state.iterations())) / benchsupport::memcpySeconds(std::size_t(perFrame));
    state.counters["changed_MB"] = perFrame / 1e6;
}
BENCHMARK(BM_ThreeMovingLines);

} // namespace

int main(int argc, char** argv) {
    return benchsupport::runBenchmarks(argc, argv);
}
