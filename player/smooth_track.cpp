#include "player/smooth_track.h"

#include <algorithm>

#include "platform/Clock.h"
#include "player/movement.h"

namespace velmora {

__extension__ typedef __int128 Wide;

namespace {

std::int64_t unitsToNanos(std::int64_t units) {
    return std::max<std::int64_t>(units, 0) * NanosPerDelayUnit;
}

// The number of points of a path the moves use, at most its capacity.
std::int32_t pathPoints(const Path* path) {
    return path ? std::clamp(path->LastIndex, 0, MaxPathPoints) : 0;
}

} // namespace

std::int64_t fadeFrameNanos(std::int32_t fadedelay) {
    if (fadedelay < 1) return 0;
    return std::int64_t(fadedelay) * fadedelay * std::int64_t(platform::NanosPerIteration);
}

Track Track::still(const LineState& state) {
    Track t;
    t.base_ = state;
    t.endsVisible_ = state.visible;
    return t;
}

LineState Track::at(std::int64_t t) const {
    LineState s = base_;
    if (t >= duration_) {
        // The end: what the move leaves.
        t = duration_;
        s.visible = endsVisible_;
    }
    t = std::max<std::int64_t>(t, 0);
    switch (kind_) {
    case Kind::Still:
        break;
    case Kind::Knots: {
        // The last knot at or before t, and the next one.
        auto next = std::upper_bound(knots_.begin(), knots_.end(), t,
                                     [](std::int64_t v, const Knot& k) { return v < k.time; });
        const Knot& a = *std::prev(next);
        if (next == knots_.end() || next->time == a.time) {
            s.x = a.x;
            s.y = a.y;
        } else {
            const Knot& b = *next;
            const Wide dt = t - a.time, span = b.time - a.time;
            s.x = a.x + Fixed(Wide(b.x - a.x) * dt / span);
            s.y = a.y + Fixed(Wide(b.y - a.y) * dt / span);
        }
        break;
    }
    case Kind::Fade:
        s.opacity = duration_ > 0 ? fromOpacity_ + int(Wide(toOpacity_ - fromOpacity_) * t /
                                                       duration_)
                                  : toOpacity_;
        break;
    case Kind::Squeeze:
        if (t >= duration_) {
            // Squeezed to its full width: the strip as it stands.
            s.squeeze = LineState::Squeeze::None;
            s.standing = false;
            s.span = FixedOne;
        } else {
            s.span = fromSpan_ + Fixed(Wide(toSpan_ - fromSpan_) * t / duration_);
        }
        break;
    }
    return s;
}

Track Track::moveIn(std::int32_t dir, int w, int h, int x, int y, const Stage& stage,
                    const Path* path) {
    Track tr;
    tr.base_.visible = true;
    tr.base_.x = toFixed(x);
    tr.base_.y = toFixed(y);
    const std::int64_t d = unitsToNanos(stage.fadedelay);
    if (dir >= 1 && dir <= 8) {
        const Travel t = travelOf(dir);
        const Point64 start = moveInStart(dir, w, h, x, y, stage.width, stage.height);
        const int step = t.alongX ? t.dx : t.dy;
        const std::int64_t rest = t.alongX ? x : y;
        const std::int64_t n = (rest - (t.alongX ? start.x : start.y)) * step + 1;
        if (n <= 0) return still(LineState{}); // the start lies past the resting place
        // Step i stands at start + i * (dx, dy) for its delay; the last one is the resting place.
        auto delay = [&](std::int64_t i) {
            return stage.easySlowdown
                       ? unitsToNanos(std::int64_t(SlowdownFactor(std::int32_t(
                                          std::min<std::int64_t>(n - 1 - i, INT32_MAX)))) *
                                      stage.fadedelay)
                       : d;
        };
        auto point = [&](std::int64_t i, std::int64_t time) {
            return Knot{time, toFixed(start.x + i * t.dx), toFixed(start.y + i * t.dy)};
        };
        tr.kind_ = Kind::Knots;
        tr.knots_.push_back(point(0, 0));
        std::int64_t time = 0;
        // Steps of the same delay move at one pace: a knot where the delay changes.
        for (std::int64_t i = 0; i < n - 1; ++i) {
            const std::int64_t di = delay(i);
            time += di;
            if (i + 1 == n - 1 || delay(i + 1) != di) tr.knots_.push_back(point(i + 1, time));
        }
        time += delay(n - 1);
        tr.knots_.push_back(point(n - 1, time));
        tr.duration_ = time;
        return tr;
    }
    switch (dir) {
    case 9:
    case 10: {
        if (w <= 0) return still(LineState{});
        tr.kind_ = Kind::Squeeze;
        tr.base_.squeeze = dir == 9 ? LineState::Squeeze::FromLeft : LineState::Squeeze::FromRight;
        tr.fromSpan_ = 0;
        tr.toSpan_ = FixedOne;
        tr.duration_ = (std::int64_t(w) + 1) / 2 * d; // two pixels a step
        return tr;
    }
    case 11: {
        const std::int32_t k = pathPoints(path);
        if (k == 0) return still(LineState{});
        tr.kind_ = Kind::Knots;
        for (std::int32_t i = 0; i < k; ++i)
            tr.knots_.push_back(
                {i * d, toFixed(path->Points[i].x), toFixed(path->Points[i].y)});
        tr.duration_ = k * d;
        tr.knots_.push_back({tr.duration_, tr.knots_.back().x, tr.knots_.back().y});
        return tr;
    }
    case 12:
        tr.kind_ = Kind::Fade;
        tr.fromOpacity_ = 0;
        tr.toOpacity_ = 256;
        tr.duration_ = 33 * fadeFrameNanos(stage.fadedelay);
        return tr;
    case 13:
        return still(tr.base_);
    default:
        return still(LineState{}); // no movement known: nothing is drawn
    }
}

Track Track::moveOut(std::int32_t dir, int w, int h, const LineState& from, const Stage& stage,
                     const Path* path) {
    Track tr;
    tr.base_ = from;
    tr.base_.visible = true;
    const std::int64_t d = unitsToNanos(stage.fadedelay);
    if (dir >= 1 && dir <= 8) {
        const Travel t = travelOf(dir);
        const Point64 end = moveOutEnd(dir, w, h, from.x / FixedOne, from.y / FixedOne,
                                       stage.width, stage.height);
        const int step = t.alongX ? t.dx : t.dy;
        const Fixed distance = (toFixed(t.alongX ? end.x : end.y) - (t.alongX ? from.x : from.y)) *
                               step;
        // Already past the edge it leaves by: nothing to draw, the line stays as it was.
        if (distance <= 0) return still(from);
        tr.kind_ = Kind::Knots;
        tr.duration_ = std::int64_t(Wide(distance) * d / FixedOne);
        tr.knots_.push_back({0, from.x, from.y});
        tr.knots_.push_back({tr.duration_, from.x + distance * t.dx, from.y + distance * t.dy});
        tr.endsVisible_ = false; // beyond the stage's edge
        return tr;
    }
    switch (dir) {
    case 9:
    case 10:
        if (w <= 0) return still(from);
        tr.kind_ = Kind::Squeeze;
        tr.base_.squeeze = dir == 9 ? LineState::Squeeze::FromLeft : LineState::Squeeze::FromRight;
        tr.base_.standing = true;
        tr.fromSpan_ = 0;
        tr.toSpan_ = FixedOne;
        tr.duration_ = std::int64_t(w) * d; // one pixel a step
        return tr;
    case 11: {
        const std::int32_t k = pathPoints(path);
        if (k < 2) return still(from);
        tr.kind_ = Kind::Knots;
        for (std::int32_t i = 0; i < k; ++i)
            tr.knots_.push_back(
                {i * d, toFixed(path->Points[i].x), toFixed(path->Points[i].y)});
        tr.duration_ = (k - 1) * d;
        return tr;
    }
    case 12:
        tr.kind_ = Kind::Fade;
        tr.fromOpacity_ = from.opacity;
        tr.toOpacity_ = 0;
        tr.duration_ = 33 * fadeFrameNanos(stage.fadedelay) * from.opacity / 256;
        tr.endsVisible_ = false;
        return tr;
    case 13:
        return still(tr.base_);
    default:
        return still(from);
    }
}

} // namespace velmora
