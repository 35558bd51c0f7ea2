#include "player/movement.h"

#include <algorithm>

#include "platform/Clock.h"
#include "render/effects.h"

namespace velmora {

using platform::Bitmap;
using platform::Canvas;
using platform::CopyMode;

namespace {

// 100 empty iterations make one delay unit.
constexpr std::uint64_t IterationsPerUnit = 100;

void spinUnits(std::int64_t units) {
    if (units > 0) platform::clock().spin(IterationsPerUnit * std::uint64_t(units));
}

// The number of points to draw, at most the path's capacity.
std::int32_t pointCount(std::int32_t k) {
    return std::clamp(k, 0, MaxPathPoints);
}

} // namespace

// A straight movement: the step along x and y, and whether x (codes 1 to 6) or y (7, 8)
// decides the loop.
namespace {
constexpr Travel Travels[8] = {
    {+1, +1, true}, {-1, -1, true}, {+1, -1, true}, {-1, +1, true},
    {+1, 0, true},  {-1, 0, true},  {0, +1, false}, {0, -1, false},
};
} // namespace

Travel travelOf(std::int32_t dir) {
    return Travels[dir - 1];
}

// Where a move-in of codes 1 to 8 starts; the diagonal starts lie on the 45 degree line through
// the resting position.
Point64 moveInStart(std::int32_t dir, std::int64_t w, std::int64_t h, std::int64_t x,
                    std::int64_t y, std::int64_t sw, std::int64_t sh) {
    switch (dir) {
    case 1:
        return {-w, y - (x + w)};
    case 2:
        return {sw, y + (sw - x)};
    case 3:
        return {-w, y + (x + w)};
    case 4:
        return {sw + 1, y - (sw + 1 - x)};
    case 5:
        return {-w, y};
    case 6:
        return {sw, y};
    case 7:
        return {x, -h};
    default:
        return {x, sh}; // 8
    }
}

// Where a move-out of codes 1 to 8 ends (EndX, EndY).
Point64 moveOutEnd(std::int32_t dir, std::int64_t w, std::int64_t h, std::int64_t x, std::int64_t y,
                   std::int64_t sw, std::int64_t sh) {
    switch (dir) {
    case 1:
        return {sw + 1, sh + 1};
    case 2:
        return {-w, -h};
    case 3:
        return {sw + 1, -h};
    case 4:
        return {-w, sh};
    case 5:
        return {sw, y};
    case 6:
        return {-w, y};
    case 7:
        return {x, sh};
    default:
        return {x, -h}; // 8
    }
}

CopyMode RasterOperation(std::int16_t rasterEffect) {
    static constexpr CopyMode Ops[7] = {
        CopyMode::SrcCopy,  CopyMode::NotSrcCopy, CopyMode::NotSrcErase, CopyMode::PatPaint,
        CopyMode::SrcErase, CopyMode::SrcInvert,  CopyMode::SrcPaint};
    return rasterEffect > 0 && rasterEffect <= 6 ? Ops[rasterEffect] : CopyMode::SrcCopy;
}

FadeRoutine FadeInFor(std::int8_t screenBits) {
    return screenBits >= 32 ? &effects::FadeIn32 : &effects::FadeIn24;
}

FadeRoutine FadeOutFor(std::int8_t screenBits) {
    return screenBits >= 32 ? &effects::FadeOut32 : &effects::FadeOut24;
}

void MoverDelay(std::int32_t fadedelay) {
    spinUnits(fadedelay);
}

// The distance is a number of pixels; a negative one (a position past the resting place) counts
// by its size, which also keeps d + 1 from being 0.
std::int32_t SlowdownFactor(std::int32_t distance) {
    const std::int64_t d = distance < 0 ? -std::int64_t(distance) : std::int64_t(distance);
    return std::int32_t(100 / (d + 1));
}

void Mover::DMoverDelay(const MoveContext& ctx, std::int32_t distance) {
    spinUnits(std::int64_t(SlowdownFactor(distance)) * ctx.fadedelay);
}

void Mover::moveInStraight(const MoveContext& ctx, std::int32_t Dir, int Width, int Height, int X,
                           int Y, const Bitmap& strip) {
    const Travel t = travelOf(Dir);
    const Point64 start = moveInStart(Dir, Width, Height, X, Y, ctx.screenWidth, ctx.screenHeight);
    std::int64_t x = start.x, y = start.y;
    // The loop runs on the deciding axis towards the resting position, up to and including it.
    const int step = t.alongX ? t.dx : t.dy;
    const std::int64_t rest = t.alongX ? X : Y;
    auto along = [&] { return t.alongX ? x : y; };
    CurX = std::int32_t(x);
    CurY = std::int32_t(y);
    while ((along() - rest) * step <= 0) {
        ctx.canvas->draw(int(x), int(y), strip);
        const std::int64_t distance = (rest - along()) * step;
        x += t.dx;
        y += t.dy;
        CurX = std::int32_t(x);
        CurY = std::int32_t(y);
        if (ctx.easySlowdown)
            DMoverDelay(ctx, std::int32_t(distance));
        else
            MoverDelay(ctx.fadedelay);
    }
}

void Mover::moveOutStraight(const MoveContext& ctx, std::int32_t Dir, int Width, int Height, int X,
                            int Y, const Bitmap& strip) {
    const Travel t = travelOf(Dir);
    const Point64 end = moveOutEnd(Dir, Width, Height, X, Y, ctx.screenWidth, ctx.screenHeight);
    EndX = std::int32_t(end.x);
    EndY = std::int32_t(end.y);
    std::int64_t x = X, y = Y;
    // Only the deciding coordinate is tested, also for the diagonals.
    const int step = t.alongX ? t.dx : t.dy;
    const std::int64_t limit = t.alongX ? end.x : end.y;
    auto along = [&] { return t.alongX ? x : y; };
    while ((limit - along()) * step > 0) {
        ctx.canvas->draw(int(x), int(y), strip);
        x += t.dx;
        y += t.dy;
        MoverDelay(ctx.fadedelay);
    }
}

void Mover::DrawTheBitMapInDir(const MoveContext& ctx, std::int32_t Dir, int Width, int Height,
                               int X, int Y, Bitmap& Bitmap, std::int16_t TitleNum) {
    Canvas& canvas = *ctx.canvas;
    canvas.copyMode = RasterOperation(ctx.rasterEffect);
    if (Dir >= 1 && Dir <= 8) {
        moveInStraight(ctx, Dir, Width, Height, X, Y, Bitmap);
        return;
    }
    switch (Dir) {
    case 9: { // stretch open from the left edge of the resting place, 2 pixels a step
        CurX = X;
        CurY = Y;
        canvas.copyMode = CopyMode::SrcCopy;
        while (CurX < X + Width) {
            canvas.stretchDraw(X, Y, CurX, Y + Height, Bitmap);
            CurX += 2;
            MoverDelay(ctx.fadedelay);
        }
        canvas.copyMode = CopyMode::SrcCopy;
        CurX = X - 1;
        break;
    }
    case 10: { // the same from the right edge, leftwards
        CurX = X;
        CurY = Y;
        canvas.copyMode = CopyMode::SrcCopy;
        for (int left = X + Width; left > X; left -= 2) {
            canvas.stretchDraw(left, Y, X + Width, Y + Height, Bitmap);
            MoverDelay(ctx.fadedelay);
        }
        break;
    }
    case 11: { // every point of the line's in path; the resting position plays no part
        const Path* path = ctx.path;
        if (!path) break;
        const std::int32_t k = pointCount(path->LastIndex);
        for (std::int32_t i = 0; i < k; ++i) {
            canvas.draw(path->Points[i].x, path->Points[i].y, Bitmap);
            MoverDelay(ctx.fadedelay);
        }
        break;
    }
    case 12:
        CurX = X;
        CurY = Y;
        if (ctx.setStripPos) ctx.setStripPos(TitleNum, X, Y);
        FadeInFor(ctx.screenBits)(canvas, Bitmap, ctx.fadedelay, ctx.stripBrushColor, X, Y);
        break;
    case 13:
        canvas.draw(X, Y, Bitmap);
        break;
    default:
        break; // no movement known: nothing is drawn
    }
}

void Mover::DrawTheBitMapOutDir(const MoveContext& ctx, std::int32_t Dir, int Width, int Height,
                                int X, int Y, Bitmap& Bitmap, std::int16_t /*TitleNum*/) {
    // A move-out keeps the copy mode that the move-in left.
    Canvas& canvas = *ctx.canvas;
    if (Dir >= 1 && Dir <= 8) {
        moveOutStraight(ctx, Dir, Width, Height, X, Y, Bitmap);
        return;
    }
    switch (Dir) {
    case 9: // a copy growing from the left edge over the standing strip, 1 pixel a step
        EndX = X;
        EndY = Y;
        for (int right = X; right < X + Width; ++right) {
            canvas.stretchDraw(X, Y, right, Y + Height, Bitmap);
            MoverDelay(ctx.fadedelay);
        }
        break;
    case 10: // the same from the right edge
        EndX = X + Width;
        EndY = Y;
        while (X < EndX) {
            canvas.stretchDraw(EndX, Y, X + Width, Y + Height, Bitmap);
            EndX -= 1;
            MoverDelay(ctx.fadedelay);
        }
        break;
    case 11: { // the out path without its last point
        const Path* path = ctx.path;
        if (!path) break;
        const std::int32_t k = pointCount(path->LastIndex);
        for (EndX = 0; EndX < k - 1; ++EndX) {
            canvas.draw(path->Points[EndX].x, path->Points[EndX].y, Bitmap);
            MoverDelay(ctx.fadedelay);
        }
        break;
    }
    case 12:
        FadeOutFor(ctx.screenBits)(canvas, Bitmap, ctx.fadedelay, ctx.stripBrushColor, X, Y);
        break;
    case 13:
        canvas.draw(X, Y, Bitmap);
        break;
    default:
        break;
    }
}

} // namespace velmora
