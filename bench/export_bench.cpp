// The video export on the demo project at 1920 x 1080, 30 frames a second: frames generated
// (the show played and each frame handed over, no encoder) and an H.264 file written. Counters:
// frames a second, the ratio to real time (seconds of show per second of work), and one frame's
// time against a memcpy of one frame.
#include <QDir>
#include <QTemporaryDir>

#include "bench_support.h"
#include "export/exporter.h"
#include "tools/demo_project.h"

namespace {

struct Demo {
    QTemporaryDir dir;
    QString project;
    Demo() {
        velmora::demo::writeDemo(dir.path() + QLatin1Char('/'));
        project = dir.filePath(QStringLiteral("demo.kvt"));
    }
};

Demo& demo() {
    static Demo d;
    return d;
}

velmora::ShowRenderOptions fullHd() {
    velmora::ShowRenderOptions o;
    o.width = 1920;
    o.height = 1080;
    o.rate = {30, 1};
    return o;
}

void report(benchmark::State& state, std::int64_t frames, double showSeconds, double workSeconds) {
    const double perFrame = workSeconds / double(frames);
    state.counters["fps"] = double(frames) / workSeconds;
    state.counters["x_realtime"] = showSeconds / workSeconds;
    state.counters["frame_vs_memcpy"] = perFrame / benchsupport::memcpySeconds(1920u * 1080u * 4u);
    state.counters["frames"] = double(frames);
}

void BM_ExportFramesRaw(benchmark::State& state) {
    const std::optional<velmora::ShowProject> project =
        velmora::loadShowProject(demo().project, nullptr);
    std::int64_t frames = 0;
    double show = 0, work = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const velmora::ShowRun run = velmora::renderShow(
            *project, fullHd(), [](std::int64_t, const platform::Bitmap& frame, bool) {
                benchmark::DoNotOptimize(frame.scanLine(540)[960]);
                return true;
            });
        work += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        frames += run.frames;
        show += double(run.duration) / 1e9;
    }
    report(state, frames, show, work);
}
BENCHMARK(BM_ExportFramesRaw)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportH264(benchmark::State& state) {
    velmora::ExportOptions o;
    o.project = demo().project;
    o.output = demo().dir.filePath(QStringLiteral("bench.mp4"));
    o.format = velmora::VideoFormat::Mp4;
    o.show = fullHd();
    std::int64_t frames = 0;
    double show = 0, work = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const velmora::ExportResult r = velmora::exportShow(o);
        work += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!r.ok) {
            state.SkipWithError(qPrintable(r.error));
            return;
        }
        frames += r.run.frames;
        show += double(r.run.duration) / 1e9;
    }
    report(state, frames, show, work);
}
BENCHMARK(BM_ExportH264)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    return benchsupport::runBenchmarks(argc, argv);
}
