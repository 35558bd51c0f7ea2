#include "platform/StageView.h"

#include <algorithm>
#include <limits>

namespace velmora::platform {

namespace {

// a / b rounded towards minus infinity, b > 0.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int clampToInt(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min() / 2,
                                        std::numeric_limits<int>::max() / 2));
}

} // namespace

StageView StageView::fit(int stageWidth, int stageHeight, int outWidth, int outHeight) {
    StageView v;
    if (stageWidth <= 0 || stageHeight <= 0 || outWidth <= 0 || outHeight <= 0) {
        v.stageWidth = std::max(0, outWidth);
        v.stageHeight = std::max(0, outHeight);
        return v;
    }
    v.stageWidth = stageWidth;
    v.stageHeight = stageHeight;
    // The tighter of the two sides sets the scale: outWidth / stageWidth against
    // outHeight / stageHeight, compared without rounding.
    if (std::int64_t(outWidth) * stageHeight <= std::int64_t(outHeight) * stageWidth) {
        v.num = outWidth;
        v.den = stageWidth;
    } else {
        v.num = outHeight;
        v.den = stageHeight;
    }
    if (v.num == v.den) v.num = v.den = 1;
    v.left = (outWidth - v.length(stageWidth)) / 2;
    v.top = (outHeight - v.length(stageHeight)) / 2;
    return v;
}

StageView StageView::scaled(int stageWidth, int stageHeight, std::int64_t num, std::int64_t den) {
    StageView v;
    v.stageWidth = stageWidth;
    v.stageHeight = stageHeight;
    if (num > 0 && den > 0 && num != den) {
        v.num = num;
        v.den = den;
    }
    return v;
}

int StageView::length(std::int64_t n) const {
    if (num == den) return clampToInt(n);
    // Stage lengths are bounded well below 2^31 and num, den below 2^15 by the callers' sizes;
    // the product stays inside 64 bits.
    return clampToInt(floorDiv(2 * n * num + den, 2 * den));
}

QPoint StageView::toStage(QPoint out) const {
    if (num == den) return {out.x() - left, out.y() - top};
    // The stage pixel whose mapped place is nearest: the inverse of length's rounding.
    auto back = [this](std::int64_t o) { return clampToInt(floorDiv(2 * o * den + num, 2 * num)); };
    return {back(std::int64_t(out.x()) - left), back(std::int64_t(out.y()) - top)};
}

} // namespace velmora::platform
