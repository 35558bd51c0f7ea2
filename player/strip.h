#pragma once
#include <cstdint>
#include <functional>
#include <QPoint>
#include <QString>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Color.h"

namespace velmora {

struct TitleLine;

// One title strip: its picture and where it stands, in stage pixels. Its size in stage pixels is
// what the movements count with; the picture is that size at the scale it was made for. A
// strip being rendered first stands one pixel beyond the stage's bottom-right corner, until the
// rendering sets it to the line's resting position.
struct Strip {
    explicit Strip(platform::PixelFormat format);

    platform::Bitmap picture;
    int width = 0, height = 0; // in stage pixels
    int Left = 0;
    int Top = 0;
    void setPos(int left, int top) {
        Left = left;
        Top = top;
    }
};

// Decorates a strip for the align screen: the strip's canvas, its width and height, and the
// line's colour.
using DrawAlignFn = std::function<void(platform::Canvas&, int, int, platform::TColor)>;

// What the rendering of one title line reads.
struct StripInput {
    QString text;               // the line's edit box text
    std::uint8_t fontStyle = 0; // the edit box's font style bits
    const TitleLine* line = nullptr;
    bool alignMode = false; // the align screen is in use
    platform::PixelFormat stripFormat = platform::PixelFormat::Bits24;
    // The stage (a strip larger than four stages on a side is refused) and the scale the
    // picture is made at (the view's num / den; its place plays no part).
    platform::StageView view;
    int restX = 0, restY = 0;                      // the line's resting position
    platform::TColor alignColor = platform::clRed; // the line's colour on the align screen
    DrawAlignFn drawalign;                         // may be empty
};

enum class StripResult {
    Text,         // the text was rendered
    Bitmap,       // the line's bitmap file was rendered
    BitmapFailed, // the bitmap file exists but could not be read; the picture is empty
    TooLarge,     // the strip would exceed four times the stage on a side; the picture is empty
};

// Whether a strip of that size is refused: wider than four stages or taller than four.
bool StripTooLarge(std::int64_t width, std::int64_t height, int stageWidth, int stageHeight);

// Renders one title line into `strip` (a new one, as the player makes them): the
// line's bitmap file when it names an existing file, else its text. A bitmap that cannot be read
// is reported to the user; the caller then clears the line's bitmap file name. Grid allocation
// failures of the blur leave as ENotEnoughMemory.
StripResult renderTitleStrip(Strip& strip, const StripInput& in);

// How much of each pixel of a strip its text and shadow cover, 0 (the black background) to 255,
// row after row. A transparent export needs it: a black shadow is as opaque as a white text.
struct StripCoverage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> alpha;
    bool isEmpty() const { return alpha.empty(); }
    std::uint8_t at(int x, int y) const { return alpha[std::size_t(y) * width + x]; }
};

// The coverage of the strip that renderTitleStrip makes of the same line, at the same scale: its text and shadow
// drawn in white, smoothed as the strip is (what the smoothing doubles stays opaque). Nothing for
// a picture, whose black is its background, and for a strip too large to be made; nothing is
// reported to the user.
StripCoverage renderTitleCoverage(const StripInput& in);

// A title with its shadow: the text in the canvas's font colour (the shadow) at shadowAt, then
// over it, with a clear background, in textColor at textAt.
void drawShadowedText(platform::Canvas& canvas, const QString& text, QPoint shadowAt,
                      QPoint textAt, platform::TColor textColor);

// Strip size for a text in the canvas's current font: the text's extent plus a margin of 4
// pixels, or with a shadow (font size div 16) + 8.
std::int32_t StripWidth(const QString& text, platform::Canvas& canvas, bool shadow);
std::int32_t StripHeight(const QString& text, platform::Canvas& canvas, bool shadow);

} // namespace velmora
