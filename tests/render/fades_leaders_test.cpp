#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "platform/Pump.h"
#include "platform/Screen.h"
#include "render/effects.h"
#include "test_support.h"

namespace {

using platform::Bitmap;
using platform::Canvas;
using platform::CopyMode;
using platform::PixelFormat;
using platform::TColor;

// Each channel times k / 32, truncated.
TColor scaled(TColor c, int k) {
    return platform::rgb(std::uint8_t((platform::redOf(c) * k) >> 5),
                         std::uint8_t((platform::greenOf(c) * k) >> 5),
                         std::uint8_t((platform::blueOf(c) * k) >> 5));
}

struct FadeCase {
    const char* name;
    void (*fade)(Canvas&, Bitmap&, std::int32_t, TColor, int, int);
    PixelFormat format;
    bool in;
};

class Fades : public ::testing::TestWithParam<FadeCase> {
protected:
    testsupport::Seams seams;
};

// A 5 x 3 strip faded at (3, 2): black pixels, saturated and odd values, and pixels so dim that
// they vanish below full brightness.
TEST_P(Fades, ThirtyThreeFramesScaleTheStripAndKeepTheFillOnBlack) {
    const FadeCase& c = GetParam();
    Bitmap strip(5, 3, c.format);
    const TColor colors[] = {0x000000, 0x2564C8, 0xFFFFFF, 0x010000, 0x030201,
                             0x000000, 0x7F80FE, 0x0000FF, 0x00FF00, 0xFF0000,
                             0x1F1F1F, 0x000000, 0x9A5C33, 0x202020, 0x000001};
    for (int i = 0; i < 15; ++i)
        strip.setPixel(i % 5, i / 5, colors[i]);
    Bitmap screen(16, 12, PixelFormat::Bits32);
    screen.fill(0x00405060);
    Canvas canvas(screen);
    std::vector<platform::CopyRecord> copies;
    std::vector<std::size_t> spinsAtCopy;
    std::vector<std::vector<TColor>> frames; // the strip's area after every frame
    canvas.setObserver([&](const platform::CopyRecord& r) {
        copies.push_back(r);
        spinsAtCopy.push_back(seams.clock.spins.size());
    });
    canvas.setPresenter([&](const QRect&) {
        frames.emplace_back();
        for (int i = 0; i < 15; ++i)
            frames.back().push_back(screen.pixel(3 + i % 5, 2 + i / 5));
    });
    const TColor color = 0x00336699;
    c.fade(canvas, strip, 3, color, 3, 2);

    ASSERT_EQ(copies.size(), 33u);
    ASSERT_EQ(frames.size(), 33u);
    for (std::size_t i = 0; i < 33; ++i) {
        const auto& r = copies[i];
        EXPECT_TRUE(r.x == 3 && r.y == 2 && r.w == 5 && r.h == 3 && !r.stretched);
        EXPECT_EQ(r.mode, CopyMode::SrcCopy);
        EXPECT_EQ(spinsAtCopy[i], 3 * i); // FadeStepDelay(3) after each frame, none before
    }
    EXPECT_EQ(seams.clock.spins, std::vector<std::uint64_t>(99, 3));
    EXPECT_EQ(seams.clock.reads, 99u);
    const TColor fill = c.in ? platform::clBlack : color;
    for (int frame = 0; frame < 33; ++frame)
        for (int i = 0; i < 15; ++i)
            ASSERT_EQ(frames[frame][i],
                      colors[i] == 0 ? fill : scaled(colors[i], c.in ? frame : 32 - frame))
                << "frame " << frame << " pixel " << i;
    EXPECT_EQ(frames[16][1], 0x123264u); // halfway both ways: 0x2564C8 at half its brightness
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(strip.pixel(i % 5, i / 5), colors[i]); // the strip is left as it was

    // The frames are copied under the canvas's copy mode.
    canvas.copyMode = CopyMode::SrcInvert;
    copies.clear();
    c.fade(canvas, strip, 0, color, 3, 2);
    ASSERT_EQ(copies.size(), 33u);
    for (const auto& r : copies)
        EXPECT_EQ(r.mode, CopyMode::SrcInvert);
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

// Messages are processed once the start is read and once at the end, never during the wait,
// which sleeps in slices of at most 10 ms and never spins. Here reading the clock takes no time.
TEST(WaitSeconds, SleepsInSlicesAcrossTheTickCountsWrap) {
    testsupport::Seams seams;
    seams.clock.stepPerRead = 0;
    std::vector<std::uint32_t> timeAtPump;
    platform::setPumpHook([&] { timeAtPump.push_back(seams.clock.now); });
    const struct {
        std::uint32_t start;
        std::int32_t seconds;
    } cases[] = {
        {5000, 2},        {0xFFFFF000u, 5}, // the end lies beyond the wrap
        {0xFFFFF000u, 1}, {0xFFFFFE00u, 1}, // the wrap comes during the wait
        {5000, 0},        {5000, -30},      // no wait at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " + " << c.seconds << " s");
        seams.clock.now = c.start;
        seams.clock.sleeps = 0;
        seams.clock.sleptNanos = 0;
        timeAtPump.clear();
        effects::WaitSeconds(c.seconds);
        const std::uint32_t length = c.seconds > 0 ? 1000u * std::uint32_t(c.seconds) : 0u;
        EXPECT_EQ(seams.clock.now, c.start + length);
        EXPECT_EQ(seams.clock.sleptNanos, std::uint64_t(length) * 1000000u);
        EXPECT_EQ(seams.clock.sleeps, length / 10u); // 10 ms slices
        EXPECT_EQ(timeAtPump, (std::vector<std::uint32_t>{c.start, c.start + length}));
    }
    EXPECT_TRUE(seams.clock.spins.empty());
    platform::setPumpHook({});

    // A clock moving 7 ms a read stops at the first read at or past the end.
    seams.clock.now = 0xFFFFF000u;
    seams.clock.stepPerRead = 7;
    effects::WaitSeconds(5);
    const std::int32_t late = std::int32_t(seams.clock.now - 7 - (0xFFFFF000u + 5000u));
    EXPECT_TRUE(late >= 0 && late < 17) << late;
}

// ---- Colour bars and count down on a 640 x 480 screen -----------------------------------------

class Leaders : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Screen::setVirtual(640, 480, 32);
        screen.fill(0x00123456);
        seams.clock.stepPerRead = 0; // only the waits' sleeps move time on
        platform::setPumpHook([this] { pump(); });
        effects::setInvalidateHook([this] {
            events.push_back("invalidate");
            timeAtInvalidate = seams.clock.now;
        });
    }
    void TearDown() override {
        platform::Screen::clearVirtual();
        effects::setInvalidateHook({});
        platform::setPumpHook({});
    }
    void pump() {
        events.push_back("pump");
        timeAtPump.push_back(seams.clock.now);
        if (onPump) onPump();
    }
    testsupport::Seams seams;
    Bitmap screen{640, 480, PixelFormat::Bits32};
    Canvas canvas{screen};
    std::vector<std::string> events;
    std::vector<std::uint32_t> timeAtPump;
    std::uint32_t timeAtInvalidate = 0;
    std::function<void()> onPump;
};

TEST_F(Leaders, ColorBars) {
    const TColor bars[7] = {0xFFFFFF, 0x00FFFF, 0xFFFF00, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF};
    const TColor boxes[7] = {0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080};
    std::vector<TColor> seen;
    onPump = [&] { seen.push_back(screen.pixel(40, 200)); };
    effects::ShowColorBars(canvas, 3);
    EXPECT_EQ(events, (std::vector<std::string>{"pump", "pump", "pump", "invalidate", "pump",
                                                "pump", "pump"}));
    EXPECT_EQ(seen[0], 0x123456u); // messages run before anything is drawn
    EXPECT_EQ(seen[1], 0xFFFFFFu);
    // The hold: three seconds before the invalidation, one more after it.
    EXPECT_EQ(timeAtInvalidate, 3000u);
    EXPECT_EQ(seams.clock.now - timeAtInvalidate, 1000u);

    // Seven bars 80 pixels wide, outlined in black by the pen.
    for (int x = 0; x < 560; ++x) {
        ASSERT_EQ(screen.pixel(x, 0), platform::clBlack) << x;
        ASSERT_EQ(screen.pixel(x, 200),
                  x % 80 == 0 || x % 80 == 79 ? platform::clBlack : bars[x / 80])
            << x;
    }
    for (int y = 1; y < 448; ++y)
        for (int k = 0; k < 7; ++k)
            ASSERT_EQ(screen.pixel(k * 80 + 40, y), bars[k]) << "bar " << k << " y " << y;
    // The eighth column: seven boxes 48 high, then silver cross-hatched in black every 8 pixels.
    for (int j = 0; j < 7; ++j) {
        EXPECT_EQ(screen.pixel(600, j * 48 + 24), boxes[j]) << j;
        EXPECT_EQ(screen.pixel(600, j * 48), platform::clBlack) << j;
    }
    for (int y = 7 * 48 + 1; y < 447; ++y)
        for (int x = 561; x < 639; ++x)
            ASSERT_EQ(screen.pixel(x, y),
                      x % 8 == 0 || y % 8 == 0 ? platform::clBlack : platform::clSilver)
                << x << "," << y;
    EXPECT_EQ(canvas.brush.style, platform::BrushStyle::Solid);
    // The band: 20 greys in 16-pixel steps from black, then white from x = 320: 21 greys.
    for (int y : {448, 470, 479})
        for (int x = 0; x < 640; ++x) {
            const auto g = std::uint8_t(x / 16 * 255 / 20);
            ASSERT_EQ(screen.pixel(x, y), x < 320 ? platform::rgb(g, g, g) : platform::clWhite)
                << x << "," << y;
        }
}

TEST_F(Leaders, CountDownTenNumbersOneSecondEachThenTwoMoreSeconds) {
    canvas.setPresenter([&](const QRect&) { events.push_back("draw"); });
    // Each number " n " is centred on its own width and on the height of n alone, white Arial a
    // third of the width high over an opaque black box; it is checked when its wait begins.
    auto boxFor = [&](int n) {
        const QString text = QStringLiteral(" %1 ").arg(n);
        return QRect(320 - canvas.textWidth(text) / 2,
                     240 - canvas.textHeight(QString::number(n)) / 2, canvas.textWidth(text),
                     canvas.textHeight(text));
    };
    int checked = 0;
    onPump = [&] {
        const std::size_t p = timeAtPump.size(); // pumps 2, 4, ..., 20 follow 10, 9, ..., 1
        if (p < 2 || p > 20 || p % 2 != 0) return;
        const QRect b = boxFor(10 - int(p - 2) / 2);
        int white = 0;
        for (int y = b.top(); y <= b.bottom(); ++y)
            for (int x = b.left(); x <= b.right(); ++x) {
                const TColor c = screen.pixel(x, y);
                ASSERT_TRUE(platform::redOf(c) == platform::greenOf(c) &&
                            platform::greenOf(c) == platform::blueOf(c))
                    << x << "," << y;
                white += c == platform::clWhite;
            }
        EXPECT_GT(white, 100) << p;
        ++checked;
    };
    effects::ShowCountDown(canvas);
    EXPECT_EQ(checked, 10);

    std::vector<std::string> want = {"invalidate", "pump"};
    for (int n = 10; n >= 1; --n)
        want.insert(want.end(), {"draw", "pump", "pump"});
    want.insert(want.end(), {"pump", "pump", "invalidate", "pump", "pump", "pump"});
    EXPECT_EQ(events, want);
    // Twelve one-second waits: the pumps come in pairs a second apart.
    ASSERT_EQ(timeAtPump.size(), 26u);
    for (std::size_t i = 1; i + 1 < timeAtPump.size(); i += 2)
        EXPECT_EQ(timeAtPump[i + 1] - timeAtPump[i], 1000u) << i;
    EXPECT_EQ(seams.clock.now, 12000u);
    EXPECT_EQ(timeAtInvalidate, 11000u);

    EXPECT_EQ(canvas.font.name, QStringLiteral("Arial"));
    EXPECT_EQ(canvas.font.size, 640 / 3);
    // Nothing clears between numbers: the wide " 10 " box still shows around the narrow " 1 ".
    const QRect ten = boxFor(10), one = boxFor(1);
    ASSERT_LT(ten.left(), one.left());
    EXPECT_EQ(screen.pixel(ten.left(), 240), platform::clBlack);
    EXPECT_EQ(screen.pixel(ten.left() - 1, 240), 0x123456u); // outside every box: as it was
}

} // namespace
