#pragma once
#include <cstdint>
#include <functional>

#include "model/page_record.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Color.h"

namespace velmora {

// What a movement reads of the playback window and the main window.
struct MoveContext {
    platform::Canvas* canvas = nullptr; // the playback window's canvas
    int screenWidth = 0;                // the screen's size (the system metrics)
    int screenHeight = 0;
    std::int32_t fadedelay = 0;                           // the page's delay value
    bool easySlowdown = false;                            // "Easy Slow down" checked
    std::int16_t rasterEffect = 0;                        // position of the "Effects ?" track bar
    std::int8_t screenBits = 24;                          // bits per pixel of the playback window
    platform::TColor stripBrushColor = platform::clBlack; // the fill of a fade-out
    // A fade-in places the strip of the title line (1..3) at the resting position.
    std::function<void(int titleNum, int x, int y)> setStripPos;
    // The line's in path for a move-in, its out path for a move-out (code 11); none: no move.
    const Path* path = nullptr;
};

// A straight movement (codes 1 to 8): the step along x and y, and whether x (codes 1 to 6) or y
// (7, 8) decides the loop.
struct Travel {
    int dx, dy;
    bool alongX;
};
Travel travelOf(std::int32_t dir);

struct Point64 {
    std::int64_t x, y;
};
// Where a move-in of codes 1 to 8 of a strip w x h resting at (x, y) starts on a stage sw x sh;
// the diagonal starts lie on the 45 degree line through the resting position.
Point64 moveInStart(std::int32_t dir, std::int64_t w, std::int64_t h, std::int64_t x,
                    std::int64_t y, std::int64_t sw, std::int64_t sh);
// Where a move-out of codes 1 to 8 ends (EndX, EndY).
Point64 moveOutEnd(std::int32_t dir, std::int64_t w, std::int64_t h, std::int64_t x,
                   std::int64_t y, std::int64_t sw, std::int64_t sh);

// The raster operation of a RasterEffect value; values outside 1..6 give SRCCOPY.
platform::CopyMode RasterOperation(std::int16_t rasterEffect);

// The fade routines for a window of `screenBits` bits per pixel.
using FadeRoutine = void (*)(platform::Canvas&, platform::Bitmap&, std::int32_t, platform::TColor,
                             int, int);
FadeRoutine FadeInFor(std::int8_t screenBits);
FadeRoutine FadeOutFor(std::int8_t screenBits);

// The fixed step delay: fadedelay units of 100 empty iterations.
void MoverDelay(std::int32_t fadedelay);
// The factor of the decelerating delay at `distance` pixels from the resting position:
// 100 div (distance + 1), so 0 from 100 pixels on. A negative distance counts by its size.
std::int32_t SlowdownFactor(std::int32_t distance);

// The thirteen movements of a title strip. The playback window owns one and forwards its
// DrawTheBitMapInDir and DrawTheBitMapOutDir to it. Every step copies the whole strip onto the
// canvas under the canvas's copy mode; nothing is erased between steps.
class Mover {
public:
    std::int32_t CurX = 0, CurY = 0; // position during a move-in
    std::int32_t EndX = 0, EndY = 0; // where a move-out ends; the path index for code 11

    // Moves the strip in by direction code Dir; on return it stands at (X, Y).
    void DrawTheBitMapInDir(const MoveContext& ctx, std::int32_t Dir, int Width, int Height, int X,
                            int Y, platform::Bitmap& Bitmap, std::int16_t TitleNum);
    // Moves the strip out from (X, Y) by direction code Dir.
    void DrawTheBitMapOutDir(const MoveContext& ctx, std::int32_t Dir, int Width, int Height, int X,
                             int Y, platform::Bitmap& Bitmap, std::int16_t TitleNum);
    // The decelerating step delay: SlowdownFactor(distance) * fadedelay units.
    void DMoverDelay(const MoveContext& ctx, std::int32_t distance);

private:
    void moveInStraight(const MoveContext& ctx, std::int32_t Dir, int Width, int Height, int X,
                        int Y, const platform::Bitmap& strip);
    void moveOutStraight(const MoveContext& ctx, std::int32_t Dir, int Width, int Height, int X,
                         int Y, const platform::Bitmap& strip);
};

} // namespace velmora
