#include "export/show_coverage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace velmora {

ShowCoverage::ShowCoverage(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      plane_(std::size_t(width_) * std::size_t(height_), 0), clip_(0, 0, width_, height_) {}

void ShowCoverage::fill(const QRect& r, std::uint8_t value) {
    const QRect c = r.intersected(QRect(0, 0, width_, height_));
    for (int y = c.top(); y <= c.bottom(); ++y)
        std::memset(plane_.data() + std::size_t(y) * width_ + c.left(), value,
                    std::size_t(c.width()));
}

void ShowCoverage::clear() {
    std::fill(plane_.begin(), plane_.end(), 0);
    // The leaders cover the stage; the margins beside it stay transparent.
    if (opaque_) fill(clip_, 255);
}

void ShowCoverage::setOpaque(bool opaque) {
    if (opaque == opaque_) return;
    opaque_ = opaque;
    clear();
}

void ShowCoverage::copied(const platform::CopyRecord& r) {
    const int level = fadeLevel_;
    fadeLevel_ = FullLevel;
    if (opaque_ || r.w <= 0 || r.h <= 0 || r.srcW <= 0 || r.srcH <= 0) return;
    const QRect to(r.x, r.y, r.w, r.h);
    const QRect clipped = to.intersected(clip_);
    if (clipped.isEmpty()) return;
    const bool known = strip_ && strip_->width == r.srcW && strip_->height == r.srcH;
    if (r.mode != platform::CopyMode::SrcCopy || !known) {
        fill(clipped, 0);
        return;
    }
    // The canvas's nearest-neighbour mapping: destination column i of the copy takes source
    // column i * srcW / w (the identity for a plain copy).
    std::array<std::uint8_t, 256> faded;
    for (int v = 0; v < 256; ++v)
        faded[std::size_t(v)] = std::uint8_t((v * level) >> 5);
    std::vector<int> columns(std::size_t(clipped.width()));
    for (int x = clipped.left(); x <= clipped.right(); ++x)
        columns[std::size_t(x - clipped.left())] =
            int((static_cast<long long>(x - to.x()) * r.srcW) / r.w);
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const int sy = int((static_cast<long long>(y - to.y()) * r.srcH) / r.h);
        const std::uint8_t* src = strip_->alpha.data() + std::size_t(sy) * strip_->width;
        std::uint8_t* dst = plane_.data() + std::size_t(y) * width_ + clipped.left();
        for (std::size_t i = 0; i < columns.size(); ++i)
            dst[i] = faded[src[columns[i]]];
    }
}

namespace {

// c * 255 / a rounded to the nearest, for every alpha a and colour c up to it.
struct Unpremultiply {
    std::vector<std::uint8_t> table = std::vector<std::uint8_t>(256 * 256);
    Unpremultiply() {
        for (unsigned a = 1; a < 256; ++a)
            for (unsigned c = 0; c < 256; ++c)
                table[a * 256 + c] = std::uint8_t(std::min(255u, (c * 255 + a / 2) / a));
    }
    std::uint8_t operator()(unsigned c, unsigned a) const { return table[a * 256 + c]; }
};

const Unpremultiply& unpremultiply() {
    static const Unpremultiply u;
    return u;
}

} // namespace

void straightRgba(const platform::Bitmap& frame, const std::uint8_t* coverage, const QRect& r,
                  std::uint8_t* rgba, int stride) {
    const Unpremultiply& divide = unpremultiply();
    const QRect c = r.intersected(QRect(0, 0, frame.width(), frame.height()));
    const int bpp = frame.bytesPerPixel();
    for (int y = c.top(); y <= c.bottom(); ++y) {
        const std::uint8_t* p = frame.scanLine(y) + std::ptrdiff_t(c.left()) * bpp;
        const std::uint8_t* cov =
            coverage ? coverage + std::size_t(y) * frame.width() + c.left() : nullptr;
        std::uint8_t* out =
            rgba + std::ptrdiff_t(y - r.top()) * stride + std::ptrdiff_t(c.left() - r.left()) * 4;
        for (int x = 0; x < c.width(); ++x, p += bpp, out += 4) {
            const unsigned b = p[0], g = p[1], red = p[2];
            const unsigned a = std::max({red, g, b, cov ? unsigned(cov[x]) : 0u});
            if (a == 0) {
                std::memset(out, 0, 4);
                continue;
            }
            out[0] = divide(red, a);
            out[1] = divide(g, a);
            out[2] = divide(b, a);
            out[3] = std::uint8_t(a);
        }
    }
}

} // namespace velmora
