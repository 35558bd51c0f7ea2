#pragma once
#include <cstdint>
#include <functional>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Color.h"
#include "render/Dynarray.h"

// Plain routines of the renderer and the player: colour conversions, the vertical gradient,
// the blur, the fades, the leaders and the timed waits.
namespace velmora::effects {

using platform::Bitmap;
using platform::Canvas;
using platform::TColor;

// Blue, green, red, in scanline order.
using TByteTriple = Dynarray::TByteTriple;

// The 5 x 5 blur weights; only the centre 3 x 3 is used, with the divisor 6.
extern const std::int32_t BlurKernel[5][5];

void ColorToTriple(TColor color, TByteTriple& triple);
std::uint32_t ColorToQuad(TColor color);    // read as an integer: 0x00RRGGBB
TColor TripleToColor(std::uint32_t packed); // byte 0 in the low byte; result carries 0x02
TColor QuadToColor(std::uint32_t quad);

Bitmap& GradientFill24(Bitmap& bitmap, TColor topColor, TColor bottomColor);
Bitmap& GradientFill32(Bitmap& bitmap, TColor topColor, TColor bottomColor);
Bitmap& BlurBitmap24(Bitmap& bitmap);
Bitmap& BlurBitmap32(Bitmap& bitmap);

// Fades: 33 frames of the strip at k/32 of its brightness, copied to (x, y) under the canvas's
// copy mode, FadeStepDelay(delay) after each.
void FadeIn24(Canvas& canvas, Bitmap& strip, std::int32_t delay, TColor color, int x, int y);
void FadeOut24(Canvas& canvas, Bitmap& strip, std::int32_t delay, TColor color, int x, int y);
void FadeIn32(Canvas& canvas, Bitmap& strip, std::int32_t delay, TColor color, int x, int y);
void FadeOut32(Canvas& canvas, Bitmap& strip, std::int32_t delay, TColor color, int x, int y);
void FadeStepDelay(std::int32_t count);
// Each fade frame's strength, k of 32, is told to the hook just before the frame is copied (the
// video export fades the coverage of what it draws by as much); an empty function removes it.
// Puts in a hook and returns the one it replaces.
std::function<void(int)> exchangeFadeHook(std::function<void(int)> hook);

// Leaders. Where they invalidate the playback window (it is cleared to black when messages are
// next processed) they call the hook that the playback window installs; an empty function
// removes it.
void setInvalidateHook(std::function<void()> hook);
// Puts in a hook and returns the one it replaces.
std::function<void()> exchangeInvalidateHook(std::function<void()> hook);
void ShowColorBars(Canvas& canvas, std::int32_t holdSeconds);
// What the leaders show, without their waits: the colour bars; the count down's numbers from 10
// down to `downTo`, each drawn over the one before, as the count down leaves them.
void DrawColorBars(Canvas& canvas);
void DrawCountDown(Canvas& canvas, int downTo);
// How long the leaders last: the colour bars' hold and a second of black; the count down's ten
// numbers, a second more of the last, and a second of black.
constexpr std::int64_t CountDownSeconds = 12;
void ShowCountDown(Canvas& canvas);
// Busy wait on the 32-bit tick count, with messages processed before and after.
void WaitSeconds(std::int32_t seconds);

} // namespace velmora::effects
