#pragma once
#include <array>
#include <cstdint>
#include <QString>

#include "model/page_record.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace velmora {

// How a page is played besides the page itself: the editor's switches, the leaders and the
// screen's formats.
struct ShowOptions {
    bool leaders = false;          // colour bars and count down may open the page ("000")
    bool useColorBars = false;     // the project's leaders
    bool useCountDown = false;
    std::int32_t holdTime = 10;    // colour bar time, seconds
    bool alignMode = false;        // strips are framed for the align screen
    bool easySlowdown = false;     // "Easy Slow down"
    std::int16_t rasterEffect = 0; // "Effects ?"
    std::int8_t screenBits = 32;   // the screen's bits per pixel: the fade routines
    platform::PixelFormat stripFormat = platform::PixelFormat::Bits32;
};

// What the player asks of whoever shows the page: the stop flag, the fixed points at which
// keys and clicks may act, the space-bar hold and the waves. The player itself needs no window.
class PlayControl {
public:
    virtual ~PlayControl() = default;
    // The show was stopped (Escape, a key, a click).
    virtual bool stopped() const = 0;
    // A fixed point: waiting messages are handled.
    virtual void pump() = 0;
    // With `manual` set, waits until the space bar releases the hold.
    virtual void holdForSpaceBar(bool manual) = 0;
    // Opens the wave of a line; false once the user has been told it cannot be played.
    virtual bool openWave(int line, const QString& file) = 0;
    virtual void playWave() = 0;
    virtual void closeWave() = 0;
    // A movement is about to start (the pointer is hidden).
    virtual void beforeMove() {}
};

// What playing a page changed that belongs to the page.
struct PlayOutcome {
    // Line's picture could not be read: its name is to be cleared.
    std::array<bool, 3> bitmapFailed{};
    // Line's wave could not be opened: its name is to be cleared.
    std::array<bool, 3> waveFailed{};
    // The resting positions as the lines were shown.
    std::array<std::int32_t, 3> restX{}, restY{};
};

// Plays one page onto the canvas, in the canvas's stage pixels (its view says where the stage
// lands and at what scale; the movements count in the stage's pixels, so a page lasts as long at
// every scale): the leaders when asked, the space-bar hold of a manual page,
// each line in use rendered and moved in (its wave started before, line 2's after rendering),
// the hold (the page's pause, or the space bar), and every line moved out. Names of pictures and
// waves are used as given. Stops at the fixed points once the control says so.
PlayOutcome playPage(const PageImage& page, const ShowOptions& options, platform::Canvas& canvas,
                     PlayControl& control);

} // namespace velmora
