#pragma once
#include <cstdint>
#include <QPoint>
#include <QRect>

namespace velmora::platform {

// Where the project's stage lands on an output: the stage, its pages' own pixels, scaled
// uniformly by num/den and placed with its top-left corner at (left, top). Stage coordinate x
// lands at left + x * num / den, rounded half up; so does every length. The output outside
// the stage's area stays black.
struct StageView {
    int stageWidth = 0, stageHeight = 0;
    std::int64_t num = 1, den = 1; // output pixels per stage pixel, num / den
    int left = 0, top = 0;

    // The stage as large as fits the output, centred; a stage or an output without pixels
    // gives the output itself at scale 1.
    static StageView fit(int stageWidth, int stageHeight, int outWidth, int outHeight);
    // The stage drawn at num / den from the output's corner: a strip drawn at a scale.
    static StageView scaled(int stageWidth, int stageHeight, std::int64_t num, std::int64_t den);

    bool isIdentity() const { return num == den && left == 0 && top == 0; }
    double scale() const { return double(num) / double(den); }

    // A length in stage pixels on the output.
    int length(std::int64_t n) const;
    int x(std::int64_t sx) const { return left + length(sx); }
    int y(std::int64_t sy) const { return top + length(sy); }
    QPoint map(QPoint p) const { return {x(p.x()), y(p.y())}; }
    // The stage's area on the output.
    QRect area() const { return {left, top, length(stageWidth), length(stageHeight)}; }
    // The stage pixel an output pixel shows (outside the area too, extended).
    QPoint toStage(QPoint out) const;

    bool operator==(const StageView&) const = default;
};

} // namespace velmora::platform
