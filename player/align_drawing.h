#pragma once
#include <array>
#include <cstdint>
#include <QLine>
#include <QPoint>
#include <vector>

#include "model/page_record.h"
#include "platform/Canvas.h"
#include "platform/Color.h"

// What the align screen draws and records, without its window: the strip frames, the guide
// grids, the path points and their crawling dots.
namespace velmora {

// The colour of line n (1..3) beside its edit box and for its paths: red, white, blue.
platform::TColor lineColor(int n);
// The frame colour of line n's strip on the align screen: red for line 1, white for the others.
platform::TColor alignFrameColor(int n);

// Frames a strip for the align screen: a 6 x 6 square in the top-left corner, a one-pixel
// border, and a tick of 5 pixels pointing inwards from the middle of each edge.
void drawalign(platform::Canvas& canvas, int width, int height, platform::TColor color);

// The centre cross over a window of w x h.
std::array<QLine, 2> grid1Lines(int w, int h);
// The thirds: vertical lines at the screen's thirds (sw x sh), horizontal ones at the window's.
std::array<QLine, 4> grid2Lines(int sw, int sh, int w, int h);
// The guide grids' pen colour.
constexpr platform::TColor GridColor = 0x404040;

// One recording step: the point one pixel from `previous` towards the pointer, horizontally,
// vertically or diagonally; `previous` itself once the pointer is reached.
PathPoint stepToward(PathPoint previous, int x, int y);
// A point as the page file stores a slot: x in the low 16 bits, y in the high 16 bits.
constexpr std::uint32_t packPoint(PathPoint p) {
    return std::uint32_t(p.x) | (std::uint32_t(p.y) << 16);
}

// What one recorded mouse move does to a path. The counter moves on by one while it is below
// `limit`: to 0, the move stores the pointer itself at slot 0 (First); below the limit, the step
// towards the pointer at the slot the counter names (Step); on reaching the limit nothing is
// stored and the counter stays there (Full). A counter below -1 starts afresh; the limit is
// kept within the slots.
enum class PathMove { Full, First, Step };
PathMove advancePath(Path& path, std::int32_t limit);

// A small plus sign: five pixels at (x, y) and its four neighbours.
void DrawTpath(platform::Canvas& canvas, int x, int y, platform::TColor color);

// Paints the first `count` points of a path black where they and their crawling dots show.
void ClearPath(platform::Canvas& canvas, const Path& path, std::int32_t count);

// Paints the first `count` points of a path alternately in the colour and in black, starting
// with point 0 when `phase` is set, else with point 1; the pattern is flipped against what the
// first painted point shows now, so the dots crawl along from tick to tick.
void PaintMarquee(platform::Canvas& canvas, const Path& path, std::int32_t count, bool phase,
                  platform::TColor color);

// The lines through the points a path uses (0 .. LastIndex - 1) in the canvas's pen.
void drawPathLines(platform::Canvas& canvas, const Path& path);

// Whether a path is long enough to be shown on the align screen: more than one point used.
inline bool pathShown(const Path& path) {
    return path.LastIndex > 1;
}

} // namespace velmora
