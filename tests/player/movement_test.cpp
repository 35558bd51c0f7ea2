#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

#include "model/page_record.h"
#include "player/movement.h"
#include "render/effects.h"
#include "test_support.h"

namespace {

using platform::Bitmap;
using platform::CopyMode;
using platform::CopyRecord;
using platform::PixelFormat;
using platform::TColor;
using velmora::Mover;

constexpr int SW = 640, SH = 480;
using Pos = std::pair<int, int>;

// A strip with a black margin and a few coloured pixels, as a rendered line looks.
Bitmap makeStrip(int w, int h) {
    Bitmap b(w, h, PixelFormat::Bits32);
    for (int y = 2; y < h - 2; ++y)
        for (int x = 2; x < w - 2; x += 3)
            b.setPixel(x, y, 0x3060C0 + TColor(x));
    return b;
}

class Movement : public ::testing::Test {
protected:
    void SetUp() override {
        canvas.setObserver([this](const CopyRecord& r) {
            copies.push_back(r);
            spinsAtCopy.push_back(seams.clock.spins.size());
        });
        ctx.canvas = &canvas;
        ctx.screenWidth = SW;
        ctx.screenHeight = SH;
        ctx.screenBits = 32;
    }
    // The line's in path goes with a move-in, its out path with a move-out; withPaths false
    // gives the movement none.
    void in(std::int32_t dir, int x, int y, std::int16_t title = 1) {
        ctx.path = withPaths ? &inPath : nullptr;
        mover.DrawTheBitMapInDir(ctx, dir, strip.width(), strip.height(), x, y, strip, title);
    }
    void out(std::int32_t dir, int x, int y, std::int16_t title = 1) {
        ctx.path = withPaths ? &outPath : nullptr;
        mover.DrawTheBitMapOutDir(ctx, dir, strip.width(), strip.height(), x, y, strip, title);
    }
    std::vector<Pos> positions() const {
        std::vector<Pos> p;
        for (const auto& r : copies)
            p.push_back({r.x, r.y});
        return p;
    }
    void clear() {
        copies.clear();
        spinsAtCopy.clear();
        seams.clock.spins.clear();
    }

    testsupport::Seams seams;
    Bitmap screen{SW, SH, PixelFormat::Bits32};
    platform::Canvas canvas{screen};
    Bitmap strip = makeStrip(50, 20);
    velmora::MoveContext ctx;
    velmora::Path inPath, outPath;
    bool withPaths = true;
    Mover mover;
    std::vector<CopyRecord> copies;
    std::vector<std::size_t> spinsAtCopy; // spins recorded before each copy
};

// The strip is 50 x 20, the resting position (100, 200), the screen 640 x 480. Each step moves
// (dx, dy); a move-in starts on its edge and ends at rest, a move-out starts at rest. Code 1
// comes in from (-50, 50) in 151 copies; code 6 goes out to x = -49 in 150.
TEST_F(Movement, EveryStraightCodeInAndOut) {
    const int X = 100, Y = 200;
    const struct {
        int code, dx, dy;
        Pos start;
        int inCount, outCount;
        Pos end; // EndX, EndY
    } codes[] = {
        {1, 1, 1, {-50, 50}, 151, 541, {641, 481}},
        {2, -1, -1, {640, 740}, 541, 150, {-50, -20}},
        {3, 1, -1, {-50, 350}, 151, 541, {641, -20}},
        {4, -1, 1, {641, -341}, 542, 150, {-50, 480}},
        {5, 1, 0, {-50, 200}, 151, 540, {640, 200}},
        {6, -1, 0, {640, 200}, 541, 150, {-50, 200}},
        {7, 0, 1, {100, -20}, 221, 280, {100, 480}},
        {8, 0, -1, {100, 480}, 281, 220, {100, -20}},
    };
    ctx.fadedelay = 7;
    for (const auto& c : codes) {
        SCOPED_TRACE(c.code);
        std::vector<Pos> want;
        for (int i = 0; i < c.inCount; ++i)
            want.push_back({c.start.first + i * c.dx, c.start.second + i * c.dy});
        ASSERT_EQ(want.back(), Pos(X, Y));
        for (int i = 0; i < c.outCount; ++i)
            want.push_back({X + i * c.dx, Y + i * c.dy});
        clear();
        in(c.code, X, Y);
        EXPECT_EQ(Pos(mover.CurX, mover.CurY), Pos(X + c.dx, Y + c.dy));
        out(c.code, X, Y);
        EXPECT_EQ(positions(), want);
        EXPECT_EQ(Pos(mover.EndX, mover.EndY), c.end);
        // One wait of fadedelay units after every copy, in and out.
        for (std::size_t i = 0; i < copies.size(); ++i)
            ASSERT_EQ(spinsAtCopy[i], i);
        EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>(copies.size(), 700));
    }
}

// Copy i of a stretch covers (x0 + i * xStep, 40) to width i * wStep, height 20.
TEST_F(Movement, StretchCodes) {
    const struct {
        bool in;
        int code, width, count, x0, xStep, wStep;
        int after; // CurX after a move-in, EndX after a move-out
    } cases[] = {
        {true, 9, 101, 51, 30, 0, 2, 29},    {true, 9, 50, 25, 30, 0, 2, 29}, // even: 2 short
        {true, 10, 101, 51, 131, -2, 2, 30}, {false, 9, 50, 50, 30, 0, 1, 30},
        {false, 10, 50, 50, 80, -1, 1, 30},
    };
    ctx.rasterEffect = 5; // a stretch in always copies
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.in ? "in " : "out ") << c.code << " " << c.width);
        clear();
        strip = makeStrip(c.width, 20);
        c.in ? in(c.code, 30, 40) : out(c.code, 30, 40);
        ASSERT_EQ(int(copies.size()), c.count);
        for (int i = 0; i < c.count; ++i) {
            const CopyRecord& r = copies[i];
            EXPECT_EQ(std::tuple(r.x, r.y, r.w, r.h),
                      std::tuple(c.x0 + i * c.xStep, 40, i * c.wStep, 20));
            EXPECT_TRUE(r.stretched && r.mode == CopyMode::SrcCopy);
        }
        EXPECT_EQ(c.in ? Pos(mover.CurX, mover.CurY) : Pos(mover.EndX, mover.EndY),
                  Pos(c.after, 40));
    }
}

TEST_F(Movement, PathsOfLastIndexFiveDrawFiveInAndFourOut) {
    for (int i = 0; i < 6; ++i) {
        inPath.Points[i] = {std::uint16_t(10 + 7 * i), std::uint16_t(300 - 5 * i)};
        outPath.Points[i] = {std::uint16_t(400 + i), std::uint16_t(20 * i)};
    }
    const std::vector<Pos> want = {{10, 300}, {17, 295}, {24, 290}, {31, 285}, {38, 280},
                                   {400, 0},  {401, 20}, {402, 40}, {403, 60}};
    inPath.LastIndex = outPath.LastIndex = 5;
    ctx.fadedelay = 2;
    in(11, 100, 200, 2);
    out(11, 100, 200, 2);
    EXPECT_EQ(positions(), want);
    EXPECT_EQ(mover.EndX, 4);
    EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>(9, 200));

    // No path, and a single point on the way out, draw nothing.
    clear();
    withPaths = false;
    in(11, 100, 200, 2);
    out(11, 100, 200, 2);
    withPaths = true;
    inPath.LastIndex = outPath.LastIndex = 1;
    in(11, 100, 200, 2);
    out(11, 100, 200, 2);
    EXPECT_EQ(positions(), std::vector<Pos>{Pos(10, 300)});
}

TEST_F(Movement, FadesInAndOutInThirtyThreeFrames) {
    std::vector<std::vector<int>> placed;
    ctx.setStripPos = [&](int t, int x, int y) { placed.push_back({t, x, y}); };
    ctx.fadedelay = 2;
    ctx.stripBrushColor = 0x00203040;
    in(12, 120, 130, 3);
    EXPECT_EQ(placed, (std::vector<std::vector<int>>{{3, 120, 130}}));
    EXPECT_EQ(positions(), std::vector<Pos>(33, Pos(120, 130)));
    EXPECT_EQ(Pos(mover.CurX, mover.CurY), Pos(120, 130));
    // Fade frames wait FadeStepDelay(fadedelay): two passes of two iterations.
    EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>(66, 2));
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            ASSERT_EQ(screen.pixel(120 + x, 130 + y), strip.pixel(x, y));

    // The fade-out ends with the strip's area in the brush colour where the strip is black.
    out(12, 120, 130);
    ASSERT_EQ(copies.size(), 66u);
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            ASSERT_EQ(screen.pixel(120 + x, 130 + y), strip.pixel(x, y) == 0 ? 0x203040u : 0u);
}

TEST(FadeChoice, ThirtyTwoBitRoutinesFromThirtyTwoBitsPerPixel) {
    for (std::int8_t bits : {32, 24, 16, 0}) {
        EXPECT_EQ(velmora::FadeInFor(bits), bits == 32 ? &effects::FadeIn32 : &effects::FadeIn24);
        EXPECT_EQ(velmora::FadeOutFor(bits),
                  bits == 32 ? &effects::FadeOut32 : &effects::FadeOut24);
    }
}

TEST_F(Movement, StillCodeCopiesOnceOthersOutsideOneToThirteenNothing) {
    ctx.fadedelay = 9;
    in(13, 70, 80);
    out(13, 70, 80);
    EXPECT_EQ(positions(), std::vector<Pos>(2, Pos(70, 80)));
    EXPECT_TRUE(seams.clock.spins.empty()); // code 13 never waits
    clear();
    for (int code : {0, 14, -1, 1000}) {
        in(code, 70, 80);
        out(code, 70, 80);
    }
    in(5, -80, 200); // starts at -50, already right of its resting place
    in(7, 100, -30); // starts at -20, already below it
    EXPECT_TRUE(copies.empty());
}

// ---- Delays -----------------------------------------------------------------------------------

TEST(MoverDelays, FixedAndDeceleratingDelays) {
    testsupport::Seams seams;
    for (std::int32_t d : {3, 0, -5, 6000})
        velmora::MoverDelay(d);
    EXPECT_EQ(seams.clock.spins, (std::vector<std::uint64_t>{300, 600000}));

    // 100 div (distance + 1); past the resting place the distance counts by its size.
    const std::pair<std::int32_t, std::int32_t> factors[] = {
        {0, 100}, {1, 50},  {2, 33},  {9, 10},        {99, 1},
        {100, 0}, {-1, 50}, {-99, 1}, {INT32_MAX, 0}, {INT32_MIN, 0}};
    Mover mover;
    velmora::MoveContext ctx;
    ctx.fadedelay = 3;
    for (const auto& [d, f] : factors) {
        EXPECT_EQ(velmora::SlowdownFactor(d), f) << d;
        seams.clock.spins.clear();
        mover.DMoverDelay(ctx, d);
        EXPECT_EQ(seams.clock.spins,
                  f ? std::vector<std::uint64_t>{300u * f} : std::vector<std::uint64_t>{})
            << d;
    }
}

TEST_F(Movement, EasySlowdown) {
    ctx.easySlowdown = true;
    ctx.fadedelay = 2;
    in(5, 300, 100); // from -50 to 300: full speed until the last hundred pixels
    ASSERT_EQ(copies.size(), 351u);
    EXPECT_EQ(spinsAtCopy[250], 0u); // no wait before the copy at x = 201
    std::vector<std::uint64_t> want;
    for (int d = 99; d >= 0; --d)
        want.push_back(200u * std::uint64_t(100 / (d + 1)));
    EXPECT_EQ(seams.clock.spins, want);
    EXPECT_EQ(seams.clock.spins.back(), 20000u);

    // The distance is measured along the deciding axis.
    ctx.fadedelay = 1;
    for (int code : {1, 2, 3, 4, 6, 7, 8}) {
        clear();
        in(code, 100, 200);
        want.clear();
        for (const auto& r : copies) {
            const int d = code <= 6 ? std::abs(100 - r.x) : std::abs(200 - r.y);
            if (d < 100) want.push_back(100u * std::uint64_t(100 / (d + 1)));
        }
        EXPECT_EQ(seams.clock.spins, want) << "code " << code;
    }
    // Other codes and move-outs keep the fixed delay.
    clear();
    ctx.fadedelay = 4;
    in(9, 100, 200);
    out(5, 100, 200);
    EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>(copies.size(), 400));
}

TEST_F(Movement, FadedelayZeroNeverSpins) {
    inPath.LastIndex = outPath.LastIndex = 3;
    for (bool easy : {false, true}) {
        ctx.easySlowdown = easy;
        for (int code = 1; code <= 13; ++code) {
            in(code, 100, 200);
            out(code, 100, 200);
        }
    }
    inPath.LastIndex = outPath.LastIndex = -1;
    EXPECT_GT(copies.size(), 1000u);
    EXPECT_TRUE(seams.clock.spins.empty());
    EXPECT_EQ(seams.clock.reads, 0u);
}

// ---- Raster operations ------------------------------------------------------------------------

TEST_F(Movement, MoveInsSetTheRasterOperationAndMoveOutsKeepIt) {
    const CopyMode ops[] = {CopyMode::SrcCopy,  CopyMode::NotSrcCopy, CopyMode::NotSrcErase,
                            CopyMode::PatPaint, CopyMode::SrcErase,   CopyMode::SrcInvert,
                            CopyMode::SrcPaint, CopyMode::SrcCopy};
    for (std::int16_t effect = 0; effect <= 7; ++effect) {
        EXPECT_EQ(velmora::RasterOperation(effect), ops[effect]) << effect;
        ctx.rasterEffect = effect;
        canvas.copyMode = CopyMode::Blackness;
        clear();
        in(5, 100, 200);
        EXPECT_EQ(canvas.copyMode, ops[effect]);
        for (const auto& r : copies)
            ASSERT_EQ(r.mode, ops[effect]);
    }
    EXPECT_EQ(velmora::RasterOperation(-1), CopyMode::SrcCopy);
    EXPECT_EQ(velmora::RasterOperation(32767), CopyMode::SrcCopy);
    canvas.copyMode = CopyMode::NotSrcCopy;
    clear();
    out(6, 100, 200);
    out(9, 100, 200);
    for (const auto& r : copies)
        ASSERT_EQ(r.mode, CopyMode::NotSrcCopy);
    EXPECT_EQ(canvas.copyMode, CopyMode::NotSrcCopy);
}

// With "Src Invert" every copy is combined with the screen, so the margins no longer erase the
// trail: each screen pixel ends as the exclusive-or of every strip pixel copied onto it.
TEST_F(Movement, SrcInvertLeavesTheTrailNormalWipesIt) {
    strip = makeStrip(12, 8);
    ctx.rasterEffect = 5;
    screen.fill(0x00010203);
    in(5, 40, 30);
    ASSERT_EQ(copies.size(), 53u);
    Bitmap expected(SW, SH, PixelFormat::Bits32);
    expected.fill(0x00010203);
    for (const auto& r : copies)
        for (int y = 0; y < strip.height(); ++y)
            for (int x = std::max(0, -r.x); x < strip.width(); ++x)
                expected.setPixel(r.x + x, r.y + y,
                                  expected.pixel(r.x + x, r.y + y) ^ strip.pixel(x, y));
    int trail = 0;
    for (int y = 30; y < 38; ++y)
        for (int x = 0; x < 52; ++x) {
            ASSERT_EQ(screen.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
            if (x < 40 && screen.pixel(x, y) != 0x010203u) ++trail;
        }
    EXPECT_GT(trail, 0);

    screen.fill(0x00010203);
    ctx.rasterEffect = 0;
    in(5, 40, 30);
    for (int y = 30; y < 38; ++y)
        for (int x = 0; x < 52; ++x)
            ASSERT_EQ(screen.pixel(x, y), x < 40 ? 0u : strip.pixel(x - 40, y - 30))
                << x << "," << y;
}

} // namespace
