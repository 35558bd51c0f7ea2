#include "player/show_clock.h"

#include <algorithm>

namespace velmora {

namespace {
// The longest sleep while waiting for a frame: paint and expose events are handled between.
constexpr std::uint64_t WaitSlice = 2000000;
} // namespace

ShowClock::ShowClock(platform::Clock& base, FrameTarget& target, std::uint64_t framePeriodNanos)
    : base_(base), target_(target), period_(std::max<std::uint64_t>(framePeriodNanos, 1)) {
    start_ = base_.nanos();
    showAt_ = start_;
    nextFrame_ = start_ + period_;
}

void ShowClock::spin(std::uint64_t iterations) {
    showAt_ += iterations * platform::NanosPerIteration;
    // A step at exactly a frame's time belongs to that frame.
    if (showAt_ <= nextFrame_) return;
    presentAt(nextFrame_);
    // The frames inside this step's delay would show the same picture: the next one to present
    // is the first at or after the show's time.
    nextFrame_ += (showAt_ - nextFrame_ + period_ - 1) / period_ * period_;
}

void ShowClock::sleepFor(std::uint64_t nanoseconds) {
    flush();
    base_.sleepFor(nanoseconds);
    catchUp();
}

void ShowClock::flush() {
    if (target_.hasChanges()) {
        presentAt(nextFrame_);
        nextFrame_ += period_;
    }
    catchUp();
}

void ShowClock::presentAt(std::uint64_t frame) {
    for (;;) {
        const std::uint64_t now = base_.nanos();
        if (now >= frame) break;
        target_.waitEvents();
        base_.sleepFor(std::min(frame - now, WaitSlice));
    }
    if (!target_.hasChanges()) return;
    target_.present();
}

void ShowClock::catchUp() {
    const std::uint64_t now = base_.nanos();
    showAt_ = std::max(showAt_, now);
    if (nextFrame_ <= now) nextFrame_ += (now - nextFrame_) / period_ * period_ + period_;
}

} // namespace velmora
