#include "player/align_drawing.h"

#include <algorithm>
#include <cstdlib>

namespace velmora {

using platform::Canvas;
using platform::TColor;

TColor lineColor(int n) {
    static constexpr TColor colors[3] = {platform::clRed, platform::clWhite, platform::clBlue};
    return colors[(n - 1) % 3];
}

TColor alignFrameColor(int n) {
    return n == 1 ? platform::clRed : platform::clWhite;
}

void drawalign(Canvas& canvas, int width, int height, TColor color) {
    canvas.pen.color = color;
    canvas.brush.color = color;
    canvas.fillRect(0, 0, 6, 6);
    canvas.frameRect(0, 0, width, height);
    const int midX = width / 2, midY = height / 2;
    canvas.moveTo(midX, 0);
    canvas.lineTo(midX, 5);
    canvas.moveTo(midX, height);
    canvas.lineTo(midX, height - 5);
    canvas.moveTo(0, midY);
    canvas.lineTo(5, midY);
    canvas.moveTo(width, midY);
    canvas.lineTo(width - 5, midY);
}

std::array<QLine, 2> grid1Lines(int w, int h) {
    return {QLine(w / 2, 0, w / 2, h), QLine(0, h / 2, w, h / 2)};
}

std::array<QLine, 4> grid2Lines(int sw, int sh, int w, int h) {
    const int x = sw / 3, y = h / 3;
    return {QLine(x, 0, x, sh), QLine(x * 2, 0, x * 2, sh), QLine(0, y, w, y),
            QLine(0, y * 2, w, y * 2)};
}

namespace {

// A slot's coordinate stays within 0..65535 whatever the pointer does.
std::uint16_t stepCoordinate(std::uint16_t from, int to) {
    if (from < to && from < 0xFFFF) return std::uint16_t(from + 1);
    if (from > to && from > 0) return std::uint16_t(from - 1);
    return from;
}

} // namespace

PathPoint stepToward(PathPoint previous, int x, int y) {
    return {stepCoordinate(previous.x, x), stepCoordinate(previous.y, y)};
}

PathMove advancePath(Path& path, std::int32_t limit) {
    limit = std::clamp(limit, std::int32_t(0), std::int32_t(MaxPathPoints - 1));
    path.LastIndex = std::max(path.LastIndex, std::int32_t(-1));
    if (path.LastIndex >= limit) return PathMove::Full;
    ++path.LastIndex;
    if (path.LastIndex == 0) return PathMove::First;
    return path.LastIndex < limit ? PathMove::Step : PathMove::Full;
}

void DrawTpath(Canvas& canvas, int x, int y, TColor color) {
    canvas.setPixel(x, y, color);
    canvas.setPixel(x + 1, y, color);
    canvas.setPixel(x - 1, y, color);
    canvas.setPixel(x, y + 1, color);
    canvas.setPixel(x, y - 1, color);
}

namespace {

// Paints point i of a path as its line shows it: on a scaled screen a step of one stage pixel is
// a line of as many output pixels between the two points, so the point takes the line's pixels
// towards the next one; a point without a next step, or a jump, is its own pixel.
void paintPoint(Canvas& canvas, const Path& path, std::int32_t i, std::int32_t count, TColor c) {
    const PathPoint p = path.Points[i];
    canvas.setPixel(p.x, p.y, c);
    if (i + 1 >= count) return;
    const PathPoint q = path.Points[i + 1];
    if (std::abs(q.x - p.x) > 1 || std::abs(q.y - p.y) > 1) return;
    const platform::Pen pen = canvas.pen;
    const QPoint at = canvas.penPos();
    canvas.pen = {c, platform::PenStyle::Solid, pen.width};
    canvas.moveTo(p.x, p.y);
    canvas.lineTo(q.x, q.y);
    canvas.pen = pen;
    canvas.moveTo(at.x(), at.y());
}

} // namespace

void ClearPath(Canvas& canvas, const Path& path, std::int32_t count) {
    count = std::min(count, std::int32_t(MaxPathPoints));
    for (std::int32_t i = 0; i < count; ++i) {
        DrawTpath(canvas, path.Points[i].x, path.Points[i].y, platform::clBlack);
        paintPoint(canvas, path, i, count, platform::clBlack);
    }
}

void PaintMarquee(Canvas& canvas, const Path& path, std::int32_t count, bool phase, TColor color) {
    std::int32_t i = phase ? 0 : 1;
    count = std::min(count, std::int32_t(MaxPathPoints));
    if (i >= count) return;
    const PathPoint first = path.Points[i];
    const bool black = (canvas.pixel(first.x, first.y) & 0xFFFFFF) == 0;
    const TColor a = black ? color : platform::clBlack;
    const TColor b = black ? platform::clBlack : color;
    for (; i < count - 1; i += 2) {
        paintPoint(canvas, path, i, count, a);
        paintPoint(canvas, path, i + 1, count, b);
    }
}

void drawPathLines(Canvas& canvas, const Path& path) {
    const std::int32_t count = std::min(path.LastIndex, std::int32_t(MaxPathPoints));
    if (count <= 0) return;
    canvas.moveTo(path.Points[0].x, path.Points[0].y);
    for (std::int32_t i = 0; i < count; ++i)
        canvas.lineTo(path.Points[i].x, path.Points[i].y);
}

} // namespace velmora

