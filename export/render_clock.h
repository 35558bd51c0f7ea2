#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <QString>

#include "platform/Clock.h"

namespace velmora {

// A frame rate as a fraction: 30000/1001 for 29.97 frames a second.
struct FrameRate {
    std::int64_t num = 25;
    std::int64_t den = 1;

    double perSecond() const { return double(num) / double(den); }
    // Frame k's time in nanoseconds, rounded down.
    std::int64_t frameTime(std::int64_t k) const;
    // How many frames have a time before t nanoseconds: the frames of a show that long.
    std::int64_t framesBefore(std::int64_t t) const;
};

// The frame rates a show renders at, in frames a second.
constexpr int MinFramesPerSecond = 1;
constexpr int MaxFramesPerSecond = 240;

// The frame rate a command line names: a whole number ("25"), a fraction ("30000/1001") or a
// decimal of up to three places ("12.5"), from 1 to 240 frames a second, in lowest terms. The
// decimals by which the 1000/1001 rates go stand for them: "23.976", "29.97", "59.94" are
// 24000/1001, 30000/1001 and 60000/1001. Nothing for anything else.
std::optional<FrameRate> frameRateNamed(const QString& text);

// The show's time when it is rendered instead of shown: nothing waits. A step's delay moves
// time on by its nominal length (a delay unit is exactly one microsecond), so a render is the
// same on every machine. Each frame whose time the show passes is handed to `onFrame` with the
// framebuffer as it stands then: frame k shows every step up to time k / rate.
class RenderClock : public platform::Clock {
public:
    using FrameFn = std::function<void(std::int64_t frame)>;
    RenderClock(FrameRate rate, FrameFn onFrame);

    std::uint32_t tickCount() override { return std::uint32_t(now_ / 1000000); }
    void spin(std::uint64_t iterations) override {
        advance(std::int64_t(iterations * platform::NanosPerIteration));
    }
    std::uint64_t nanos() override { return std::uint64_t(now_); }
    void sleepFor(std::uint64_t nanoseconds) override { advance(std::int64_t(nanoseconds)); }

    // Moves time on, handing over each frame whose time lies in [now, now + d).
    void advance(std::int64_t d);
    // Hands over the frames before the end of the show (time now) and the first one at or after
    // it, which shows the end.
    void finish();

    std::int64_t now() const { return now_; }
    std::int64_t nextFrame() const { return next_; }

private:
    FrameRate rate_;
    FrameFn onFrame_;
    std::int64_t now_ = 0;
    std::int64_t next_ = 0; // the first frame not handed over yet
};

} // namespace velmora
