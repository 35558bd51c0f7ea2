// Rendering costs: one title line, the blur on a full-width strip, and strip copies onto a
// full-HD screen. Times that move bytes are also given as a multiple of memcpy of the same bytes
// ("x_memcpy"), measured in the same run, so figures compare across machines.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include <chrono>
#include <cstring>
#include <vector>

#include "model/page_record.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "player/strip.h"
#include "render/effects.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::Bitmap;
using platform::PixelFormat;

using benchsupport::memcpySeconds;

// Runs `work` once per iteration and reports its time against memcpy of `bytes`.
template <class F> void measureAgainstMemcpy(benchmark::State& state, std::size_t bytes, F&& work) {
    const double copy = memcpySeconds(bytes);
    double total = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        work();
        total += std::chrono::duration<double>(Clock::now() - t0).count();
    }
    state.counters["x_memcpy"] = (total / double(state.iterations())) / copy;
}

// A strip of white diagonal text-like strokes on black, as the blur sees a rendered line.
Bitmap stripPicture(int w, int h, PixelFormat format) {
    Bitmap b(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x + y) % 7 < 3) b.setPixel(x, y, 0xFFFFFF);
    return b;
}

void BM_RenderLine32(benchmark::State& state) {
    velmora::TitleLine line;
    line.FontName = QStringLiteral("Arial");
    line.FontSize = 40;
    line.FontColor = 0x00FFFF;
    line.ShadowOn = true;
    line.ShadowColor = 0x404040;
    line.BlurOn = true;
    line.GradientOn = true;
    line.GradientStartColor = 0xFF0000;
    velmora::StripInput in;
    in.text = QStringLiteral("Velmora Pro renders forty characters ok!");
    in.line = &line;
    in.stripFormat = PixelFormat::Bits32;
    for (auto _ : state) {
        velmora::Strip strip(PixelFormat::Bits32);
        benchmark::DoNotOptimize(velmora::renderTitleStrip(strip, in));
    }
}
BENCHMARK(BM_RenderLine32)->Unit(benchmark::kMillisecond);

void BM_Blur32(benchmark::State& state) {
    const Bitmap original = stripPicture(1920, 200, PixelFormat::Bits32);
    Bitmap work = original;
    measureAgainstMemcpy(state, std::size_t(original.stride()) * original.height(),
                         [&] { effects::BlurBitmap32(work); });
    state.counters["pixels/s"] =
        benchmark::Counter(1920.0 * 200, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Blur32)->Unit(benchmark::kMicrosecond);

void BM_Blur24(benchmark::State& state) {
    const Bitmap original = stripPicture(1920, 200, PixelFormat::Bits24);
    Bitmap work = original;
    measureAgainstMemcpy(state, std::size_t(original.stride()) * original.height(),
                         [&] { effects::BlurBitmap24(work); });
    state.counters["pixels/s"] =
        benchmark::Counter(1920.0 * 200, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Blur24)->Unit(benchmark::kMicrosecond);

void copyStrip(benchmark::State& state, platform::CopyMode mode) {
    Bitmap screen(1920, 1080, PixelFormat::Bits32);
    const Bitmap strip = stripPicture(1000, 150, PixelFormat::Bits32);
    platform::Canvas canvas(screen);
    canvas.copyMode = mode;
    measureAgainstMemcpy(state, std::size_t(strip.stride()) * strip.height(),
                         [&] { canvas.draw(460, 465, strip); });
}

void BM_CopySrcCopy32(benchmark::State& state) {
    copyStrip(state, platform::CopyMode::SrcCopy);
}
BENCHMARK(BM_CopySrcCopy32)->Unit(benchmark::kMicrosecond);

void BM_CopySrcInvert32(benchmark::State& state) {
    copyStrip(state, platform::CopyMode::SrcInvert);
}
BENCHMARK(BM_CopySrcInvert32)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return benchsupport::runBenchmarks(argc, argv);
}
