#pragma once
#include <array>
#include <cstdint>
#include <limits>
#include <optional>

#include "platform/Canvas.h"
#include "player/frame_composer.h"
#include "player/page_player.h"
#include "player/smooth_track.h"
#include "player/strip.h"

namespace velmora {

// One page played smoothly, as a timeline of show time (nanoseconds since the page started):
// the leaders when asked, the space-bar hold of a manual page, each line moved in after the one
// before, the hold, and every line moved out, each phase as long as the stepped page makes it.
// It needs no window and no clock: whoever shows it moves it on to the time of each frame and
// asks what stands there. Between any two frames it can change course: the lines sent out from
// where they are, the page cut to black, its time held and let go.
class SmoothPage {
public:
    static constexpr std::int64_t Never = std::numeric_limits<std::int64_t>::max();

    // `manualHold`: how long a wait for the space bar lasts; none: until releaseSpaceBar.
    // `view`: the scale the strips are made at. The control hears of waves and moves as they
    // come (openWave, playWave, closeWave, beforeMove); its other calls are not used.
    // `onAir`: the page is played live: no leaders and no space-bar waits, and once its lines
    // are in it stays until it is taken out or cut; a wave that cannot be opened is left out.
    SmoothPage(const PageImage& page, const ShowOptions& options, const platform::StageView& view,
               PlayControl& control, std::optional<std::int64_t> manualHold, bool onAir = false);

    // Moves the page on to show time t: every change whose time has come happens, in order.
    void advanceTo(std::int64_t t);
    // The show time of the next change; Never while it waits for the space bar or is held.
    std::int64_t nextChange() const;
    bool finished() const { return phase_ == Phase::Done; }
    // The show time the page ended at (once finished).
    std::int64_t endTime() const { return endTime_; }

    // What the screen shows at show time t (at or after the last advance, before the next change).
    enum class Picture : std::uint8_t { Black, ColorBars, CountDown, Lines };
    struct Frame {
        Picture picture = Picture::Black;
        int number = 0; // the count down's lowest number drawn so far
        bool leader = false; // the colour bars, the count down, and the black after each
        std::array<LineState, 3> lines{};
    };
    Frame frameAt(std::int64_t t) const;
    // The strip of line n (1..3) once it was made; null before, or when it could not be.
    const Strip* strip(int n) const;

    // Each line on the stage starts its move out now from where it stands, all at once; lines
    // not moved in yet are left out. The page ends when the last is gone. `lead`: the moves are
    // that far along at t, as if they had started then (a command given before the frame at t).
    void takeOut(std::int64_t t, std::int64_t lead = 0);
    // Nothing more is shown: the page ends now, black. A page that ends otherwise leaves its
    // lines as their moves left them.
    void blackNow(std::int64_t t);
    // The page's time stands still from t, and goes on from where it stood.
    void hold(std::int64_t t);
    void goOn(std::int64_t t);
    bool held() const { return held_; }
    // Ends a wait for the space bar.
    void releaseSpaceBar(std::int64_t t);
    bool waitingForSpaceBar() const;

    // Line n (1..3) of the page was edited (its text, colours, font): its strip is made again and
    // drawn where the line stands, its move going on as it was. A line that was empty and is
    // now in use, on a live page whose lines are all in, comes to rest at once.
    void lineEdited(int n);
    // Every line is in and the page stays until taken out (a live page).
    bool resting() const { return phase_ == Phase::Pause && phaseEnd_ == Never; }

    const PlayOutcome& outcome() const { return outcome_; }

private:
    enum class Phase : std::uint8_t {
        Start, Bars, BarsBlack, CountDown, SpaceBefore, LineIn, Pause, SpaceHold, LineOut,
        TakeOut, Done
    };
    enum class Stage : std::uint8_t { Waiting, MovingIn, Resting, MovingOut, Out };
    struct Run {
        Stage stage = Stage::Waiting;
        Track track = Track::still({});
        std::int64_t trackStart = 0; // page time
        LineState rest;
        std::optional<Strip> strip;
        bool failed = false;
    };

    // Page time: show time less the time held.
    std::int64_t pageTime(std::int64_t t) const;
    LineState lineAt(int i, std::int64_t pageT) const;
    // Leaves the current phase at page time `at` and enters the next.
    void next(std::int64_t at);
    void enter(Phase p, std::int64_t at, std::int64_t length);
    bool startLine(int n, std::int64_t at); // false: the page ends
    void finish(std::int64_t at);
    void render(int n);
    Track::Stage trackStage() const;
    bool leaders(bool bars) const;

    const PageImage& page_;
    ShowOptions options_;
    platform::StageView view_;
    PlayControl& control_;
    std::optional<std::int64_t> manualHold_;
    bool onAir_ = false;
    Phase phase_ = Phase::Start;
    int line_ = 0; // the line moving in or out, 1..3
    std::int64_t phaseStart_ = 0, phaseEnd_ = 0; // page time; phaseEnd_ Never: waits
    std::int64_t offset_ = 0;                    // the time held so far
    bool held_ = false;
    bool cut_ = false; // ended by blackNow
    std::int64_t heldAt_ = 0;
    bool wavePlaying_ = false;
    std::int64_t endTime_ = 0;
    std::array<Run, 3> runs_;
    PlayOutcome outcome_;
};

// Draws a smooth page's frames onto a canvas and its framebuffer (32 bits a pixel): the leaders
// through the canvas, the lines through a FrameComposer. What changed is told through the
// canvas's presenter.
class SmoothPicture {
public:
    SmoothPicture(platform::Canvas& canvas, platform::Bitmap& frame);
    void draw(const SmoothPage& page, std::int64_t t);
    // The framebuffer was drawn over: the next frame is drawn whole.
    void reset();

private:
    platform::Canvas& canvas_;
    platform::Bitmap& frame_;
    FrameComposer composer_;
    std::optional<SmoothPage::Picture> shown_;
    int number_ = 0;
};

// A strip standing at a stage place (whole or between pixels) drawn onto a canvas's framebuffer
// (32 bits a pixel) as a smooth frame draws it, clipped to the stage; the canvas's presenter is
// told what changed. The align screen shows a smooth project's lines so.
void drawLineAt(platform::Canvas& canvas, platform::Bitmap& frame, const platform::Bitmap& picture,
                Fixed x, Fixed y);

// What a line's strip (or its coverage) is made from in a smooth frame: its text, font style and
// looks, its resting place, at the view's scale, 32 bits a pixel.
StripInput stripInputOf(const PageImage::Line& line, const platform::StageView& view);

// The lines of a frame as the composer takes them, from the page's strips.
std::array<FrameComposer::Line, 3> composedLines(const SmoothPage& page,
                                                 const SmoothPage::Frame& frame);

} // namespace velmora
