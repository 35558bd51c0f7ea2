// Presenting a show: a 1000 x 150 strip crossing a 1920 x 1080 screen from the left (code 5)
// through the show clock onto a shown window, at "Movement" 0 and 3000. Reported: frames
// presented per second, the largest gap between two presented frames (in display frames), and
// the move's length against its nominal length (the steps' delays at one microsecond a unit).
// Run it on a real display (QT_QPA_PLATFORM=xcb under Xvfb, 1920x1080).
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <algorithm>
#include <chrono>
#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "player/movement.h"
#include "player/show_clock.h"

namespace {

using platform::Bitmap;
using platform::PixelFormat;

constexpr int ScreenW = 1920, ScreenH = 1080;
constexpr int StripW = 1000, StripH = 150;
constexpr int RestX = (ScreenW - StripW) / 2, RestY = (ScreenH - StripH) / 2;
constexpr int Steps = RestX + StripW + 1;

// The playback window as the benchmark needs it: shows the framebuffer's changed part.
class FrameWidget : public QWidget, public velmora::FrameTarget {
public:
    explicit FrameWidget(Bitmap& frame) : image_(frame.wrap()) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(0, 0, ScreenW, ScreenH);
    }
    bool hasChanges() const override { return !dirty.isEmpty(); }
    void present() override {
        repaint(dirty);
        dirty = QRect();
        QGuiApplication::sync();
        presents.push_back(std::chrono::steady_clock::now());
    }
    void waitEvents() override {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

    QRect dirty;
    std::vector<std::chrono::steady_clock::time_point> presents;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.drawImage(event->rect(), image_, event->rect());
    }

private:
    QImage image_;
};

void BM_PresentMoveIn(benchmark::State& state) {
    const int fadedelay = int(state.range(0));
    Bitmap screen(ScreenW, ScreenH, PixelFormat::Bits32);
    Bitmap strip(StripW, StripH, PixelFormat::Bits32);
    strip.fill(0xFFFFFF);
    platform::Canvas canvas(screen);
    FrameWidget widget(screen);
    widget.show();
    for (int i = 0; i < 50 && !widget.windowHandle()->isExposed(); ++i)
        QCoreApplication::processEvents();
    canvas.setPresenter([&](const QRect& r) { widget.dirty |= r; });
    const double hz = widget.screen() && widget.screen()->refreshRate() >= 10
                          ? widget.screen()->refreshRate()
                          : 60.0;
    const auto period = std::uint64_t(1e9 / hz);

    velmora::MoveContext ctx;
    ctx.canvas = &canvas;
    ctx.screenWidth = ScreenW;
    ctx.screenHeight = ScreenH;
    ctx.fadedelay = fadedelay;
    ctx.screenBits = 32;
    double moveSeconds = 0, maxGapFrames = 0;
    std::size_t frames = 0;
    for (auto _ : state) {
        widget.presents.clear();
        const auto t0 = std::chrono::steady_clock::now();
        velmora::ShowClock show(platform::clock(), widget, period);
        {
            const velmora::ClockScope scope(show);
            velmora::Mover().DrawTheBitMapInDir(ctx, 5, StripW, StripH, RestX, RestY, strip, 1);
            show.flush();
        }
        moveSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        frames += widget.presents.size();
        for (std::size_t i = 1; i < widget.presents.size(); ++i)
            maxGapFrames = std::max(
                maxGapFrames,
                std::chrono::duration<double>(widget.presents[i] - widget.presents[i - 1]).count() *
                    hz);
    }
    const double n = double(state.iterations());
    state.counters["frames/s"] = double(frames) / moveSeconds;
    state.counters["max_gap_frames"] = maxGapFrames;
    const double nominal = double(Steps) * fadedelay * 1e-6; // one unit a microsecond
    state.counters["move_s"] = moveSeconds / n;
    if (nominal > 0) state.counters["x_nominal"] = moveSeconds / n / nominal;
    state.counters["display_hz"] = hz;
}
BENCHMARK(BM_PresentMoveIn)->Arg(0)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return benchsupport::runBenchmarks<QApplication>(argc, argv);
}
