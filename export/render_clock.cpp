#include "export/render_clock.h"

#include <algorithm>

namespace velmora {

// Products of times and rates that would overflow 64 bits.
__extension__ typedef __int128 Wide;

namespace {
constexpr Wide NanosPerSecond = 1000000000;
} // namespace

std::int64_t FrameRate::frameTime(std::int64_t k) const {
    return std::int64_t(Wide(k) * den * NanosPerSecond / num);
}

std::int64_t FrameRate::framesBefore(std::int64_t t) const {
    // The frames k with k * den / num < t / 1e9, that is k * den * 1e9 < t * num.
    if (t <= 0) return 0;
    const Wide scaled = Wide(t) * num;
    const Wide perFrame = Wide(den) * NanosPerSecond;
    return std::int64_t((scaled + perFrame - 1) / perFrame);
}

RenderClock::RenderClock(FrameRate rate, FrameFn onFrame)
    : rate_(rate), onFrame_(std::move(onFrame)) {}

void RenderClock::advance(std::int64_t d) {
    if (d <= 0) return;
    const std::int64_t end = now_ + d;
    const std::int64_t last = rate_.framesBefore(end);
    for (; next_ < last; ++next_)
        if (onFrame_) onFrame_(next_);
    now_ = end;
}

void RenderClock::finish() {
    // The frames up to the end, and one at or after it: the show's last picture is seen.
    const std::int64_t last = std::max(rate_.framesBefore(now_) + 1, next_);
    for (; next_ < last; ++next_)
        if (onFrame_) onFrame_(next_);
}

} // namespace velmora
