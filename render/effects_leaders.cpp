// The show's leaders (colour bars, count down) and the timed wait behind every pause.
#include <algorithm>
#include <QString>

#include "platform/Clock.h"
#include "platform/Pump.h"
#include "render/effects.h"

namespace velmora::effects {

namespace {

std::function<void()> invalidateHook;

void invalidate() {
    if (invalidateHook) invalidateHook();
}

constexpr TColor BarColors[7] = {0xFFFFFF, 0x00FFFF, 0xFFFF00, 0x00FF00,
                                 0xFF00FF, 0xFF0000, 0x0000FF};
constexpr TColor BoxColors[7] = {0x000080, 0x008000, 0x008080, 0x800000,
                                 0x800080, 0x808000, 0x808080};
constexpr TColor BoxSilver = 0xC0C0C0;
constexpr int BandHeight = 32;

// Every rectangle is outlined by the canvas's current pen.
void box(Canvas& canvas, TColor color, int left, int top, int right, int bottom) {
    canvas.brush.color = color;
    canvas.rectangle(left, top, right, bottom);
}

// The eighth column: seven dark boxes, then a silver one cross-hatched in black.
void drawBoxColumn(Canvas& canvas, int w, int h, int sh) {
    const int left = 7 * w, right = 8 * w;
    for (int j = 0; j < 7; ++j)
        box(canvas, BoxColors[j], left, j * h, right, (j + 1) * h);
    box(canvas, BoxSilver, left, 7 * h, right, sh);
    canvas.brush.style = platform::BrushStyle::Cross;
    box(canvas, platform::clBlack, left, 7 * h, right, sh);
    canvas.brush.style = platform::BrushStyle::Solid;
}

// Rectangle i spans 16 * i to (SW div 16) * i; each later, brighter one covers the earlier ones
// from 16 * i on, which leaves 16-pixel steps over the left half and white over the right.
void drawGreyRamp(Canvas& canvas, int sw, int sh) {
    const int steps = sw / 32;
    if (steps == 0) return; // a screen narrower than 32 pixels has no ramp
    for (int i = 0; i <= steps; ++i) {
        const auto g = std::uint8_t((i * 255) / steps);
        canvas.pen.color = platform::rgb(g, g, g);
        box(canvas, platform::rgb(g, g, g), 16 * i, sh - BandHeight, (sw / 16) * i, sh);
    }
}

} // namespace

void setInvalidateHook(std::function<void()> hook) {
    invalidateHook = std::move(hook);
}

std::function<void()> exchangeInvalidateHook(std::function<void()> hook) {
    std::swap(invalidateHook, hook);
    return hook;
}

void DrawColorBars(Canvas& canvas) {
    const int sw = canvas.stageWidth(), sh = canvas.stageHeight();
    const int w = sw / 8, h = sh / 10;
    // The bars are solid fills whatever style the window's brush was left in.
    canvas.brush.style = platform::BrushStyle::Solid;
    for (int k = 0; k < 7; ++k)
        box(canvas, BarColors[k], k * w, 0, (k + 1) * w, sh);
    drawBoxColumn(canvas, w, h, sh);
    box(canvas, platform::clBlack, 0, sh - BandHeight, sw, sh);
    drawGreyRamp(canvas, sw, sh);
}

void ShowColorBars(Canvas& canvas, std::int32_t holdSeconds) {
    platform::pump();
    DrawColorBars(canvas);
    WaitSeconds(holdSeconds);
    invalidate();
    platform::pump();
    WaitSeconds(1);
}

namespace {

void setCountDownFont(Canvas& canvas) {
    canvas.brush.color = platform::clBlack;
    canvas.brush.style = platform::BrushStyle::Solid; // the numbers are drawn opaque
    canvas.font.name = QStringLiteral("Arial");
    canvas.font.color = platform::clWhite;
    canvas.font.size = canvas.stageWidth() / 3;
}

void drawCountDownNumber(Canvas& canvas, int n) {
    const QString number = QString::number(n);
    const QString text = QLatin1Char(' ') + number + QLatin1Char(' ');
    const int x = canvas.stageWidth() / 2 - canvas.textWidth(text) / 2;
    const int y = canvas.stageHeight() / 2 - canvas.textHeight(number) / 2;
    canvas.textOut(x, y, text);
}

} // namespace

void DrawCountDown(Canvas& canvas, int downTo) {
    setCountDownFont(canvas);
    for (int n = 10; n >= std::max(downTo, 1); --n)
        drawCountDownNumber(canvas, n);
}

void ShowCountDown(Canvas& canvas) {
    setCountDownFont(canvas);
    invalidate();
    platform::pump();
    for (int n = 10; n >= 1; --n) {
        drawCountDownNumber(canvas, n);
        WaitSeconds(1);
    }
    WaitSeconds(1);
    invalidate();
    WaitSeconds(1);
    platform::pump();
}

// The end is T + 1000 * s on the 32-bit tick count, which wraps about every 49.7 days. The test
// "is the end later than T" and the check of each slice compare in the tick count's circular
// order (the sign of the 32-bit difference), so a wait that runs across the wrap lasts its full
// length instead of being skipped or never ending. A wait of 0 seconds or less does not wait.
// The wait sleeps in slices of at most 10 ms, letting the screen repaint in between; keys and
// clicks wait for the pump at its end.
void WaitSeconds(std::int32_t seconds) {
    platform::Clock& c = platform::clock();
    const std::uint32_t start = c.tickCount();
    platform::pump();
    const std::uint32_t end = start + 1000u * std::uint32_t(seconds);
    if (std::int32_t(end - start) > 0)
        for (;;) {
            const std::int32_t left = std::int32_t(end - c.tickCount());
            if (left <= 0) break;
            c.sleepFor(std::uint64_t(std::min(left, 10)) * 1000000u);
            platform::paintOnly();
        }
    platform::pump();
}

} // namespace velmora::effects
