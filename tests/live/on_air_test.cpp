// The on-air controller and the live show without a window: the rundown's cue, take, clear, cut
// and next, edits of a page on the stage, and frames paced by a clock that only the test moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <QFile>

#include "live/frame_log.h"
#include "live/live_show.h"
#include "live/on_air.h"
#include "live/rundown.h"
#include "test_support.h"

namespace {

using velmora::FixedOne;
using velmora::LineState;
using velmora::PageImage;
using velmora::toFixed;
using velmora::live::OnAir;

constexpr std::int64_t Frame = 20000000; // 50 frames a second
constexpr int SW = 640, SH = 480;

PageImage pageOf(std::initializer_list<QString> texts, int in = 5, int out = 6) {
    PageImage page;
    int n = 0;
    for (const QString& t : texts) {
        auto& l = page.lines[std::size_t(n)];
        l.Text = t;
        l.attrs.InUse = !t.isEmpty();
        l.attrs.FontName = QStringLiteral("DejaVu Sans");
        l.attrs.FontSize = 20;
        l.attrs.FontColor = platform::clWhite;
        l.attrs.InDirection = std::uint8_t(in);
        l.attrs.OutDirection = std::uint8_t(out);
        l.PosX = 200;
        l.PosY = 50 + 100 * n;
        ++n;
    }
    page.settings.fadedelay = 5000; // 200 pixels a second: 4 a frame
    page.settings.PauseTime = 1;    // a show would end the page after a second; live, it stays
    return page;
}

PageImage manual(PageImage p) {
    p.settings.mpause = true;
    return p;
}

// Three pages: "Smooth" (line 1), "Live" over "Titles" (lines 1 and 2, "Manual"), "End" (line 1).
struct Rundown : ::testing::Test {
    Rundown() {
        view.stageWidth = SW;
        view.stageHeight = SH;
    }
    OnAir& make() {
        air.emplace(std::vector<QString>{"000", "001", "002"},
                    std::vector<PageImage>{pageOf({"Smooth"}), manual(pageOf({"Live", "Titles"})),
                                           pageOf({"End"})},
                    velmora::ShowOptions{}, view, silent);
        return *air;
    }
    // Line `i` (0-based over every page on the stage, oldest page first) at frame f.
    LineState at(int f, int i = 0) {
        air->advanceTo(f * Frame);
        return air->linesAt(f * Frame)[std::size_t(i)].state;
    }
    int visible(int f) {
        air->advanceTo(f * Frame);
        const OnAir::Lines l = air->linesAt(f * Frame);
        return int(std::count_if(l.begin(), l.end(), [](const auto& x) {
            return x.state.visible && !x.picture.isEmpty();
        }));
    }
    testsupport::Seams seams;
    platform::StageView view;
    velmora::live::SilentControl silent;
    std::optional<OnAir> air;
};

// What each command leaves on air and cued, in order, from a fresh rundown.
TEST_F(Rundown, CommandsMoveTheCueAndTheAirAsAnOperatorExpects) {
    OnAir& a = make();
    struct Step {
        const char* command;
        int arg, onAir, cued;
    };
    const Step steps[] = {
        {"start", 0, -1, 0},  {"next", 0, -1, 1},  {"take", 0, 1, 2},   {"cue", 0, 1, 0},
        {"take", 0, 0, 1},    {"clear", 0, -1, 1}, {"clear", 0, -1, 1}, {"next", 0, -1, 2},
        {"take", 0, 2, -1},   {"take", 0, 2, -1}, // nothing cued: nothing happens
        {"next", 0, 2, -1},   {"cue", 7, 2, -1},   {"cue", 1, 2, 1},    {"cut", 0, -1, 1},
        {"take", 0, 1, 2},    {"next", 0, 1, 2},   // the last row stays cued
        {"cue", -1, 1, -1},   {"next", 0, 1, 2},
    };
    int f = 0;
    for (const Step& s : steps) {
        const std::string c = s.command;
        f += 5;
        if (c == "next") a.next();
        if (c == "take") a.take(f * Frame);
        if (c == "clear") a.clear(f * Frame);
        if (c == "cut") a.cut(f * Frame);
        if (c == "cue") a.cue(s.arg);
        EXPECT_EQ(a.onAir(), s.onAir) << "after " << c << " " << s.arg << " (step at frame " << f << ")";
        EXPECT_EQ(a.cued(), s.cued) << "after " << c << " " << s.arg << " (step at frame " << f << ")";
    }
    // Typed page numbers.
    EXPECT_EQ(a.rowOfNumber("1"), 1);
    EXPECT_EQ(a.rowOfNumber("002"), 2);
    EXPECT_EQ(a.rowOfNumber(" 0 "), 0);
    for (const char* bad : {"3", "", "-1", "+1", "x", "1x"})
        EXPECT_EQ(a.rowOfNumber(bad), -1) << bad;
    EXPECT_EQ(a.row(1).texts[1], "Titles");
    EXPECT_EQ(a.row(1).number, "001");
}

// A live page's lines come in one after the other and stay, whatever its pause says: a
// "Manual" page neither waits for the space bar before its lines nor ends after them.
TEST_F(Rundown, ATakenPageStaysOnAirUntilClearedWhateverItsPause) {
    OnAir& a = make();
    a.cue(1);
    a.take(0);
    EXPECT_TRUE(at(1).visible);
    EXPECT_FALSE(at(1, 1).visible); // line 2 waits for line 1
    const int hour = 3600 * 50;
    EXPECT_EQ(at(hour).x, toFixed(200));
    EXPECT_EQ(at(hour, 1).x, toFixed(200));
    EXPECT_EQ(visible(hour), 2);
    EXPECT_EQ(a.onAir(), 1);
    a.clear(hour * Frame);
    EXPECT_EQ(a.onAir(), -1);
    EXPECT_TRUE(a.anythingShown()); // on their way out
    EXPECT_EQ(visible(hour + 1), 2);
    EXPECT_LT(at(hour + 1).x, toFixed(200));
    EXPECT_EQ(visible(hour + 500), 0);
    EXPECT_FALSE(a.anythingShown());
}

// Clear in the middle of a move turns the line at once, from where it stands, and it never
// reaches its rest; Cut is black at the frame it is given.
TEST_F(Rundown, ClearTurnsALineMidMoveAndCutIsBlackAtOnce) {
    OnAir& a = make();
    a.take(0);
    const LineState before = at(25);
    EXPECT_LT(before.x, toFixed(200));
    a.clear(25 * Frame);
    LineState last = before;
    for (int f = 26; f < 40; ++f) {
        const LineState now = at(f);
        if (!now.visible) break;
        EXPECT_EQ(now.x, last.x - toFixed(4)) << "frame " << f; // out by code 6: leftwards
        last = now;
    }
    // Taken again and cut while moving in: nothing more is drawn from that frame on.
    a.cue(0);
    a.take(100 * Frame);
    EXPECT_EQ(visible(110), 1);
    a.cut(110 * Frame);
    EXPECT_EQ(visible(110), 0);
    EXPECT_EQ(visible(111), 0);
    EXPECT_FALSE(a.anythingShown());
}

// A take while a page is on air: the old lines go out while the new ones come in, in the same
// frames; a command given a while before its frame has its moves that far along there.
TEST_F(Rundown, ATakeSendsTheOldPageOutWhileTheNewOneComesIn) {
    OnAir& a = make();
    a.take(0);
    at(200); // "Smooth" at rest
    a.take(200 * Frame);
    EXPECT_EQ(a.onAir(), 1);
    const LineState going = at(210, 0), coming = at(210, 3);
    EXPECT_TRUE(going.visible);
    EXPECT_EQ(going.x, toFixed(200 - 40));
    EXPECT_TRUE(coming.visible);
    EXPECT_LT(coming.x, toFixed(200)); // "Live" on its way in from the left
    EXPECT_EQ(visible(210), 2); // "Titles" waits for "Live"
    // Once the old page is gone the new one's lines come first.
    at(400);
    EXPECT_EQ(at(400, 0).x, toFixed(200));
    EXPECT_EQ(visible(400), 2);

    // The same take given half a frame earlier: at its frame the moves are half a frame on.
    OnAir& b = make();
    b.take(10 * Frame, Frame / 2);
    OnAir::Lines early = (b.advanceTo(12 * Frame), b.linesAt(12 * Frame));
    OnAir& c = make();
    c.take(10 * Frame - Frame / 2);
    c.advanceTo(12 * Frame);
    EXPECT_EQ(early[0].state, c.linesAt(12 * Frame)[0].state);
}

// Edits of a page on the stage: its strip is made again and drawn where the line stands, the
// move going on; an edit of a page not on the stage only changes the rundown.
TEST_F(Rundown, EditsOnAirRedrawTheLineWithoutRestartingItsMove) {
    OnAir& a = make();
    a.take(0);
    const LineState before = at(20);
    const int width = a.linesAt(20 * Frame)[0].picture.width;
    PageImage edited = a.page(0);
    edited.lines[0].Text = QStringLiteral("Smooth motion");
    const int changes = a.changes();
    a.edit(0, edited);
    EXPECT_EQ(a.edits(), 1);
    EXPECT_GT(a.changes(), changes);
    EXPECT_EQ(a.row(0).texts[0], "Smooth motion");
    const velmora::FrameComposer::Line now = a.linesAt(20 * Frame)[0];
    EXPECT_EQ(now.state, before);            // where it stood
    EXPECT_GT(now.picture.width, width);      // the longer text
    EXPECT_EQ(at(21).x, before.x + toFixed(4)); // and moving on at its pace

    // A place or a path is no look: nothing is drawn again.
    edited.lines[0].PosX = 300;
    a.edit(0, edited);
    EXPECT_EQ(a.edits(), 1);
    // A line filled in while the page rests comes in where it rests; a line emptied goes.
    at(200);
    edited.lines[1].Text = QStringLiteral("New");
    edited.lines[1].attrs = edited.lines[0].attrs;
    edited.lines[1].PosX = 250;
    edited.lines[1].PosY = 300;
    a.edit(0, edited);
    EXPECT_EQ(visible(201), 2);
    EXPECT_EQ(at(201, 1).x, toFixed(250));
    edited.lines[0].Text.clear();
    edited.lines[0].attrs.InUse = false;
    a.edit(0, edited);
    EXPECT_EQ(visible(202), 1);
    // Another page's edit changes its row only.
    PageImage other = a.page(2);
    other.lines[0].Text = QStringLiteral("Fin");
    a.edit(2, other);
    EXPECT_EQ(a.row(2).texts[0], "Fin");
    EXPECT_EQ(visible(203), 1);
    a.edit(9, other); // no such row
    EXPECT_EQ(a.rows(), 3);
}

TEST(LiveKeys, EachKeyHasItsCommand) {
    using velmora::live::LiveCommand;
    using velmora::live::liveCommandFor;
    struct Row {
        int key;
        Qt::KeyboardModifiers mods;
        bool typing;
        LiveCommand want;
    };
    const Row rows[] = {
        {Qt::Key_Return, Qt::NoModifier, false, LiveCommand::Take},
        {Qt::Key_Enter, Qt::KeypadModifier, false, LiveCommand::Take},
        {Qt::Key_Return, Qt::NoModifier, true, LiveCommand::CueTyped},
        {Qt::Key_Escape, Qt::NoModifier, false, LiveCommand::Clear},
        {Qt::Key_Escape, Qt::ShiftModifier, false, LiveCommand::Cut},
        {Qt::Key_Space, Qt::NoModifier, false, LiveCommand::Next},
        {Qt::Key_Up, Qt::NoModifier, false, LiveCommand::CueUp},
        {Qt::Key_Down, Qt::NoModifier, false, LiveCommand::CueDown},
        {Qt::Key_7, Qt::NoModifier, false, LiveCommand::Digit},
        {Qt::Key_7, Qt::KeypadModifier, true, LiveCommand::Digit},
        {Qt::Key_Backspace, Qt::NoModifier, true, LiveCommand::Erase},
        {Qt::Key_Backspace, Qt::NoModifier, false, LiveCommand::None},
        {Qt::Key_Return, Qt::ControlModifier, false, LiveCommand::None},
        {Qt::Key_L, Qt::ControlModifier, false, LiveCommand::None},
        {Qt::Key_A, Qt::NoModifier, false, LiveCommand::None},
    };
    for (const Row& r : rows)
        EXPECT_EQ(liveCommandFor(r.key, r.mods, r.typing), r.want) << "key " << r.key;
}

// A page's picture at rest is the page as it stands once every line is in.
TEST(LivePicture, APageAtRestShowsItsLinesWhereTheyRest) {
    testsupport::Seams seams;
    const PageImage page = pageOf({"Rest"});
    const platform::Bitmap p = velmora::live::pictureAtRest(page, {}, SW, SH, SW / 2, SH / 2);
    const QRect ink = testsupport::pixelsOf(p, platform::clWhite);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 100);
    EXPECT_LE(ink.left(), 110);
    EXPECT_GE(ink.top(), 25);
}

// ---- The show's frames by the clock --------------------------------------------------------

constexpr std::uint64_t Period = 16666666; // 60 Hz

struct LiveRun : Rundown {
    LiveRun() : frame(SW / 2, SH / 2, platform::PixelFormat::Bits32) {
        view = platform::StageView::fit(SW, SH, SW / 2, SH / 2);
    }
    velmora::live::LiveShow& start() {
        make();
        show.emplace(*air, frame, view, Period, clock, [this](const QRect& r) {
            presented.push_back(r);
        });
        show->start();
        return *show;
    }
    platform::Bitmap frame;
    platform::ManualClock clock;
    std::vector<QRect> presented;
    std::optional<velmora::live::LiveShow> show;
};

// Ten minutes at 60 Hz with a take every five seconds, the timer waking up to 4 ms late: every
// refresh gets its frame once, and each take is on the screen at the next refresh.
TEST_F(LiveRun, TenMinutesOfTakesMissNoRefreshAndShowNoFrameTwice) {
    velmora::live::LiveShow& s = start();
    std::uint64_t wake = clock.now + Period;
    std::uint32_t jitter = 12345;
    const std::uint64_t end = clock.now + 600ull * 1000000000ull;
    std::uint64_t nextTake = clock.now + 5000000000ull;
    int takes = 0;
    while (clock.now < end) {
        jitter = jitter * 1103515245u + 12345u;
        const std::uint64_t late = (jitter >> 8) % 4000000;
        if (nextTake < wake + late) {
            // The key comes between two frames.
            clock.now = std::max(clock.now, nextTake);
            if (air->cued() < 0) air->cue(0);
            s.take();
            ++takes;
            nextTake += 5000000000ull;
        }
        clock.now = std::max(clock.now, wake + late);
        wake = s.wake();
    }
    const velmora::live::Timing t = velmora::live::timingOf(s.log());
    EXPECT_EQ(t.missed, 0);
    EXPECT_EQ(t.repeated, 0);
    EXPECT_GE(t.frames, 36000 - 1);
    EXPECT_LT(t.latestShown, 4000000);
    ASSERT_EQ(int(t.takeToScreen.size()), takes);
    EXPECT_GE(takes, 119);
    for (std::int64_t d : t.takeToScreen) {
        EXPECT_GT(d, 0);
        EXPECT_LE(d, std::int64_t(Period) + 4000000);
    }
    // What was presented changed the screen on the frames of moves only, not on every one.
    const auto drawn = std::count_if(presented.begin(), presented.end(),
                                     [](const QRect& r) { return !r.isEmpty(); });
    EXPECT_LT(drawn, std::ptrdiff_t(presented.size()));
    EXPECT_GT(drawn, 119);
}

// A program busy for three refreshes: the two it could not show are missed, the frame shown is
// the current refresh's, and the log says so.
TEST_F(LiveRun, ABusyProgramMissesRefreshesAndShowsTheCurrentOne) {
    velmora::live::LiveShow& s = start();
    clock.now += Period;
    s.wake();
    clock.now += 3 * Period + 1000;
    s.wake();
    const auto& frames = s.log().frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].refresh, 1);
    EXPECT_EQ(frames[1].refresh, 4);
    const velmora::live::Timing t = velmora::live::timingOf(s.log());
    EXPECT_EQ(t.missed, 2);
    // Woken early, nothing is shown.
    const std::uint64_t next = s.wake();
    EXPECT_EQ(s.log().frames().size(), 2u);
    EXPECT_EQ(next, clock.now - 1000 + Period);
}

// Take, Clear and Cut act on the next frame: a take pressed between two frames is on the frame
// after, already that far along.
TEST_F(LiveRun, ACommandActsOnTheNextFrameAndTheLogTellsWhen) {
    testsupport::TempDir dir;
    velmora::live::LiveShow& s = start();
    ASSERT_TRUE(s.log().writeTo(dir.file("frames.log")));
    clock.now += Period;
    s.wake(); // refresh 1 shown
    clock.now += Period / 2;
    s.take(); // half way to refresh 2
    EXPECT_EQ(air->onAir(), 0);
    const LineState first = air->linesAt(s.showTime(2))[0].state;
    EXPECT_TRUE(first.visible);
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0], QRect(0, 0, SW / 2, SH / 2)); // the black screen, whole
    clock.now += Period / 2;
    s.wake(); // refresh 2: the line is on the screen
    ASSERT_EQ(presented.size(), 2u);
    EXPECT_FALSE(presented[1].isEmpty()); // the line's part
    EXPECT_LT(presented[1].width(), SW / 2);
    s.cut();
    EXPECT_FALSE(air->anythingShown());
    const auto& c = s.log().commands();
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].name, "take");
    EXPECT_EQ(c[0].refresh, 2);
    EXPECT_EQ(c[1].name, "cut");
    EXPECT_EQ(c[1].refresh, 3);
    const velmora::live::Timing t = velmora::live::timingOf(s.log());
    ASSERT_EQ(t.takeToScreen.size(), 1u);
    EXPECT_EQ(t.takeToScreen[0], std::int64_t(Period / 2));
    QFile f(dir.file("frames.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith("# Velmora Live frame log: refresh period 16666666 ns"));
    EXPECT_EQ(lines[1], QStringLiteral("frame 1 due 16666666 shown 16666666"));
    EXPECT_EQ(lines[2], QStringLiteral("take given 24999999 refresh 2"));
    EXPECT_EQ(lines[3], QStringLiteral("frame 2 due 33333332 shown 33333332"));
    EXPECT_EQ(lines[4], QStringLiteral("cut given 33333332 refresh 3"));
}

// The key drawn beside the fill: white where a white title is, black around it, its soft edges
// as grey as the fill's, on the same frames; cut, both black.
TEST_F(LiveRun, TheKeyIsTheFillsCoverageOnTheSameFrames) {
    platform::Bitmap key(SW / 2, SH / 2, platform::PixelFormat::Bits32);
    velmora::live::LiveShow& s = start();
    s.setKey(&key);
    s.start();
    air->cue(2); // "End", in from the left
    s.take();
    int mixed = 0, differ = 0, lit = 0;
    for (int k = 0; k < 200; ++k) {
        clock.now += Period;
        s.wake();
        // The frame presented last is the one drawn before this wake's drawing ahead: look at
        // the frame drawn now, fill and key together.
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const int fill = int(frame.pixel(x, y) & 0xFF);
                const std::uint32_t kp = key.pixel(x, y);
                const int alpha = int(kp & 0xFF);
                EXPECT_EQ(kp, std::uint32_t(alpha) * 0x010101u) << "grey";
                if (std::abs(fill - alpha) > 2) ++differ;
                if (alpha > 0 && alpha < 255) ++mixed;
                if (alpha == 255) ++lit;
            }
    }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(mixed, 0);
    EXPECT_GT(lit, 0);
    s.cut();
    clock.now += Period;
    s.wake();
    for (int y = 0; y < key.height(); ++y)
        for (int x = 0; x < key.width(); ++x)
            ASSERT_EQ(key.pixel(x, y), 0u);
}

} // namespace
