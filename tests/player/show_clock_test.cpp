#include "player/show_clock.h"

#include <gtest/gtest.h>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "player/movement.h"
#include "test_support.h"

using platform::Bitmap;
using platform::CopyRecord;
using platform::PixelFormat;

namespace {

constexpr int SW = 1280, SH = 1024;
constexpr std::uint64_t Period = 16666667; // 60 frames a second

// A recorder standing in for the playback window: each presented frame notes its time and
// where the last copy before it was drawn.
class Recorder : public velmora::FrameTarget {
public:
    struct Frame {
        std::uint64_t time;
        std::size_t copies; // copies drawn up to this frame
        int x, y;           // the last one's position
    };
    bool hasChanges() const override { return dirty; }
    void present() override {
        frames.push_back({clock->nanos() - start, copies.size(), copies.back().x,
                          copies.back().y});
        dirty = false;
    }
    void waitEvents() override { ++waits; }

    platform::Clock* clock = nullptr;
    std::uint64_t start = 0;
    bool dirty = false;
    int waits = 0;
    std::vector<CopyRecord> copies;
    std::vector<Frame> frames;
};

class ShowClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        strip.fill(0x00FF8040);
        canvas.setObserver([this](const CopyRecord& r) { recorder.copies.push_back(r); });
        canvas.setPresenter([this](const QRect&) { recorder.dirty = true; });
        recorder.clock = &seams.clock;
        recorder.start = seams.clock.nanos();
        ctx.canvas = &canvas;
        ctx.screenWidth = SW;
        ctx.screenHeight = SH;
        ctx.screenBits = 32;
    }
    // Code 1: from the top left corner's diagonal to rest at (600, 500) in 641 copies.
    void moveIn(velmora::ShowClock& show) {
        const velmora::ClockScope scope(show);
        mover.DrawTheBitMapInDir(ctx, 1, 40, 30, 600, 500, strip, 1);
        show.flush();
    }

    testsupport::Seams seams;
    Bitmap screen{SW, SH, PixelFormat::Bits32};
    Bitmap strip{40, 30, PixelFormat::Bits32};
    platform::Canvas canvas{screen};
    Recorder recorder;
    velmora::MoveContext ctx;
    velmora::Mover mover;
};

} // namespace

// At "Movement" 3000 each step lasts 3 ms: the frame at time T shows every copy up to T, and the
// move lasts 640 steps of 3 ms as the spin made it last.
TEST_F(ShowClockTest, EachFrameShowsTheMoveAsItStandsAtTheFramesTime) {
    ctx.fadedelay = 3000;
    velmora::ShowClock show(seams.clock, recorder, Period);
    moveIn(show);
    ASSERT_EQ(recorder.copies.size(), 641u);
    EXPECT_TRUE(seams.clock.spins.empty());

    // 641 copies of 3 ms: 1.923 s, frames 1 to 115 and the last one. The first 111 copies lie
    // above the screen: nothing changes, nothing is presented, until frame 20 (333 ms) shows
    // copy 111, the first to reach the screen.
    ASSERT_EQ(recorder.frames.size(), 116u - 19u);
    for (std::size_t k = 0; k < recorder.frames.size(); ++k) {
        const auto& f = recorder.frames[k];
        SCOPED_TRACE(k);
        ASSERT_EQ(f.time, (k + 20) * Period); // on the frame, never between
        const std::size_t last = std::min<std::size_t>(f.time / 3000000, 640);
        ASSERT_EQ(f.copies, last + 1);
        // Copy i stands at (-40 + i, 500 - 640 + i).
        EXPECT_EQ(f.x, -40 + int(last));
        EXPECT_EQ(f.y, -140 + int(last));
    }
    EXPECT_EQ(recorder.frames.back().x, 600);
    EXPECT_EQ(recorder.frames.back().y, 500);
    // The flush at the end waited for the last frame: show time stands there now.
    EXPECT_GE(show.showTime(), 641u * 3000000u);
    EXPECT_LT(show.showTime(), 641u * 3000000u + Period);
    EXPECT_GT(recorder.waits, 100); // the waits let paint events in
}

TEST_F(ShowClockTest, WithoutDelayTheFinalPositionShowsAfterOneFrame) {
    ctx.fadedelay = 0;
    velmora::ShowClock show(seams.clock, recorder, Period);
    moveIn(show);
    ASSERT_EQ(recorder.copies.size(), 641u);
    ASSERT_EQ(recorder.frames.size(), 1u);
    EXPECT_EQ(recorder.frames[0].time, Period);
    EXPECT_EQ(recorder.frames[0].x, 600);
    EXPECT_EQ(recorder.frames[0].y, 500);
    // Nothing left to show: a second flush presents nothing.
    show.flush();
    EXPECT_EQ(recorder.frames.size(), 1u);
}

// The framebuffer still takes every copy in order: an XOR move leaves its whole trail, the same
// as without the show clock.
TEST_F(ShowClockTest, AnXorMoveLeavesItsWholeTrail) {
    ctx.fadedelay = 3000;
    ctx.rasterEffect = 5;
    Bitmap plain(SW, SH, PixelFormat::Bits32);
    platform::Canvas plainCanvas(plain);
    velmora::MoveContext plainCtx = ctx;
    plainCtx.canvas = &plainCanvas;
    velmora::Mover().DrawTheBitMapInDir(plainCtx, 1, 40, 30, 600, 500, strip, 1);

    velmora::ShowClock show(seams.clock, recorder, Period);
    moveIn(show);
    bool same = true;
    for (int y = 0; same && y < SH; ++y)
        same = std::memcmp(screen.scanLine(y), plain.scanLine(y), std::size_t(SW) * 4) == 0;
    EXPECT_TRUE(same);
    EXPECT_FALSE(testsupport::pixelsOf(screen, 0x00FF8040).isEmpty());
}

// A timed wait presents what is pending first; show time then resumes from the real time, so
// the next move is paced from there instead of rushing to catch up.
TEST_F(ShowClockTest, AWaitPresentsFirstAndTheShowResumesFromItsEnd) {
    ctx.fadedelay = 3000;
    velmora::ShowClock show(seams.clock, recorder, Period);
    {
        const velmora::ClockScope scope(show);
        canvas.draw(0, 0, strip);
        platform::clock().sleepFor(1000000000); // a one-second pause
        EXPECT_EQ(recorder.frames.size(), 1u);
        EXPECT_EQ(recorder.frames[0].time, Period);
        const std::uint64_t resumed = seams.clock.nanos();
        mover.DrawTheBitMapInDir(ctx, 13, 40, 30, 5, 5, strip, 1);
        platform::clock().spin(300000); // 3 ms
        show.flush();
        ASSERT_EQ(recorder.frames.size(), 2u);
        EXPECT_GE(recorder.frames[1].time + recorder.start, resumed);
        EXPECT_LE(recorder.frames[1].time + recorder.start, resumed + Period);
    }
    EXPECT_EQ(&platform::clock(), &seams.clock); // the scope put the clock back
}
