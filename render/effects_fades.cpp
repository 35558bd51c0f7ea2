// The fades of direction code 12 and the delay between their frames.
#include <cstring>
#include <functional>

#include "platform/Clock.h"
#include "render/effects.h"

namespace velmora::effects {

namespace {

constexpr int FadeSteps = 32; // frames run k = 0..32: 33 frames

std::function<void(int)> fadeHook;

// Frame k of the fade in T: every pixel of the strip that is not black, each of blue, green and
// red scaled by k / 32 (truncated). T's other pixels keep their fill. On 4-byte pixels the
// fourth byte is written 0.
template <int BPP> void scaleInto(Bitmap& t, const Bitmap& strip, int k) {
    for (int y = 0; y < strip.height(); ++y) {
        const std::uint8_t* s = strip.scanLine(y);
        std::uint8_t* d = t.scanLine(y);
        for (int x = 0; x < strip.width(); ++x, s += BPP, d += BPP) {
            if ((s[0] | s[1] | s[2]) == 0) continue;
            d[0] = std::uint8_t((s[0] * k) >> 5);
            d[1] = std::uint8_t((s[1] * k) >> 5);
            d[2] = std::uint8_t((s[2] * k) >> 5);
            if constexpr (BPP == 4) d[3] = 0;
        }
    }
}

void frameInto(Bitmap& t, const Bitmap& strip, int k) {
    if (strip.bytesPerPixel() == 4)
        scaleInto<4>(t, strip, k);
    else
        scaleInto<3>(t, strip, k);
}

// One frame: T scaled to k, copied to the canvas under its copy mode, then the frame delay.
void showFrame(Canvas& canvas, Bitmap& t, const Bitmap& strip, int k, std::int32_t delay, int x,
               int y) {
    frameInto(t, strip, k);
    if (fadeHook) fadeHook(k);
    canvas.draw(x, y, t);
    FadeStepDelay(delay);
}

// T takes the strip's pixel format and size. Both pairs of routines read the strip in its own
// pixel layout, so a strip of the other depth is faded correctly instead of being misread.
Bitmap fadeBitmap(const Bitmap& strip, TColor fill) {
    Bitmap t(strip.width(), strip.height(), strip.pixelFormat());
    t.fill(fill);
    return t;
}

void fadeIn(Canvas& canvas, const Bitmap& strip, std::int32_t delay, int x, int y) {
    Bitmap t = fadeBitmap(strip, platform::clBlack);
    for (int k = 0; k <= FadeSteps; ++k)
        showFrame(canvas, t, strip, k, delay, x, y);
}

void fadeOut(Canvas& canvas, const Bitmap& strip, std::int32_t delay, TColor color, int x, int y) {
    Bitmap t = fadeBitmap(strip, color);
    for (int k = FadeSteps; k >= 0; --k)
        showFrame(canvas, t, strip, k, delay, x, y);
}

// The 24-bit routines work on pixels of at least 24 bits.
void raiseTo24(Bitmap& strip) {
    const auto f = strip.pixelFormat();
    if (f != platform::PixelFormat::Bits24 && f != platform::PixelFormat::Bits32)
        strip.setPixelFormat(platform::PixelFormat::Bits24);
}

} // namespace

void FadeIn24(Canvas& canvas, Bitmap& strip, std::int32_t delay, TColor, int x, int y) {
    raiseTo24(strip);
    fadeIn(canvas, strip, delay, x, y);
}

void FadeOut24(Canvas& canvas, Bitmap& strip, std::int32_t delay, TColor color, int x, int y) {
    raiseTo24(strip);
    fadeOut(canvas, strip, delay, color, x, y);
}

void FadeIn32(Canvas& canvas, Bitmap& strip, std::int32_t delay, TColor, int x, int y) {
    fadeIn(canvas, strip, delay, x, y);
}

void FadeOut32(Canvas& canvas, Bitmap& strip, std::int32_t delay, TColor color, int x, int y) {
    fadeOut(canvas, strip, delay, color, x, y);
}

std::function<void(int)> exchangeFadeHook(std::function<void(int)> hook) {
    std::swap(fadeHook, hook);
    return hook;
}

// n passes of an n-iteration spin, each followed by a tick-count read: n * n iterations.
void FadeStepDelay(std::int32_t count) {
    if (count < 1) return;
    platform::Clock& c = platform::clock();
    for (std::int32_t pass = 0; pass < count; ++pass) {
        c.spin(std::uint64_t(count));
        (void)c.tickCount();
    }
}

} // namespace velmora::effects
