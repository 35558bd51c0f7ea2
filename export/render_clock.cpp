#include "export/render_clock.h"

#include <algorithm>
#include <numeric>
#include <QRegularExpression>

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

std::optional<FrameRate> frameRateNamed(const QString& text) {
    // At most nine digits a number, so that nothing below overflows.
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{1,9})(?:/([0-9]{1,9})|\\.([0-9]{1,3}))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    std::int64_t num = m.captured(1).toLongLong();
    std::int64_t den = 1;
    if (m.capturedLength(2) > 0) {
        den = m.captured(2).toLongLong();
        if (den == 0) return std::nullopt;
    } else if (m.capturedLength(3) > 0) {
        const QString places = m.captured(3);
        for (qsizetype i = 0; i < places.size(); ++i)
            den *= 10;
        num = num * den + places.toLongLong();
        // A decimal of two or three places that a whole rate n times 1000/1001 rounds to is
        // that rate: 29.97 is 30000/1001 (29.97003 frames a second), not 2997/100.
        const std::int64_t n = (num * 1001 + den * 500) / (den * 1000);
        const std::int64_t rounded = (n * 1000 * den * 2 + 1001) / (2 * 1001);
        if (places.size() >= 2 && num % den != 0 && rounded == num) {
            num = n * 1000;
            den = 1001;
        }
    }
    if (num < MinFramesPerSecond * den || num > MaxFramesPerSecond * den) return std::nullopt;
    const std::int64_t common = std::gcd(num, den);
    return FrameRate{num / common, den / common};
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
