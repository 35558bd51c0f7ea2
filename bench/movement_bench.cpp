// Movement costs: a 1000 x 150 strip moving in from the left edge (code 5) across a full-HD
// screen with no step delay, as copies into the framebuffer only (presenting them is measured
// in presentation_bench). Time per step is also given as a multiple of memcpy of
// the strip's bytes ("x_memcpy"), measured in the same run, so figures compare across machines.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "player/movement.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::Bitmap;
using platform::PixelFormat;

constexpr int ScreenW = 1920, ScreenH = 1080;
constexpr int StripW = 1000, StripH = 150;
constexpr int RestX = (ScreenW - StripW) / 2, RestY = (ScreenH - StripH) / 2;
constexpr int Steps = RestX + StripW + 1; // copies from x = -W to x = X

using benchsupport::memcpySeconds;

// A strip of white diagonal strokes inside a black margin, as a rendered line looks.
Bitmap stripPicture() {
    Bitmap b(StripW, StripH, PixelFormat::Bits32);
    for (int y = 4; y < StripH - 4; ++y)
        for (int x = 4; x < StripW - 4; ++x)
            if ((x + y) % 7 < 3) b.setPixel(x, y, 0xFFFFFF);
    return b;
}

// Runs whole move-ins and reports steps per second and time per step against memcpy.
void runMoveIn(benchmark::State& state, platform::Canvas& canvas, Bitmap& strip) {
    velmora::MoveContext ctx;
    ctx.canvas = &canvas;
    ctx.screenWidth = ScreenW;
    ctx.screenHeight = ScreenH;
    ctx.fadedelay = 0;
    ctx.screenBits = 32;
    velmora::Mover mover;
    const double copy = memcpySeconds(std::size_t(strip.stride()) * strip.height());
    double total = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        mover.DrawTheBitMapInDir(ctx, 5, StripW, StripH, RestX, RestY, strip, 1);
        total += std::chrono::duration<double>(Clock::now() - t0).count();
        benchmark::DoNotOptimize(canvas.bitmap().bits());
    }
    const double steps = double(state.iterations()) * Steps;
    state.counters["steps/s"] = benchmark::Counter(steps, benchmark::Counter::kIsRate);
    state.counters["us/step"] = total / steps * 1e6;
    state.counters["x_memcpy"] = (total / steps) / copy;
}

void BM_MoveInCopies(benchmark::State& state) {
    Bitmap screen(ScreenW, ScreenH, PixelFormat::Bits32);
    Bitmap strip = stripPicture();
    platform::Canvas canvas(screen);
    runMoveIn(state, canvas, strip);
}
BENCHMARK(BM_MoveInCopies)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return benchsupport::runBenchmarks(argc, argv);
}
