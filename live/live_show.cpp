#include "live/live_show.h"

#include <algorithm>
#include <cstring>

namespace velmora::live {

namespace {
Plane planeOf(platform::Bitmap& b) {
    return {b.bits(), b.width(), b.height(), b.stride(), b.bytesPerPixel()};
}
} // namespace

LiveShow::LiveShow(OnAir& onAir, platform::Bitmap& frame, const platform::StageView& view,
                   std::uint64_t period, platform::Clock& clock,
                   std::function<void(const QRect&)> present)
    : onAir_(onAir), composer_(planeOf(frame), view), view_(view),
      period_(std::max<std::uint64_t>(period, 1000000)), clock_(clock),
      present_(std::move(present)), log_(std::int64_t(period_)) {}

std::int64_t LiveShow::now() const {
    return std::int64_t(clock_.nanos() - start_);
}

void LiveShow::setKey(platform::Bitmap* key) {
    key_ = key;
    keyComposer_.reset();
    if (!key_ || key_->isEmpty()) return;
    keyPlane_.assign(std::size_t(key_->width()) * key_->height(), 0);
    keyComposer_.emplace(Plane{keyPlane_.data(), key_->width(), key_->height(), key_->width(), 1},
                         view_);
}

void LiveShow::start() {
    start_ = clock_.nanos();
    refresh_ = 1;
    shown_ = -1;
    composer_.reset();
    if (keyComposer_) keyComposer_->reset();
    draw();
}

void LiveShow::draw() {
    const std::int64_t t = showTime(refresh_);
    onAir_.advanceTo(t);
    // A strip made anew may have the address of the one it replaced: drawn whole.
    if (onAir_.edits() != drawnEdits_) {
        drawnEdits_ = onAir_.edits();
        composer_.reset();
        if (keyComposer_) keyComposer_->reset();
    }
    const OnAir::Lines lines = onAir_.linesAt(t);
    for (const QRect& r : composer_.compose(lines))
        pending_ |= r;
    if (!keyComposer_) return;
    const OnAir::Lines key = onAir_.keyLinesAt(t);
    const int w = key_->width();
    for (const QRect& r : keyComposer_->compose(key)) {
        const QRect c = r.intersected(QRect(0, 0, w, key_->height()));
        // Grey for the coverage, in every colour channel.
        for (int y = c.top(); y <= c.bottom(); ++y) {
            const std::uint8_t* from = keyPlane_.data() + std::size_t(y) * w;
            auto* to = reinterpret_cast<std::uint32_t*>(key_->scanLine(y));
            for (int x = c.left(); x <= c.right(); ++x)
                to[x] = std::uint32_t(from[x]) * 0x010101u;
        }
        pending_ |= c;
    }
}

std::uint64_t LiveShow::wake() {
    std::int64_t at = now();
    std::int64_t due = showTime(refresh_);
    if (at < due) return start_ + std::uint64_t(due);
    // Refreshes that went by while the program was busy: the frame shown is the one whose
    // refresh this is.
    if (const std::int64_t behind = (at - due) / std::int64_t(period_); behind > 0) {
        refresh_ += behind;
        due = showTime(refresh_);
        draw();
    }
    const QRect r = pending_;
    pending_ = QRect();
    if (present_) present_(r);
    log_.frame({refresh_, due, now()});
    shown_ = due;
    ++refresh_;
    draw();
    return start_ + std::uint64_t(showTime(refresh_));
}

void LiveShow::given(const char* name) {
    log_.command({QString::fromLatin1(name), now(), refresh_});
}

void LiveShow::take() {
    const std::int64_t t = showTime(refresh_);
    given("take");
    onAir_.take(t, std::clamp<std::int64_t>(t - now(), 0, std::int64_t(period_)));
    draw();
}

void LiveShow::clear() {
    const std::int64_t t = showTime(refresh_);
    given("clear");
    onAir_.clear(t, std::clamp<std::int64_t>(t - now(), 0, std::int64_t(period_)));
    draw();
}

void LiveShow::cut() {
    given("cut");
    onAir_.cut(showTime(refresh_));
    draw();
}

void LiveShow::edited() {
    given("edit");
    draw();
}

} // namespace velmora::live
