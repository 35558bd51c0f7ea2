#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

#include "main/page_record.h"
#include "playback/movement.h"
#include "render/effects.h"
#include "test_support.h"

namespace {

using platform::Bitmap;
using platform::Canvas;
using platform::CopyMode;
using platform::CopyRecord;
using platform::PixelFormat;
using platform::TColor;
using velmora::MoveContext;
using velmora::Mover;

constexpr int SW = 640, SH = 480;

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
        ctx.fadedelay = 0;
        ctx.screenBits = 32;
    }
    void in(std::int32_t dir, int x, int y, std::int16_t title = 1) {
        mover.DrawTheBitMapInDir(ctx, dir, strip.width(), strip.height(), x, y, strip, title);
    }
    void out(std::int32_t dir, int x, int y, std::int16_t title = 1) {
        mover.DrawTheBitMapOutDir(ctx, dir, strip.width(), strip.height(), x, y, strip, title);
    }

    testsupport::Seams seams;
    Bitmap screen{SW, SH, PixelFormat::Bits32};
    Canvas canvas{screen};
    Bitmap strip = makeStrip(50, 20);
    MoveContext ctx;
    Mover mover;
    std::vector<CopyRecord> copies;
    std::vector<std::size_t> spinsAtCopy; // spins recorded before each copy
};

// ---- The examples -----------------------------------------------------------------------------

TEST_F(Movement, DiagonalInFromTheUpperLeftEndsAtTheRestingPosition) {
    in(1, 100, 200);
    ASSERT_EQ(copies.size(), 151u);
    EXPECT_EQ(copies.front().x, -50);
    EXPECT_EQ(copies.front().y, 50);
    EXPECT_EQ(copies.back().x, 100);
    EXPECT_EQ(copies.back().y, 200);
    for (std::size_t i = 1; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].x - copies[i - 1].x, 1);
        EXPECT_EQ(copies[i].y - copies[i - 1].y, 1);
        EXPECT_FALSE(copies[i].stretched);
    }
    EXPECT_EQ(mover.CurX, 101);
    EXPECT_EQ(mover.CurY, 201);
}

TEST_F(Movement, LeftwardsOutCopiesFromTheRestingPositionUntilTheStripIsGone) {
    out(6, 100, 200);
    ASSERT_EQ(copies.size(), 150u);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].x, 100 - int(i));
        EXPECT_EQ(copies[i].y, 200);
    }
    EXPECT_EQ(copies.back().x, -49);
    EXPECT_EQ(mover.EndX, -50);
    EXPECT_EQ(mover.EndY, 200);
}

TEST_F(Movement, StretchInFromTheLeftOpensTwoPixelsAStep) {
    strip = makeStrip(101, 20);
    ctx.rasterEffect = 5; // a stretch always copies
    in(9, 30, 40);
    ASSERT_EQ(copies.size(), 51u);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_TRUE(copies[i].stretched);
        EXPECT_EQ(copies[i].x, 30);
        EXPECT_EQ(copies[i].y, 40);
        EXPECT_EQ(copies[i].w, 2 * int(i));
        EXPECT_EQ(copies[i].h, 20);
        EXPECT_EQ(copies[i].mode, CopyMode::SrcCopy);
    }
    EXPECT_EQ(copies.back().w, 100);
    EXPECT_EQ(mover.CurX, 29);
    EXPECT_EQ(mover.CurY, 40);
    EXPECT_EQ(canvas.copyMode, CopyMode::SrcCopy);
    // An even width ends two pixels short.
    strip = makeStrip(50, 20);
    copies.clear();
    in(9, 30, 40);
    ASSERT_EQ(copies.size(), 25u);
    EXPECT_EQ(copies.back().w, 48);
}

TEST_F(Movement, StretchInFromTheRightOpensLeftwards) {
    strip = makeStrip(101, 20);
    in(10, 30, 40);
    ASSERT_EQ(copies.size(), 51u);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].x, 131 - 2 * int(i));
        EXPECT_EQ(copies[i].x + copies[i].w, 131); // anchored at the right edge
        EXPECT_EQ(copies[i].w, 2 * int(i));
        EXPECT_TRUE(copies[i].stretched);
    }
    EXPECT_EQ(mover.CurX, 30);
}

TEST_F(Movement, StretchOutsGrowOnePixelAStep) {
    out(9, 30, 40);
    ASSERT_EQ(copies.size(), 50u);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].x, 30);
        EXPECT_EQ(copies[i].w, int(i));
    }
    EXPECT_EQ(mover.EndX, 30);
    EXPECT_EQ(mover.EndY, 40);

    copies.clear();
    out(10, 30, 40);
    ASSERT_EQ(copies.size(), 50u);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].x, 80 - int(i));
        EXPECT_EQ(copies[i].w, int(i));
    }
    EXPECT_EQ(mover.EndX, 30);
}

// ---- Every straight code ----------------------------------------------------------------------

struct Straight {
    int code;
    int startX, startY; // first copy of the move-in
    int outEndX, outEndY;
    int inCount, outCount;
    int outLastX, outLastY;
};

// The strip is 50 x 20, the resting position (100, 200), the screen 640 x 480.
std::vector<Straight> straightCodes() {
    const int W = 50, H = 20, X = 100, Y = 200;
    return {
        {1, -W, Y - (X + W), SW + 1, SH + 1, X + W + 1, SW + 1 - X, SW, Y + (SW - X)},
        {2, SW, Y + (SW - X), -W, -H, SW - X + 1, X + W, -W + 1, Y - (X + W - 1)},
        {3, -W, Y + (X + W), SW + 1, -H, X + W + 1, SW + 1 - X, SW, Y - (SW - X)},
        {4, SW + 1, Y - (SW + 1 - X), -W, SH, SW + 1 - X + 1, X + W, -W + 1, Y + (X + W - 1)},
        {5, -W, Y, SW, Y, X + W + 1, SW - X, SW - 1, Y},
        {6, SW, Y, -W, Y, SW - X + 1, X + W, -W + 1, Y},
        {7, X, -H, X, SH, Y + H + 1, SH - Y, X, SH - 1},
        {8, X, SH, X, -H, SH - Y + 1, Y + H, X, -H + 1},
    };
}

TEST_F(Movement, EveryStraightCodeInStartsOnItsEdgeAndEndsAtRest) {
    for (const Straight& s : straightCodes()) {
        copies.clear();
        in(s.code, 100, 200);
        ASSERT_EQ(int(copies.size()), s.inCount) << "code " << s.code;
        EXPECT_EQ(copies.front().x, s.startX) << "code " << s.code;
        EXPECT_EQ(copies.front().y, s.startY) << "code " << s.code;
        EXPECT_EQ(copies.back().x, 100) << "code " << s.code;
        EXPECT_EQ(copies.back().y, 200) << "code " << s.code;
        // Every step moves one pixel along each axis that the code travels.
        const int dx = copies[1].x - copies[0].x, dy = copies[1].y - copies[0].y;
        for (std::size_t i = 1; i < copies.size(); ++i) {
            ASSERT_EQ(copies[i].x - copies[i - 1].x, dx) << "code " << s.code;
            ASSERT_EQ(copies[i].y - copies[i - 1].y, dy) << "code " << s.code;
        }
    }
}

TEST_F(Movement, EveryStraightCodeOutStartsAtRestAndTestsOnlyItsAxis) {
    for (const Straight& s : straightCodes()) {
        copies.clear();
        out(s.code, 100, 200);
        ASSERT_EQ(int(copies.size()), s.outCount) << "code " << s.code;
        EXPECT_EQ(copies.front().x, 100) << "code " << s.code;
        EXPECT_EQ(copies.front().y, 200) << "code " << s.code;
        EXPECT_EQ(copies.back().x, s.outLastX) << "code " << s.code;
        EXPECT_EQ(copies.back().y, s.outLastY) << "code " << s.code;
        EXPECT_EQ(mover.EndX, s.outEndX) << "code " << s.code;
        EXPECT_EQ(mover.EndY, s.outEndY) << "code " << s.code;
    }
}

TEST_F(Movement, StraightMovesInAndOutWaitAfterEveryCopy) {
    ctx.fadedelay = 7;
    for (const Straight& s : straightCodes()) {
        seams.clock.spins.clear();
        copies.clear();
        spinsAtCopy.clear();
        in(s.code, 100, 200);
        out(s.code, 100, 200);
        ASSERT_EQ(seams.clock.spins.size(), copies.size()) << "code " << s.code;
        for (std::size_t i = 0; i < copies.size(); ++i)
            ASSERT_EQ(spinsAtCopy[i], i);
        for (auto n : seams.clock.spins)
            ASSERT_EQ(n, 700u);
    }
}

TEST_F(Movement, AMoveInThatStartsPastItsRestingPlaceDrawsNothing) {
    in(5, -80, 200); // starts at -50, already right of -80
    in(7, 100, -30); // starts at -20, already below -30
    EXPECT_TRUE(copies.empty());
}

// ---- Paths, fades, still ----------------------------------------------------------------------

class PathMovement : public Movement {
protected:
    void SetUp() override {
        Movement::SetUp();
        savedIn = velmora::InPaths[1];
        savedOut = velmora::OutPaths[1];
        for (int i = 0; i < 6; ++i) {
            velmora::InPaths[1].Points[i] = {std::uint16_t(10 + 7 * i), std::uint16_t(300 - 5 * i)};
            velmora::OutPaths[1].Points[i] = {std::uint16_t(400 + i), std::uint16_t(20 * i)};
        }
        velmora::InPaths[1].LastIndex = 5;
        velmora::OutPaths[1].LastIndex = 5;
    }
    void TearDown() override {
        velmora::InPaths[1] = savedIn;
        velmora::OutPaths[1] = savedOut;
    }
    velmora::Path savedIn, savedOut;
};

TEST_F(PathMovement, InPathDrawsAllItsPointsOutPathLeavesTheLastOut) {
    ctx.fadedelay = 2;
    in(11, 100, 200, 2);
    ASSERT_EQ(copies.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(copies[i].x, 10 + 7 * i);
        EXPECT_EQ(copies[i].y, 300 - 5 * i);
    }
    EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>(5, 200));

    copies.clear();
    out(11, 100, 200, 2);
    ASSERT_EQ(copies.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(copies[i].x, 400 + i);
        EXPECT_EQ(copies[i].y, 20 * i);
    }
    EXPECT_EQ(mover.EndX, 4);
}

TEST_F(PathMovement, EmptyPathsAndOtherLinesDrawNothing) {
    velmora::InPaths[1].LastIndex = 0;
    velmora::OutPaths[1].LastIndex = -1;
    in(11, 100, 200, 2);
    out(11, 100, 200, 2);
    EXPECT_TRUE(copies.empty());
    velmora::InPaths[1].LastIndex = 5;
    in(11, 100, 200, 0);
    in(11, 100, 200, 4);
    out(11, 100, 200, 4);
    EXPECT_TRUE(copies.empty());
    // One point: drawn on the way in, not on the way out.
    velmora::InPaths[1].LastIndex = 1;
    velmora::OutPaths[1].LastIndex = 1;
    in(11, 100, 200, 2);
    out(11, 100, 200, 2);
    EXPECT_EQ(copies.size(), 1u);
}

TEST_F(Movement, FadeInPlacesTheStripControlAndRunsThirtyThreeFrames) {
    std::vector<std::vector<int>> placed;
    ctx.setStripPos = [&](int t, int x, int y) { placed.push_back({t, x, y}); };
    ctx.fadedelay = 2;
    in(12, 120, 130, 3);
    EXPECT_EQ(placed, (std::vector<std::vector<int>>{{3, 120, 130}}));
    ASSERT_EQ(copies.size(), 33u);
    for (const auto& r : copies) {
        EXPECT_EQ(r.x, 120);
        EXPECT_EQ(r.y, 130);
    }
    EXPECT_EQ(mover.CurX, 120);
    EXPECT_EQ(mover.CurY, 130);
    // Fade frames wait FadeStepDelay(fadedelay): two passes of two iterations.
    EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>(66, 2));
    // The last frame is the strip itself.
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            ASSERT_EQ(screen.pixel(120 + x, 130 + y), strip.pixel(x, y));
}

TEST_F(Movement, FadeOutEndsWithTheStripsAreaInTheBrushColour) {
    ctx.stripBrushColor = 0x00203040;
    out(12, 120, 130);
    ASSERT_EQ(copies.size(), 33u);
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x) {
            const TColor want = strip.pixel(x, y) == 0 ? 0x203040u : 0u;
            ASSERT_EQ(screen.pixel(120 + x, 130 + y), want);
        }
}

TEST(FadeChoice, ThirtyTwoBitRoutinesFromThirtyTwoBitsPerPixel) {
    EXPECT_EQ(velmora::FadeInFor(32), &effects::FadeIn32);
    EXPECT_EQ(velmora::FadeOutFor(32), &effects::FadeOut32);
    for (std::int8_t bits : {std::int8_t(24), std::int8_t(16), std::int8_t(8), std::int8_t(0)}) {
        EXPECT_EQ(velmora::FadeInFor(bits), &effects::FadeIn24) << int(bits);
        EXPECT_EQ(velmora::FadeOutFor(bits), &effects::FadeOut24) << int(bits);
    }
}

TEST_F(Movement, FadeOnATwentyFourBitScreenRunsTheSameFrames) {
    ctx.screenBits = 24;
    Bitmap strip24(strip.width(), strip.height(), PixelFormat::Bits24);
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            strip24.setPixel(x, y, strip.pixel(x, y));
    mover.DrawTheBitMapInDir(ctx, 12, strip24.width(), strip24.height(), 5, 6, strip24, 1);
    ASSERT_EQ(copies.size(), 33u);
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            ASSERT_EQ(screen.pixel(5 + x, 6 + y), strip.pixel(x, y));
}

TEST_F(Movement, StillCodeCopiesOnceAndUnknownCodesNothing) {
    ctx.fadedelay = 9;
    in(13, 70, 80);
    out(13, 70, 80);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].x, 70);
    EXPECT_EQ(copies[0].y, 80);
    EXPECT_EQ(copies[1].x, 70);
    EXPECT_TRUE(seams.clock.spins.empty()); // code 13 never waits
    copies.clear();
    for (int code : {0, 14, -1, 1000}) {
        in(code, 70, 80);
        out(code, 70, 80);
    }
    EXPECT_TRUE(copies.empty());
}

// ---- Delays -----------------------------------------------------------------------------------

TEST(MoverDelays, FixedDelayIsFadedelayUnitsOfOneHundredIterations) {
    testsupport::Seams seams;
    velmora::MoverDelay(3);
    velmora::MoverDelay(0);
    velmora::MoverDelay(-5);
    velmora::MoverDelay(6000);
    EXPECT_EQ(seams.clock.spins, (std::vector<std::uint64_t>{300, 600000}));
}

TEST(MoverDelays, SlowdownFactorsFallWithTheDistance) {
    const std::pair<std::int32_t, std::int32_t> table[] = {
        {0, 100}, {1, 50}, {2, 33},  {3, 25},  {4, 20},   {9, 10},
        {49, 2},  {99, 1}, {100, 0}, {101, 0}, {5000, 0}, {2147483647, 0}};
    for (const auto& [d, f] : table)
        EXPECT_EQ(velmora::SlowdownFactor(d), f) << d;
    // A position past the resting place counts by its distance; -1 never divides by zero.
    EXPECT_EQ(velmora::SlowdownFactor(-1), 50);
    EXPECT_EQ(velmora::SlowdownFactor(-99), 1);
    EXPECT_EQ(velmora::SlowdownFactor(std::numeric_limits<std::int32_t>::min()), 0);
}

TEST(MoverDelays, DeceleratingDelayIsFactorTimesFadedelayUnits) {
    testsupport::Seams seams;
    Mover mover;
    MoveContext ctx;
    ctx.fadedelay = 3;
    for (std::int32_t d : {0, 1, 2, 3, 4, 9, 49, 99, 100, 250}) {
        seams.clock.spins.clear();
        mover.DMoverDelay(ctx, d);
        const std::uint64_t units = std::uint64_t(velmora::SlowdownFactor(d)) * 3;
        if (units == 0)
            EXPECT_TRUE(seams.clock.spins.empty()) << d;
        else
            EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>{100 * units}) << d;
    }
    seams.clock.spins.clear();
    mover.DMoverDelay(ctx, 0);
    EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>{30000}); // 100 * fadedelay units
    ctx.fadedelay = 0;
    seams.clock.spins.clear();
    mover.DMoverDelay(ctx, 0);
    EXPECT_TRUE(seams.clock.spins.empty());
}

TEST_F(Movement, EasySlowdownRunsAtFullSpeedUntilTheLastHundredPixels) {
    ctx.easySlowdown = true;
    ctx.fadedelay = 2;
    in(5, 300, 100); // from -50 to 300
    ASSERT_EQ(copies.size(), 351u);
    // The delay after the copy at x waits SlowdownFactor(300 - x) * fadedelay units.
    std::vector<std::uint64_t> want;
    for (const auto& r : copies) {
        const std::uint64_t units = std::uint64_t(velmora::SlowdownFactor(300 - r.x)) * 2;
        if (units) want.push_back(100 * units);
    }
    EXPECT_EQ(seams.clock.spins, want);
    EXPECT_EQ(want.size(), 100u);
    // No delay at all in the first steps; 100 * fadedelay units after the copy at X.
    for (std::size_t i = 0; i + 100 < copies.size(); ++i)
        ASSERT_EQ(spinsAtCopy[i], 0u) << i;
    EXPECT_EQ(seams.clock.spins.back(), 100u * 100u * 2u);
    EXPECT_EQ(copies.back().x, 300);
}

TEST_F(Movement, EasySlowdownMeasuresAlongTheDecidingAxis) {
    ctx.easySlowdown = true;
    ctx.fadedelay = 1;
    for (int code : {1, 2, 3, 4, 6, 7, 8}) {
        seams.clock.spins.clear();
        copies.clear();
        in(code, 100, 200);
        const bool alongX = code <= 6;
        std::vector<std::uint64_t> want;
        for (const auto& r : copies) {
            const int d = alongX ? std::abs(100 - r.x) : std::abs(200 - r.y);
            if (velmora::SlowdownFactor(d)) want.push_back(100u * velmora::SlowdownFactor(d));
        }
        EXPECT_EQ(seams.clock.spins, want) << "code " << code;
        EXPECT_EQ(seams.clock.spins.back(), 10000u) << "code " << code;
    }
}

TEST_F(Movement, EasySlowdownLeavesOtherCodesAndMoveOutsAtTheFixedDelay) {
    ctx.easySlowdown = true;
    ctx.fadedelay = 4;
    in(9, 100, 200);
    out(5, 100, 200);
    ASSERT_EQ(seams.clock.spins.size(), copies.size());
    for (auto n : seams.clock.spins)
        EXPECT_EQ(n, 400u);
}

TEST_F(Movement, FadedelayZeroNeverSpins) {
    velmora::InPaths[0].LastIndex = 3;
    velmora::OutPaths[0].LastIndex = 3;
    for (bool easy : {false, true}) {
        ctx.easySlowdown = easy;
        for (int code = 1; code <= 13; ++code) {
            in(code, 100, 200);
            out(code, 100, 200);
        }
    }
    velmora::InPaths[0].LastIndex = -1;
    velmora::OutPaths[0].LastIndex = -1;
    EXPECT_GT(copies.size(), 1000u);
    EXPECT_TRUE(seams.clock.spins.empty());
    EXPECT_EQ(seams.clock.reads, 0u);
}

// ---- Raster operations ------------------------------------------------------------------------

TEST(RasterOperations, EffectValuesMapToTheirOperations) {
    const std::pair<std::int16_t, CopyMode> table[] = {
        {0, CopyMode::SrcCopy},    {1, CopyMode::NotSrcCopy}, {2, CopyMode::NotSrcErase},
        {3, CopyMode::PatPaint},   {4, CopyMode::SrcErase},   {5, CopyMode::SrcInvert},
        {6, CopyMode::SrcPaint},   {7, CopyMode::SrcCopy},    {-1, CopyMode::SrcCopy},
        {32767, CopyMode::SrcCopy}};
    for (const auto& [v, mode] : table)
        EXPECT_EQ(velmora::RasterOperation(v), mode) << v;
}

TEST_F(Movement, EveryMoveInSetsTheCopyModeAndMoveOutsKeepIt) {
    for (std::int16_t effect = 0; effect <= 7; ++effect) {
        ctx.rasterEffect = effect;
        canvas.copyMode = CopyMode::Blackness;
        copies.clear();
        in(5, 100, 200);
        const CopyMode want = velmora::RasterOperation(effect);
        EXPECT_EQ(canvas.copyMode, want);
        for (const auto& r : copies)
            ASSERT_EQ(r.mode, want);
    }
    canvas.copyMode = CopyMode::NotSrcCopy;
    ctx.rasterEffect = 5;
    copies.clear();
    out(6, 100, 200);
    out(9, 100, 200);
    for (const auto& r : copies)
        ASSERT_EQ(r.mode, CopyMode::NotSrcCopy);
    EXPECT_EQ(canvas.copyMode, CopyMode::NotSrcCopy);
}

// With "Src Invert" every copy is combined with the screen, so the margins no longer erase the
// trail: each screen pixel ends as the exclusive-or of every strip pixel copied onto it.
TEST_F(Movement, SrcInvertLeavesTheTrail) {
    strip = makeStrip(12, 8);
    ctx.rasterEffect = 5;
    screen.fill(0x00010203);
    in(5, 40, 30);
    ASSERT_EQ(copies.size(), 53u);

    Bitmap expected(SW, SH, PixelFormat::Bits32);
    expected.fill(0x00010203);
    for (const auto& r : copies)
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                if (r.x + x >= 0)
                    expected.setPixel(r.x + x, r.y + y,
                                      expected.pixel(r.x + x, r.y + y) ^ strip.pixel(x, y));
    int trail = 0;
    for (int y = 30; y < 38; ++y)
        for (int x = 0; x < 52; ++x) {
            ASSERT_EQ(screen.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
            if (x < 40 && screen.pixel(x, y) != 0x010203u) ++trail;
        }
    EXPECT_GT(trail, 0); // left of the resting place the trail remains

    // With "Normal" the margins wipe it: left of the strip only the background remains.
    screen.fill(0x00010203);
    ctx.rasterEffect = 0;
    in(5, 40, 30);
    for (int y = 30; y < 38; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(screen.pixel(x, y), 0u) << x << "," << y;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(screen.pixel(40 + x, 30 + y), strip.pixel(x, y));
}

} // namespace
