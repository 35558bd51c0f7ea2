#include "player/frame_composer.h"

#include <algorithm>
#include <cstring>

namespace velmora {

__extension__ typedef __int128 Wide;

namespace {

std::int64_t floorDiv(Wide a, Wide b) {
    Wide q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return std::int64_t(q);
}

// The row loops are built twice on x86-64, with and without AVX2, and the processor picks.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
#define VELMORA_BLEND_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VELMORA_BLEND_CLONES
#endif

// d = (a * wa + b * wb + 128) / 256, byte by byte; wa + wb is at most 256, so every sum fits
// in 16 bits.
VELMORA_BLEND_CLONES void blend(std::uint8_t* __restrict d, const std::uint8_t* a, const std::uint8_t* b,
           unsigned wa, unsigned wb, int n) {
    const auto ua = std::uint16_t(wa), ub = std::uint16_t(wb);
    for (int i = 0; i < n; ++i)
        d[i] = std::uint8_t(std::uint16_t(a[i] * ua + b[i] * ub + 128) >> 8);
}

VELMORA_BLEND_CLONES void scaled(std::uint8_t* __restrict d, const std::uint8_t* a, unsigned wa,
                                 int n) {
    if (wa >= 256) {
        std::memcpy(d, a, std::size_t(n));
        return;
    }
    const auto ua = std::uint16_t(wa);
    for (int i = 0; i < n; ++i)
        d[i] = std::uint8_t(std::uint16_t(a[i] * ua + 128) >> 8);
}

// Output columns c0..c1 (of a row whose picture row is s, `w` pixels wide) when the picture
// stands f/256 of a pixel right of the whole pixel: column c is s[c] * w0 + s[c - 1] * w1, the
// picture black beyond its edges.
void horizontal(std::uint8_t* d, const std::uint8_t* s, int c0, int c1, int w, int bpp,
                unsigned w0, unsigned w1) {
    int c = c0;
    if (c == 0 && c < c1) {
        scaled(d, s, w0, bpp);
        d += bpp;
        ++c;
    }
    const int inner = std::min(c1, w);
    if (c < inner) {
        const int n = (inner - c) * bpp;
        blend(d, s + std::size_t(c) * bpp, s + std::size_t(c - 1) * bpp, w0, w1, n);
        d += n;
        c = inner;
    }
    if (c == w && c < c1) scaled(d, s + std::size_t(w - 1) * bpp, w1, bpp);
}

// The weight w, at `opacity` of 256.
unsigned faded(unsigned w, int opacity) {
    return opacity >= 256 ? w : (w * unsigned(opacity) + 128) >> 8;
}

} // namespace

QRect coveredBy(const ConstPlane& picture, std::int64_t x256, std::int64_t y256) {
    const std::int64_t ix = floorDiv(x256, 256), iy = floorDiv(y256, 256);
    const bool fx = x256 != ix * 256, fy = y256 != iy * 256;
    const std::int64_t left = std::clamp<std::int64_t>(ix, -(1 << 30), 1 << 30);
    const std::int64_t top = std::clamp<std::int64_t>(iy, -(1 << 30), 1 << 30);
    return QRect(int(left), int(top), picture.width + (fx ? 1 : 0), picture.height + (fy ? 1 : 0));
}

void drawAt(const Plane& target, const ConstPlane& picture, std::int64_t x256, std::int64_t y256,
            int opacity, const QRect& clip) {
    if (picture.isEmpty() || opacity <= 0 || picture.bytesPerPixel != target.bytesPerPixel)
        return;
    const QRect r = coveredBy(picture, x256, y256)
                        .intersected(clip)
                        .intersected(QRect(0, 0, target.width, target.height));
    if (r.isEmpty()) return;
    const QRect all = coveredBy(picture, x256, y256);
    const unsigned f = unsigned(x256 - std::int64_t(all.left()) * 256);
    const unsigned g = unsigned(y256 - std::int64_t(all.top()) * 256);
    const int bpp = target.bytesPerPixel, w = picture.width, h = picture.height;
    const int c0 = r.left() - all.left(), c1 = r.right() + 1 - all.left();
    const int n = (c1 - c0) * bpp;
    // The picture's rows blended vertically, when it stands between two rows.
    thread_local std::vector<std::uint8_t> row;
    if (g != 0 && f != 0) row.resize(std::size_t(w) * bpp);
    for (int yy = r.top(); yy <= r.bottom(); ++yy) {
        const int pr = yy - all.top(); // picture row pr, over row pr - 1 by g
        const std::uint8_t* cur = pr < h ? picture.bits + std::size_t(pr) * picture.stride : nullptr;
        const std::uint8_t* prev =
            g != 0 && pr >= 1 ? picture.bits + std::size_t(pr - 1) * picture.stride : nullptr;
        std::uint8_t* d = target.bits + std::size_t(yy) * target.stride + std::size_t(r.left()) * bpp;
        if (f == 0) {
            const std::size_t at = std::size_t(c0) * bpp;
            const unsigned w0 = faded(g ? 256 - g : 256, opacity), w1 = faded(g, opacity);
            if (cur && prev)
                blend(d, cur + at, prev + at, w0, w1, n);
            else if (cur)
                scaled(d, cur + at, w0, n);
            else
                scaled(d, prev + at, w1, n);
            continue;
        }
        const std::uint8_t* s = cur ? cur : prev;
        unsigned v = cur ? 256 - g : g;
        if (g != 0 && cur && prev) {
            // Only the columns the output needs: c0 - 1 to c1 - 1.
            const int from = std::max(c0 - 1, 0), to = std::min(c1, w);
            const std::size_t at = std::size_t(from) * bpp;
            blend(row.data() + at, cur + at, prev + at, 256 - g, g, (to - from) * bpp);
            s = row.data();
            v = 256;
        }
        horizontal(d, s, c0, c1, w, bpp, faded((256 - f) * v >> 8, opacity),
                   faded(f * v >> 8, opacity));
    }
}

FrameComposer::FrameComposer(const Plane& target, const platform::StageView& view)
    : target_(target), view_(view),
      area_(view.area().intersected(QRect(0, 0, target.width, target.height))) {}

std::int64_t FrameComposer::outX(Fixed x) const {
    // left + x * num / den, in 1/256 of a pixel, rounded half up.
    return std::int64_t(view_.left) * 256 +
           floorDiv(Wide(x) * view_.num * 512 + Wide(view_.den) * FixedOne,
                    Wide(view_.den) * FixedOne * 2);
}

std::int64_t FrameComposer::outY(Fixed y) const {
    return std::int64_t(view_.top) * 256 +
           floorDiv(Wide(y) * view_.num * 512 + Wide(view_.den) * FixedOne,
                    Wide(view_.den) * FixedOne * 2);
}

QRect FrameComposer::rectOf(const Line& line) const {
    const LineState& s = line.state;
    if (!s.visible || line.picture.isEmpty() || s.opacity <= 0) return {};
    QRect r = coveredBy(line.picture, outX(s.x), outY(s.y));
    if (s.squeeze != LineState::Squeeze::None && !s.standing) {
        // Only the squeezed copy is drawn, at whole pixels.
        const int left = int(floorDiv(outX(s.x) + 128, 256)), top = int(floorDiv(outY(s.y) + 128, 256));
        const int w = int(Wide(line.picture.width) * s.span / FixedOne);
        r = QRect(s.squeeze == LineState::Squeeze::FromLeft ? left : left + line.picture.width - w,
                  top, w, line.picture.height);
    }
    return r.intersected(area_);
}

ConstPlane FrameComposer::squeezed(const ConstPlane& p, int width) {
    if (width <= 0) return {};
    if (width == p.width) return p;
    if (squeezedFrom_ != p.bits || squeezedImage_.width() != width ||
        squeezedImage_.height() != p.height) {
        const QImage source(p.bits, p.width, p.height, p.stride,
                            p.bytesPerPixel == 4 ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
        squeezedImage_ = source.scaled(width, p.height, Qt::IgnoreAspectRatio,
                                       Qt::SmoothTransformation);
        if (p.bytesPerPixel == 4 && squeezedImage_.format() != QImage::Format_RGB32)
            squeezedImage_ = squeezedImage_.convertToFormat(QImage::Format_RGB32);
        squeezedFrom_ = p.bits;
    }
    return {squeezedImage_.constBits(), squeezedImage_.width(), squeezedImage_.height(),
            int(squeezedImage_.bytesPerLine()), p.bytesPerPixel};
}

void FrameComposer::drawLine(const Line& line, const QRect& clip) {
    const LineState& s = line.state;
    if (!s.visible || line.picture.isEmpty() || s.opacity <= 0) return;
    const std::int64_t x = outX(s.x), y = outY(s.y);
    if (s.squeeze == LineState::Squeeze::None || s.standing)
        drawAt(target_, line.picture, x, y, s.opacity, clip);
    if (s.squeeze == LineState::Squeeze::None) return;
    const int w = int(Wide(line.picture.width) * s.span / FixedOne);
    const ConstPlane copy = squeezed(line.picture, w);
    if (copy.isEmpty()) return;
    const std::int64_t left = floorDiv(x + 128, 256) * 256, top = floorDiv(y + 128, 256) * 256;
    drawAt(target_, copy,
           s.squeeze == LineState::Squeeze::FromLeft ? left
                                                     : left + std::int64_t(line.picture.width - w) * 256,
           top, s.opacity, clip);
}

void FrameComposer::clear(const QRect& r) {
    const QRect c = r.intersected(QRect(0, 0, target_.width, target_.height));
    if (c.isEmpty()) return;
    for (int y = c.top(); y <= c.bottom(); ++y)
        std::memset(target_.bits + std::size_t(y) * target_.stride +
                        std::size_t(c.left()) * target_.bytesPerPixel,
                    0, std::size_t(c.width()) * target_.bytesPerPixel);
}

const std::vector<QRect>& FrameComposer::compose(std::span<const Line> lines) {
    changed_.clear();
    rects_.resize(lines.size());
    std::vector<QRect>& rects = rects_;
    for (std::size_t i = 0; i < lines.size(); ++i)
        rects[i] = rectOf(lines[i]);
    // A different number of lines than last time: everything is drawn again.
    if (last_.size() != lines.size()) {
        last_.assign(lines.size(), Drawn{});
        fresh_ = true;
    }
    if (fresh_) {
        fresh_ = false;
        const QRect all(0, 0, target_.width, target_.height);
        clear(all);
        for (const Line& l : lines)
            drawLine(l, area_);
        changed_.push_back(all);
    } else {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Drawn& was = last_[i];
            if (was.state == lines[i].state && was.bits == lines[i].picture.bits &&
                was.rect == rects[i])
                continue;
            const QRect d = was.rect | rects[i];
            if (d.isEmpty()) continue;
            // What the line no longer covers turns black; then every line is drawn again there,
            // in order, so the lines over and under it stay as they are.
            const QRect keep = rects[i];
            if (keep.isEmpty()) {
                clear(d);
            } else {
                clear(QRect(d.left(), d.top(), d.width(), keep.top() - d.top()));
                clear(QRect(d.left(), keep.bottom() + 1, d.width(), d.bottom() - keep.bottom()));
                clear(QRect(d.left(), keep.top(), keep.left() - d.left(), keep.height()));
                clear(QRect(keep.right() + 1, keep.top(), d.right() - keep.right(), keep.height()));
            }
            for (const Line& l : lines)
                drawLine(l, d);
            changed_.push_back(d);
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
        last_[i] = {lines[i].state, lines[i].picture.bits, rects[i]};
    return changed_;
}

} // namespace velmora
