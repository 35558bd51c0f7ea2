#include <gtest/gtest.h>

#include <ostream>
#include <QString>
#include <set>
#include <string>
#include <vector>

#include "platform/Pump.h"
#include "platform/Screen.h"
#include "render/effects.h"
#include "test_support.h"

namespace {

using platform::Bitmap;
using platform::Canvas;
using platform::PixelFormat;
using platform::TColor;

constexpr TColor Backdrop = 0x00405060;

// A small strip: black pixels, saturated and odd values, and pixels so dim that they vanish
// below full brightness.
Bitmap fadeStrip(PixelFormat format) {
    Bitmap b(5, 3, format);
    const TColor colors[] = {0x000000, 0x2564C8, 0xFFFFFF, 0x010000, 0x030201,
                             0x000000, 0x7F80FE, 0x0000FF, 0x00FF00, 0xFF0000,
                             0x1F1F1F, 0x000000, 0x9A5C33, 0x202020, 0x000001};
    for (int i = 0; i < 15; ++i)
        b.setPixel(i % 5, i / 5, colors[i]);
    return b;
}

// Each channel times k / 32, truncated.
TColor scaled(TColor c, int k) {
    return platform::rgb(std::uint8_t((platform::redOf(c) * k) >> 5),
                         std::uint8_t((platform::greenOf(c) * k) >> 5),
                         std::uint8_t((platform::blueOf(c) * k) >> 5));
}

using FadeFn = void (*)(Canvas&, Bitmap&, std::int32_t, TColor, int, int);

struct FadeCase {
    const char* name;
    FadeFn fade;
    PixelFormat format;
    bool in;
};

void PrintTo(const FadeCase& c, std::ostream* os) {
    *os << c.name;
}

// Runs a fade at (x, y) = (3, 2) on a 32-bit canvas and keeps the strip's area after every frame.
struct FadeRun {
    std::vector<platform::CopyRecord> copies;
    std::vector<std::vector<TColor>> frames;
};

FadeRun runFade(const FadeCase& c, Bitmap& strip, std::int32_t delay, TColor color,
                platform::CopyMode mode = platform::CopyMode::SrcCopy) {
    Bitmap screen(16, 12, PixelFormat::Bits32);
    screen.fill(Backdrop);
    Canvas canvas(screen);
    canvas.copyMode = mode;
    FadeRun run;
    canvas.setObserver([&](const platform::CopyRecord& r) { run.copies.push_back(r); });
    canvas.setPresenter([&](const QRect&) {
        std::vector<TColor> area;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                area.push_back(screen.pixel(3 + x, 2 + y));
        run.frames.push_back(area);
    });
    c.fade(canvas, strip, delay, color, 3, 2);
    return run;
}

class Fades : public ::testing::TestWithParam<FadeCase> {
protected:
    testsupport::Seams seams;
};

TEST_P(Fades, ThirtyThreeFramesScaleTheStripAndKeepTheFillOnBlack) {
    const FadeCase& c = GetParam();
    Bitmap strip = fadeStrip(c.format);
    const Bitmap original = strip;
    const TColor color = 0x00336699;
    const FadeRun run = runFade(c, strip, 0, color);

    ASSERT_EQ(run.copies.size(), 33u);
    ASSERT_EQ(run.frames.size(), 33u);
    for (const auto& r : run.copies) {
        EXPECT_EQ(r.x, 3);
        EXPECT_EQ(r.y, 2);
        EXPECT_EQ(r.w, strip.width());
        EXPECT_EQ(r.h, strip.height());
        EXPECT_FALSE(r.stretched);
    }
    const TColor fill = c.in ? platform::clBlack : color;
    for (int frame = 0; frame < 33; ++frame) {
        const int k = c.in ? frame : 32 - frame;
        for (int i = 0; i < strip.width() * strip.height(); ++i) {
            const TColor src = original.pixel(i % strip.width(), i / strip.width());
            const TColor want = src == 0 ? fill : scaled(src, k);
            ASSERT_EQ(run.frames[frame][i], want) << "frame " << frame << " pixel " << i;
        }
    }
    // Halfway for both ways (k = 16): 0x2564C8 is seen at half its brightness.
    EXPECT_EQ(run.frames[16][1], 0x123264u);
    // Delay 0: the frames follow one another without a pause.
    EXPECT_TRUE(seams.clock.spins.empty());
    EXPECT_EQ(seams.clock.reads, 0u);
    // The strip itself is left as it was.
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            EXPECT_EQ(strip.pixel(x, y), original.pixel(x, y));
}

TEST_P(Fades, CopyUnderTheCanvasCopyMode) {
    const FadeCase& c = GetParam();
    Bitmap strip = fadeStrip(c.format);
    const FadeRun run = runFade(c, strip, 0, 0, platform::CopyMode::SrcInvert);
    ASSERT_EQ(run.copies.size(), 33u);
    for (const auto& r : run.copies)
        EXPECT_EQ(r.mode, platform::CopyMode::SrcInvert);
}

TEST_P(Fades, WaitFadeStepDelayAfterEveryFrame) {
    const FadeCase& c = GetParam();
    Bitmap strip = fadeStrip(c.format);
    std::vector<std::size_t> spinsAtCopy;
    Bitmap screen(16, 12, PixelFormat::Bits32);
    Canvas canvas(screen);
    canvas.setObserver(
        [&](const platform::CopyRecord&) { spinsAtCopy.push_back(seams.clock.spins.size()); });
    c.fade(canvas, strip, 3, 0, 0, 0);
    ASSERT_EQ(spinsAtCopy.size(), 33u);
    // Three passes of three iterations after each frame, none before the first.
    for (std::size_t i = 0; i < spinsAtCopy.size(); ++i)
        EXPECT_EQ(spinsAtCopy[i], 3 * i);
    EXPECT_EQ(seams.clock.spins.size(), 99u);
    for (auto s : seams.clock.spins)
        EXPECT_EQ(s, 3u);
    EXPECT_EQ(seams.clock.reads, 99u);
}

INSTANTIATE_TEST_SUITE_P(
    AllFourRoutines, Fades,
    ::testing::Values(FadeCase{"In24", &effects::FadeIn24, PixelFormat::Bits24, true},
                      FadeCase{"Out24", &effects::FadeOut24, PixelFormat::Bits24, false},
                      FadeCase{"In32", &effects::FadeIn32, PixelFormat::Bits32, true},
                      FadeCase{"Out32", &effects::FadeOut32, PixelFormat::Bits32, false},
                      // A strip of the other depth is read in its own layout.
                      FadeCase{"In24On32", &effects::FadeIn24, PixelFormat::Bits32, true},
                      FadeCase{"Out32On24", &effects::FadeOut32, PixelFormat::Bits24, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FadeStepDelay, RunsNPassesOfNIterationsEachEndingWithATickRead) {
    testsupport::Seams seams;
    for (std::int32_t n : {1, 2, 7}) {
        seams.clock.spins.clear();
        seams.clock.reads = 0;
        effects::FadeStepDelay(n);
        EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>(std::size_t(n), std::uint64_t(n)));
        EXPECT_EQ(seams.clock.reads, std::uint64_t(n));
    }
    seams.clock.spins.clear();
    seams.clock.reads = 0;
    effects::FadeStepDelay(0);
    effects::FadeStepDelay(-4);
    EXPECT_TRUE(seams.clock.spins.empty());
    EXPECT_EQ(seams.clock.reads, 0u);
}

// ---- Timed waits ------------------------------------------------------------------------------

struct WaitLog {
    std::vector<std::uint64_t> readsAtPump;
};

class WaitSecondsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setPumpHook([this] { log.readsAtPump.push_back(seams.clock.reads); });
    }
    testsupport::Seams seams;
    WaitLog log;
};

TEST_F(WaitSecondsTest, SpinsOnTheTickCountWithMessagesBeforeAndAfter) {
    seams.clock.now = 5000;
    effects::WaitSeconds(2);
    // One read for the start, then reads until the tick count reaches start + 2000.
    EXPECT_EQ(seams.clock.reads, 1u + 2000u);
    EXPECT_EQ(seams.clock.now, 5000u + 2001u);
    ASSERT_EQ(log.readsAtPump.size(), 2u);
    EXPECT_EQ(log.readsAtPump[0], 1u);                // after the start is read
    EXPECT_EQ(log.readsAtPump[1], seams.clock.reads); // nothing processed during the spin
    EXPECT_TRUE(seams.clock.spins.empty());
}

TEST_F(WaitSecondsTest, ZeroOrNegativeSecondsOnlyProcessMessages) {
    for (std::int32_t s : {0, -1, -30}) {
        seams.clock.reads = 0;
        log.readsAtPump.clear();
        effects::WaitSeconds(s);
        EXPECT_EQ(seams.clock.reads, 1u) << s;
        EXPECT_EQ(log.readsAtPump.size(), 2u) << s;
    }
}

TEST_F(WaitSecondsTest, LastsItsFullLengthAcrossTheTickCountsWrap) {
    // 4096 ms before the wrap; the end of a 5-second wait lies beyond it.
    seams.clock.now = 0xFFFFF000u;
    effects::WaitSeconds(5);
    EXPECT_EQ(seams.clock.reads, 1u + 5000u);
    EXPECT_EQ(seams.clock.now, std::uint32_t(0xFFFFF000u + 5001u));
    EXPECT_LT(seams.clock.now, 0xFFFFF000u); // the tick count did wrap

    // A one-second wait from the same start ends before the wrap.
    seams.clock.now = 0xFFFFF000u;
    seams.clock.reads = 0;
    effects::WaitSeconds(1);
    EXPECT_EQ(seams.clock.reads, 1u + 1000u);

    // The tick count wraps during the spin of a short wait.
    seams.clock.now = 0xFFFFFE00u;
    seams.clock.reads = 0;
    effects::WaitSeconds(1);
    EXPECT_EQ(seams.clock.reads, 1u + 1000u);
}

TEST_F(WaitSecondsTest, StopsAtTheFirstReadAtOrPastTheEnd) {
    seams.clock.now = 0xFFFFF000u;
    seams.clock.stepPerRead = 7;
    effects::WaitSeconds(5);
    const std::uint32_t end = 0xFFFFF000u + 5000u;
    const std::uint32_t lastRead = seams.clock.now - 7;
    EXPECT_GE(std::int32_t(lastRead - end), 0);
    EXPECT_LT(std::int32_t(lastRead - end), 7);
}

// ---- Colour bars ------------------------------------------------------------------------------

class ColorBars : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Screen::setVirtual(640, 480, 32);
        screen.fill(0x00123456);
        platform::setPumpHook([this] { events.push_back("pump"); });
        effects::setInvalidateHook([this] {
            events.push_back("invalidate");
            readsAtInvalidate = seams.clock.reads;
        });
    }
    void TearDown() override {
        platform::Screen::clearVirtual();
        effects::setInvalidateHook({});
    }
    testsupport::Seams seams;
    Bitmap screen{640, 480, PixelFormat::Bits32};
    Canvas canvas{screen};
    std::vector<std::string> events;
    std::uint64_t readsAtInvalidate = 0;
};

constexpr TColor Bars[7] = {0xFFFFFF, 0x00FFFF, 0xFFFF00, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF};
constexpr TColor Boxes[7] = {0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080};

TEST_F(ColorBars, SevenBarsEightyPixelsWideOutlinedByThePen) {
    effects::ShowColorBars(canvas, 0);
    const int w = 640 / 8;
    ASSERT_EQ(w, 80);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(screen.pixel(k * w, 200), platform::clBlack) << k;         // left outline
        EXPECT_EQ(screen.pixel(k * w + w - 1, 200), platform::clBlack) << k; // right outline
        EXPECT_EQ(screen.pixel(k * w + 20, 0), platform::clBlack) << k;      // top outline
        for (int x = k * w + 1; x < (k + 1) * w - 1; ++x)
            ASSERT_EQ(screen.pixel(x, 200), Bars[k]) << "bar " << k << " x " << x;
        for (int y = 1; y < 480 - 32; ++y)
            ASSERT_EQ(screen.pixel(k * w + 40, y), Bars[k]) << y;
    }
}

TEST_F(ColorBars, EighthColumnHoldsTheBoxesAndTheCrossHatchedSilverBox) {
    effects::ShowColorBars(canvas, 0);
    const int left = 7 * 80, right = 8 * 80, h = 480 / 10;
    for (int j = 0; j < 7; ++j) {
        EXPECT_EQ(screen.pixel(left + 40, j * h + h / 2), Boxes[j]) << j;
        EXPECT_EQ(screen.pixel(left + 40, j * h), platform::clBlack) << j; // outline
    }
    // The silver box's interior, above the band: black hatch lines every 8 pixels both ways over
    // silver.
    const int top = 7 * h + 1, bottom = 480 - 32 - 1; // rows top..bottom-1
    std::vector<int> hatchRows, hatchCols;
    for (int y = top; y < bottom; ++y) {
        bool all = true;
        for (int x = left + 1; x < right - 1; ++x)
            all = all && screen.pixel(x, y) == 0;
        if (all) hatchRows.push_back(y);
    }
    for (int x = left + 1; x < right - 1; ++x) {
        bool all = true;
        for (int y = top; y < bottom; ++y)
            all = all && screen.pixel(x, y) == 0;
        if (all) hatchCols.push_back(x);
    }
    ASSERT_GE(hatchRows.size(), 10u);
    ASSERT_GE(hatchCols.size(), 9u);
    for (std::size_t i = 1; i < hatchRows.size(); ++i)
        EXPECT_EQ(hatchRows[i] - hatchRows[i - 1], 8);
    for (std::size_t i = 1; i < hatchCols.size(); ++i)
        EXPECT_EQ(hatchCols[i] - hatchCols[i - 1], 8);
    const std::set<int> rows(hatchRows.begin(), hatchRows.end());
    const std::set<int> cols(hatchCols.begin(), hatchCols.end());
    for (int y = top; y < bottom; ++y)
        for (int x = left + 1; x < right - 1; ++x) {
            const bool line = rows.count(y) || cols.count(x);
            ASSERT_EQ(screen.pixel(x, y), line ? platform::clBlack : platform::clSilver)
                << x << "," << y;
        }
    EXPECT_EQ(canvas.brush.style, platform::BrushStyle::Solid);
}

TEST_F(ColorBars, GreyRampHasTwentyOneSixteenPixelStepsAndIsWhiteFromTheMiddle) {
    effects::ShowColorBars(canvas, 0);
    const int steps = 640 / 32;
    ASSERT_EQ(steps, 20);
    for (int row : {480 - 32, 470, 479}) {
        for (int x = 0; x < 320; ++x) {
            const int i = x / 16;
            const auto g = std::uint8_t(i * 255 / steps);
            ASSERT_EQ(screen.pixel(x, row), platform::rgb(g, g, g)) << x << "," << row;
        }
        for (int x = 320; x < 640; ++x)
            ASSERT_EQ(screen.pixel(x, row), platform::clWhite) << x;
    }
    // 21 distinct greys along the band, black first.
    std::set<TColor> greys;
    for (int x = 0; x < 640; ++x)
        greys.insert(screen.pixel(x, 470));
    EXPECT_EQ(greys.size(), 21u);
    EXPECT_EQ(screen.pixel(0, 470), platform::clBlack);
    EXPECT_EQ(screen.pixel(15, 470), platform::clBlack);
    EXPECT_NE(screen.pixel(16, 470), platform::clBlack);
}

TEST_F(ColorBars, HoldThenInvalidateAndWaitOneSecond) {
    std::vector<std::uint64_t> readsAtPump;
    TColor seenAtFirstPump = 0, seenAtSecondPump = 0;
    platform::setPumpHook([&] {
        events.push_back("pump");
        readsAtPump.push_back(seams.clock.reads);
        if (readsAtPump.size() == 1) seenAtFirstPump = screen.pixel(40, 200);
        if (readsAtPump.size() == 2) seenAtSecondPump = screen.pixel(40, 200);
    });
    effects::ShowColorBars(canvas, 3);
    const std::vector<std::string> want = {"pump", "pump", "pump", "invalidate",
                                           "pump", "pump", "pump"};
    EXPECT_EQ(events, want);
    EXPECT_EQ(seenAtFirstPump, 0x123456u); // messages run before anything is drawn
    EXPECT_EQ(seenAtSecondPump, Bars[0]);
    // The hold: three seconds on the tick count before the invalidation; one more after it.
    EXPECT_GE(readsAtInvalidate, 3000u);
    EXPECT_LT(readsAtInvalidate, 3000u + 10u);
    EXPECT_GE(seams.clock.reads - readsAtInvalidate, 1000u);
    EXPECT_LT(seams.clock.reads - readsAtInvalidate, 1000u + 10u);
}

TEST_F(ColorBars, HoldOfZeroWaitsOnlyTheSecondAfterTheInvalidation) {
    effects::ShowColorBars(canvas, 0);
    EXPECT_LT(readsAtInvalidate, 10u);
    EXPECT_GE(seams.clock.reads, 1000u);
    EXPECT_LT(seams.clock.reads, 1000u + 10u);
}

// ---- Count down -------------------------------------------------------------------------------

class CountDown : public ColorBars {};

TEST_F(CountDown, TenNumbersOneSecondEachThenTwoMoreSeconds) {
    std::vector<std::uint64_t> readsAtPump;
    platform::setPumpHook([&] {
        events.push_back("pump");
        readsAtPump.push_back(seams.clock.reads);
    });
    canvas.setPresenter([&](const QRect&) { events.push_back("draw"); });
    effects::ShowCountDown(canvas);

    // Invalidate, messages; ten times a number and a one-second wait (messages before and
    // after); a wait, invalidate, a wait, messages.
    std::vector<std::string> want = {"invalidate", "pump"};
    for (int n = 10; n >= 1; --n)
        want.insert(want.end(), {"draw", "pump", "pump"});
    want.insert(want.end(), {"pump", "pump", "invalidate", "pump", "pump", "pump"});
    EXPECT_EQ(events, want);

    // Twelve one-second waits: the pumps come in pairs a second apart.
    ASSERT_EQ(readsAtPump.size(), 26u);
    for (std::size_t i = 1; i + 1 < readsAtPump.size(); i += 2) {
        EXPECT_GE(readsAtPump[i + 1] - readsAtPump[i], 1000u) << i;
        EXPECT_LT(readsAtPump[i + 1] - readsAtPump[i], 1000u + 5u) << i;
    }
    EXPECT_GE(seams.clock.reads, 12000u);
    EXPECT_LT(seams.clock.reads, 12000u + 50u);
    EXPECT_GE(readsAtInvalidate, 11000u);
    EXPECT_LT(readsAtInvalidate, 12000u);
}

// White Arial a third of the width high; the text " n " centred on its own width and on the
// height of n alone, over an opaque black box.
TEST_F(CountDown, DrawsEachNumberCentredOverAnOpaqueBox) {
    struct Box {
        int x, y, w, h;
    };
    auto boxFor = [&](int n) {
        const QString text = QStringLiteral(" %1 ").arg(n);
        return Box{320 - canvas.textWidth(text) / 2,
                   240 - canvas.textHeight(QString::number(n)) / 2, canvas.textWidth(text),
                   canvas.textHeight(text)};
    };
    auto isGrey = [](TColor c) {
        return platform::redOf(c) == platform::greenOf(c) &&
               platform::greenOf(c) == platform::blueOf(c);
    };
    int checked = 0;
    int pumps = 0;
    platform::setPumpHook([&] {
        ++pumps;
        // Pumps 2, 4, ..., 20 open the waits that follow the numbers 10, 9, ..., 1.
        if (pumps < 2 || pumps > 20 || pumps % 2 != 0) return;
        const int n = 10 - (pumps - 2) / 2;
        const Box b = boxFor(n);
        int white = 0;
        for (int y = b.y; y < b.y + b.h; ++y)
            for (int x = b.x; x < b.x + b.w; ++x) {
                const TColor c = screen.pixel(x, y);
                ASSERT_TRUE(isGrey(c)) << "n " << n << " at " << x << "," << y;
                if (c == platform::clWhite) ++white;
            }
        EXPECT_GT(white, 100) << n;
        ++checked;
    });
    effects::ShowCountDown(canvas);
    EXPECT_EQ(checked, 10);
    EXPECT_EQ(canvas.font.name, QStringLiteral("Arial"));
    EXPECT_EQ(canvas.font.size, 640 / 3);
    EXPECT_EQ(canvas.font.color, platform::clWhite);
    EXPECT_EQ(canvas.brush.color, platform::clBlack);
    // Nothing clears between numbers: the wide " 10 " box still shows around the narrow " 1 ".
    const Box ten = boxFor(10), one = boxFor(1);
    ASSERT_LT(ten.x, one.x);
    EXPECT_EQ(screen.pixel(ten.x, 240), platform::clBlack);
    EXPECT_EQ(screen.pixel(ten.x - 1, 240), 0x123456u); // outside every box: as it was
}

} // namespace
