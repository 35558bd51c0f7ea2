#pragma once
#include <cstdint>

#include "platform/Clock.h"

namespace velmora {

// Where the show clock presents its frames: the playback window on screen, a recorder in tests,
// a video file later.
class FrameTarget {
public:
    virtual ~FrameTarget() = default;
    // Whether the framebuffer changed since the last frame was presented.
    virtual bool hasChanges() const = 0;
    // Shows the framebuffer as it stands, and makes sure it reaches the display.
    virtual void present() = 0;
    // While waiting for the next frame: paint, expose and timer events, never user input.
    virtual void waitEvents() {}
};

// The show's time. Installed as the clock while a page plays, it takes the steps' delays as
// show time instead of spinning them away: one delay unit lasts its nominal microsecond, so a
// move takes as long as the spin made it take. At every display frame the
// framebuffer is presented as it stands at that frame's time: every step up to it applied, the
// steps between two frames never shown one by one. Timed waits present what is pending and
// sleep on the clock underneath; show time then resumes from the real time.
class ShowClock : public platform::Clock {
public:
    ShowClock(platform::Clock& base, FrameTarget& target, std::uint64_t framePeriodNanos);

    std::uint32_t tickCount() override { return base_.tickCount(); }
    std::uint64_t nanos() override { return base_.nanos(); }
    // A step's delay: advances show time, presenting each frame the show passes.
    void spin(std::uint64_t iterations) override;
    void sleepFor(std::uint64_t nanoseconds) override;

    // A fixed point: pending changes are presented at the next frame, and show time catches up
    // with the real time.
    void flush();

    // The show's time since the clock was made, in nanoseconds.
    std::uint64_t showTime() const { return showAt_ - start_; }

private:
    // Waits until the frame's time, then presents when there is something to show.
    void presentAt(std::uint64_t frame);
    void catchUp();

    platform::Clock& base_;
    FrameTarget& target_;
    std::uint64_t period_;
    std::uint64_t start_;
    std::uint64_t showAt_;    // the real time the show stands at
    std::uint64_t nextFrame_; // the next frame's time
};

// Installs a clock for the life of the object and puts the one before back.
class ClockScope {
public:
    explicit ClockScope(platform::Clock& c) : before_(platform::setClock(&c)) {}
    ~ClockScope() { platform::setClock(before_); }
    ClockScope(const ClockScope&) = delete;
    ClockScope& operator=(const ClockScope&) = delete;

private:
    platform::Clock* before_;
};

} // namespace velmora
