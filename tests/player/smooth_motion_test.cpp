// Smooth motion without a window: each move is the stepped move's path and length as a function
// of time, and a page's timeline changes course between any two frames.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "player/frame_composer.h"
#include "player/movement.h"
#include "player/smooth_page.h"
#include "test_support.h"

namespace {

using platform::Bitmap;
using platform::PixelFormat;
using velmora::FixedOne;
using velmora::LineState;
using velmora::SmoothPage;
using velmora::Track;

constexpr int SW = 640, SH = 480, X = 100, Y = 200, W = 50, H = 20;

velmora::Path pathOf(std::initializer_list<std::pair<int, int>> points) {
    velmora::Path p;
    p.LastIndex = std::int32_t(points.size());
    int i = 0;
    for (auto [x, y] : points)
        p.Points[std::size_t(i++)] = {std::uint16_t(x), std::uint16_t(y)};
    return p;
}

// The stepped move, copy by copy: where each copy landed and at what time (the delays spun
// before it, ten nanoseconds an iteration), and the move's whole length.
struct SteppedMove {
    std::vector<std::pair<int, int>> at;
    std::vector<std::int64_t> time;
    std::int64_t length = 0;
};

SteppedMove stepped(bool in, int dir, bool slowdown, std::int32_t fadedelay,
                    const velmora::Path& path) {
    testsupport::Seams seams;
    Bitmap screen(SW, SH, PixelFormat::Bits32), strip(W, H, PixelFormat::Bits32);
    strip.fill(0xFFFFFF);
    platform::Canvas canvas(screen);
    SteppedMove m;
    canvas.setObserver([&](const platform::CopyRecord& r) {
        m.at.push_back({r.x, r.y});
        m.time.push_back(std::int64_t(seams.clock.spunIterations) * 10);
    });
    velmora::MoveContext ctx;
    ctx.canvas = &canvas;
    ctx.screenWidth = SW;
    ctx.screenHeight = SH;
    ctx.screenBits = 32;
    ctx.fadedelay = fadedelay;
    ctx.easySlowdown = slowdown;
    ctx.path = &path;
    velmora::Mover mover;
    if (in)
        mover.DrawTheBitMapInDir(ctx, dir, W, H, X, Y, strip, 1);
    else
        mover.DrawTheBitMapOutDir(ctx, dir, W, H, X, Y, strip, 1);
    m.length = std::int64_t(seams.clock.spunIterations) * 10;
    return m;
}

// Every direction code, in and out, with and without "Easy Slow down": the smooth move lasts as
// long as the stepped one, and wherever a stepped copy was shown until the next one, the smooth
// line stands exactly there at that copy's time. Moves end where the stepped ones head: at rest
// coming in, past the stage's edge going out.
TEST(SmoothMotion, EveryMoveKeepsTheSteppedMovesPlacesAndLength) {
    const velmora::Path path = pathOf({{10, 10}, {20, 15}, {40, 15}, {45, 60}});
    for (bool in : {true, false})
        for (bool slowdown : {false, true})
            for (int dir = 1; dir <= 14; ++dir) {
                SCOPED_TRACE(testing::Message() << (in ? "in " : "out ") << dir
                                                << (slowdown ? " slowing down" : ""));
                const std::int32_t delay = dir == 12 ? 9 : 7;
                const SteppedMove s = stepped(in, dir, slowdown, delay, path);
                const Track::Stage stage{SW, SH, delay, slowdown};
                LineState rest;
                rest.visible = true;
                rest.x = velmora::toFixed(X);
                rest.y = velmora::toFixed(Y);
                const Track t = in ? Track::moveIn(dir, W, H, X, Y, stage, &path)
                                   : Track::moveOut(dir, W, H, rest, stage, &path);
                EXPECT_EQ(t.duration(), s.length);
                const bool moves = (dir >= 1 && dir <= 8) || dir == 11;
                for (std::size_t i = 0; moves && i < s.at.size(); ++i) {
                    // Copies at the same time: the last of them is what was seen.
                    if (i + 1 < s.at.size() && s.time[i + 1] == s.time[i]) continue;
                    const LineState l = t.at(s.time[i]);
                    ASSERT_EQ(l.x, velmora::toFixed(s.at[i].first)) << "copy " << i;
                    ASSERT_EQ(l.y, velmora::toFixed(s.at[i].second)) << "copy " << i;
                }
                const LineState end = t.end();
                if (in && dir >= 1 && dir <= 10) {
                    EXPECT_TRUE(end.visible);
                    EXPECT_EQ(end.x, velmora::toFixed(X));
                    EXPECT_EQ(end.y, velmora::toFixed(Y));
                    EXPECT_EQ(end.squeeze, LineState::Squeeze::None);
                }
                if (!in && ((dir >= 1 && dir <= 8) || dir == 12)) {
                    EXPECT_FALSE(end.visible);
                }
                if (dir == 12) {
                    EXPECT_EQ(t.at(t.duration() / 2).opacity, 128);
                }
                if (dir == 14) {
                    EXPECT_EQ(end.visible, !in); // unknown: nothing drawn
                }
            }
}

// A move that starts between two pixels (a line sent out while moving) goes on at the same pace:
// a pixel each delay, to the same edge.
TEST(SmoothMotion, AMoveOutFromBetweenPixelsKeepsItsPace) {
    LineState from;
    from.visible = true;
    from.x = velmora::toFixed(100) + FixedOne / 4;
    from.y = velmora::toFixed(Y);
    const Track t = Track::moveOut(5, W, H, from, {SW, SH, 10, false}, nullptr);
    EXPECT_EQ(t.duration(), (SW - 100) * 10000 - 2500);
    EXPECT_EQ(t.at(10000).x, from.x + FixedOne);
    EXPECT_EQ(t.end().x, velmora::toFixed(SW));
}

// A page of lines, played by frame number at 50 frames a second.
class SmoothPageTest : public ::testing::Test, public velmora::PlayControl {
protected:
    static constexpr std::int64_t Frame = 20000000;

    SmoothPageTest() {
        for (int n = 0; n < 2; ++n) {
            auto& l = page.lines[std::size_t(n)];
            l.Text = n == 0 ? QStringLiteral("Smooth") : QStringLiteral("Motion");
            l.attrs.InUse = true;
            l.attrs.FontName = QStringLiteral("DejaVu Sans");
            l.attrs.FontSize = 20;
            l.attrs.FontColor = platform::clWhite;
            l.attrs.InDirection = 5;
            l.attrs.OutDirection = 6;
            l.PosX = 200;
            l.PosY = 50 + 100 * n;
        }
        page.settings.fadedelay = 5000; // 200 pixels a second: 4 a frame
        page.settings.PauseTime = 1;
        view.stageWidth = 640;
        view.stageHeight = 480;
    }
    SmoothPage& play(std::optional<std::int64_t> manualHold = std::nullopt) {
        played.emplace(page, options, view, *this, manualHold);
        return *played;
    }
    LineState at(int frame, int line = 1) {
        played->advanceTo(frame * Frame);
        return played->frameAt(frame * Frame).lines[std::size_t(line - 1)];
    }
    bool stopped() const override { return false; }
    void pump() override {}
    void holdForSpaceBar(bool) override {}
    bool openWave(int, const QString&) override { return true; }
    void playWave() override {}
    void closeWave() override {}
    void beforeMove() override { ++moves; }

    testsupport::Seams seams;
    velmora::PageImage page;
    velmora::ShowOptions options;
    platform::StageView view;
    std::optional<SmoothPage> played;
    int moves = 0;
};

TEST_F(SmoothPageTest, LinesComeInOneAfterTheOtherHoldAndLeave) {
    SmoothPage& p = play();
    // Line 1 comes in from x = -width to 200, 4 pixels a frame.
    const LineState first = at(0);
    EXPECT_TRUE(first.visible);
    ASSERT_NE(p.strip(1), nullptr);
    const int width = p.strip(1)->width;
    EXPECT_EQ(first.x, velmora::toFixed(-width));
    EXPECT_EQ(at(10).x, velmora::toFixed(-width + 40));
    EXPECT_FALSE(at(10, 2).visible); // line 2 waits for line 1
    const int inFrames = (200 + width) / 4;
    EXPECT_EQ(at(inFrames + 2).x, velmora::toFixed(200));
    EXPECT_TRUE(at(inFrames + 2, 2).visible);
    EXPECT_EQ(moves, 2);
    // The whole page: two moves in, a second's hold, two moves out.
    while (!p.finished())
        p.advanceTo(p.nextChange());
    EXPECT_EQ(moves, 4);
    const std::int64_t in = (200 + width + 1) * 5000000LL, in2 = (200 + p.strip(2)->width + 1) * 5000000LL;
    EXPECT_EQ(p.endTime(), in + in2 + 1000000000LL + (200 + width) * 5000000LL +
                               (200 + p.strip(2)->width) * 5000000LL);
}

// Sent out half way in, a line turns at once from where it stands, and the page ends once it is
// gone; the line not yet in never shows.
TEST_F(SmoothPageTest, TakenOutMidMoveALineLeavesFromWhereItStands) {
    SmoothPage& p = play();
    const LineState before = at(25);
    p.takeOut(25 * Frame);
    const LineState after = at(26);
    EXPECT_EQ(after.x, before.x - velmora::toFixed(4)); // out by code 6: leftwards
    EXPECT_EQ(after.y, before.y);
    EXPECT_FALSE(at(26, 2).visible);
    const int width = p.strip(1)->width;
    const std::int64_t gone = std::int64_t(before.x / FixedOne + width) * 5000000;
    EXPECT_EQ(p.nextChange(), 25 * Frame + gone);
    p.advanceTo(p.nextChange());
    EXPECT_TRUE(p.finished());
    EXPECT_FALSE(p.frameAt(p.endTime()).lines[0].visible);
}

TEST_F(SmoothPageTest, BlackNowEndsThePageAtThatFrame) {
    SmoothPage& p = play();
    at(25);
    p.blackNow(25 * Frame);
    EXPECT_TRUE(p.finished());
    EXPECT_EQ(p.endTime(), 25 * Frame);
    EXPECT_EQ(p.frameAt(26 * Frame).picture, SmoothPage::Picture::Black);
}

// Held, the lines stand still however long; let go, they go on from there.
TEST_F(SmoothPageTest, AHeldPageStandsStillAndGoesOnFromWhereItStood) {
    SmoothPage& p = play();
    const LineState held = at(10);
    p.hold(10 * Frame);
    EXPECT_EQ(p.nextChange(), SmoothPage::Never);
    EXPECT_EQ(at(500), held);
    p.goOn(500 * Frame);
    EXPECT_EQ(at(501).x, held.x + velmora::toFixed(4));
}

// A manual page waits for the space bar before its lines and again before they leave; with a
// manual hold (an export) each wait lasts that long.
TEST_F(SmoothPageTest, AManualPageWaitsForTheSpaceBar) {
    page.settings.mpause = true;
    SmoothPage& p = play();
    EXPECT_TRUE(p.waitingForSpaceBar());
    EXPECT_FALSE(at(100).visible);
    p.releaseSpaceBar(100 * Frame);
    EXPECT_FALSE(p.waitingForSpaceBar());
    EXPECT_EQ(at(100).x, velmora::toFixed(-p.strip(1)->width));
    SmoothPage& q = play(3 * Frame);
    q.advanceTo(3 * Frame);
    EXPECT_FALSE(q.waitingForSpaceBar());
    EXPECT_TRUE(at(3).visible);
}

// The composer draws the strip at a place between pixels by interpolating: the ink's amount and
// its centre are where the place says, and whole-pixel places are plain copies.
TEST(FrameComposer, BetweenPixelsTheInkKeepsItsAmountAndCentre) {
    Bitmap strip(8, 4, PixelFormat::Bits32);
    strip.fill(0);
    for (int y = 1; y < 3; ++y)
        for (int x = 2; x < 6; ++x)
            strip.setPixel(x, y, 0xFFFFFF);
    const velmora::ConstPlane pic{strip.bits(), 8, 4, strip.stride(), 4};
    for (int f : {0, 1, 64, 128, 200, 255}) {
        for (int g : {0, 77}) {
            SCOPED_TRACE(testing::Message() << f << " " << g);
            Bitmap out(20, 10, PixelFormat::Bits32);
            out.fill(0x102030);
            const velmora::Plane target{out.bits(), 20, 10, out.stride(), 4};
            velmora::drawAt(target, pic, 5 * 256 + f, 3 * 256 + g, 256, QRect(0, 0, 20, 10));
            double ink = 0, cx = 0, cy = 0;
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 20; ++x) {
                    const double v = out.pixel(x, y) & 0xFF;
                    if (!velmora::coveredBy(pic, 5 * 256 + f, 3 * 256 + g).contains(x, y)) {
                        ASSERT_EQ(out.pixel(x, y), 0x102030u) << "outside at " << x << "," << y;
                        continue;
                    }
                    ink += v;
                    cx += v * x;
                    cy += v * y;
                }
            EXPECT_NEAR(ink, 8 * 255, 8 * 1.0);
            EXPECT_NEAR(cx / ink, 5 + 3.5 + f / 256.0, 0.01);
            EXPECT_NEAR(cy / ink, 3 + 1.5 + g / 256.0, 0.01);
            if (f == 0 && g == 0) {
                for (int y = 0; y < 4; ++y)
                    EXPECT_EQ(0, std::memcmp(out.scanLine(3 + y) + 20, strip.scanLine(y), 32));
            }
        }
    }
}

// Each frame is composed from the lines' states: a line that moves leaves nothing behind, a line
// under it is drawn again where the other uncovered it, and a frame composed after others is the
// same as one composed afresh.
TEST(FrameComposer, AFrameIsTheSameHoweverManyCameBefore) {
    Bitmap a(8, 6, PixelFormat::Bits32), b(8, 6, PixelFormat::Bits32);
    a.fill(0x0000FF);
    b.fill(0x00FF00);
    platform::StageView view;
    view.stageWidth = 100;
    view.stageHeight = 60;
    auto lines = [&](int k) {
        std::array<velmora::FrameComposer::Line, 3> l;
        l[0].picture = {a.bits(), 8, 6, a.stride(), 4};
        l[0].state.visible = true;
        l[0].state.x = velmora::toFixed(20);
        l[0].state.y = velmora::toFixed(20);
        l[1].picture = {b.bits(), 8, 6, b.stride(), 4};
        l[1].state.visible = k % 7 != 3;
        l[1].state.x = velmora::toFixed(10) + k * FixedOne / 3;
        l[1].state.y = velmora::toFixed(18) + k * FixedOne / 5;
        l[1].state.opacity = 256 - k * 4;
        return l;
    };
    Bitmap running(100, 60, PixelFormat::Bits32);
    velmora::FrameComposer composer({running.bits(), 100, 60, running.stride(), 4}, view);
    for (int k = 0; k < 40; ++k) {
        composer.compose(lines(k));
        Bitmap fresh(100, 60, PixelFormat::Bits32);
        fresh.fill(0x777777);
        velmora::FrameComposer once({fresh.bits(), 100, 60, fresh.stride(), 4}, view);
        once.compose(lines(k));
        ASSERT_EQ(0, std::memcmp(running.bits(), fresh.bits(), std::size_t(running.stride()) * 60))
            << "frame " << k;
    }
}

} // namespace
