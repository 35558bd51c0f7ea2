#include "player/page_player.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QStringList>
#include <QWidget>

#include "platform/Screen.h"
#include "test_support.h"

using platform::Bitmap;
using platform::CopyRecord;
using platform::PixelFormat;
using velmora::PageImage;

namespace {

// Records what the player asks, in order, as short words.
class RecordingControl : public velmora::PlayControl {
public:
    bool stopped() const override { return stop; }
    void pump() override {
        log << "pump";
        if (onPump) onPump();
    }
    void holdForSpaceBar(bool manual) override { log << (manual ? "space" : "nohold"); }
    bool openWave(int line, const QString& file) override {
        log << QString("open%1:%2").arg(line).arg(file);
        return !file.contains("bad");
    }
    void playWave() override { log << "play"; }
    void closeWave() override { log << "close"; }
    void beforeMove() override { log << "move"; }

    bool stop = false;
    QStringList log;
    std::function<void()> onPump;
};

class PagePlayer : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Screen::setVirtual(640, 480, 32);
        canvas.setObserver([this](const CopyRecord& r) {
            copies.push_back(r);
            control.log << QString("copy%1,%2").arg(r.x).arg(r.y);
        });
        widgetsBefore = QApplication::allWidgets().size();
    }
    void TearDown() override {
        // The player made no window of any kind.
        EXPECT_EQ(QApplication::allWidgets().size(), widgetsBefore);
        platform::Screen::clearVirtual();
    }
    // Line n shows a text at its resting place, without movement.
    void textLine(int n, const QString& text, int x, int y) {
        auto& l = page.lines[n - 1];
        l.Text = text;
        l.PosX = x;
        l.PosY = y;
        l.attrs.InUse = true;
        l.attrs.InDirection = 13;
        l.attrs.OutDirection = 13;
        l.attrs.FontSize = 20;
    }
    QStringList withoutPumps() const {
        QStringList l = control.log;
        l.removeAll("pump");
        return l;
    }

    testsupport::Seams seams;
    Bitmap screen{640, 480, PixelFormat::Bits32};
    platform::Canvas canvas{screen};
    RecordingControl control;
    velmora::ShowOptions options;
    PageImage page;
    std::vector<CopyRecord> copies;
    qsizetype widgetsBefore = 0;
};

} // namespace

TEST_F(PagePlayer, PlaysEachLineInItsOrderWithItsWaveAndMovesThemOut) {
    textLine(1, "One", 100, 50);
    textLine(2, "Two", 200, 150);
    textLine(3, "Three", 20, 300);
    page.lines[2].attrs.InUse = false; // line 3 is not in use: skipped
    page.lines[0].attrs.WaveFile = "/w/one.wav";
    page.lines[1].attrs.WaveFile = "/w/two.wav";
    page.settings.PauseTime = 1;
    const velmora::PlayOutcome out = velmora::playPage(page, options, canvas, control);

    // Line 1's wave plays before its strip is made, line 2's once it is made: between the two
    // only rendering happens, which draws nothing on the screen.
    EXPECT_EQ(withoutPumps(), QStringList({"nohold", "open1:/w/one.wav", "play", "move",
                                           "copy100,50", "close", "open2:/w/two.wav", "play",
                                           "move", "copy200,150", "close", "move", "copy100,50",
                                           "move", "copy200,150"}));
    // A fixed point after each strip is let go, lines not in use too.
    EXPECT_EQ(control.log.count("pump"), 3);
    EXPECT_EQ(out.restX, (std::array<std::int32_t, 3>{100, 200, 20}));
    EXPECT_EQ(out.restY, (std::array<std::int32_t, 3>{50, 150, 300}));
    EXPECT_EQ(out.bitmapFailed, (std::array<bool, 3>{}));
    // The one-second hold read the clock until a second had passed.
    EXPECT_GE(seams.clock.now, 1000u);
    // The texts stand on the screen.
    EXPECT_FALSE(testsupport::pixelsOf(screen, 0xFFFFFF).isEmpty());
}

TEST_F(PagePlayer, AManualPageHoldsTwiceAndAStopEndsItAtTheNextFixedPoint) {
    textLine(1, "One", 100, 50);
    textLine(2, "Two", 200, 150);
    page.settings.mpause = true;
    velmora::playPage(page, options, canvas, control);
    EXPECT_EQ(control.log.first(), "space");
    EXPECT_EQ(control.log.count("space"), 2);
    EXPECT_EQ(copies.size(), 4u);

    // Stopped while line 1 was being made: nothing moves, its strip is let go.
    control.log.clear();
    copies.clear();
    control.stop = true;
    velmora::playPage(page, options, canvas, control);
    EXPECT_TRUE(copies.empty());
    EXPECT_EQ(control.log, QStringList({"space", "pump", "close"}));
}

// A path line follows the page's own path, not any other's.
TEST_F(PagePlayer, PathLinesFollowTheirOwnPaths) {
    textLine(2, "Two", 0, 0);
    auto& l = page.lines[1];
    l.attrs.InDirection = 11;
    l.attrs.OutDirection = 11;
    l.InPath.LastIndex = l.OutPath.LastIndex = 3;
    for (std::uint16_t i = 0; i < 3; ++i) {
        l.InPath.Points[i] = {std::uint16_t(10 + i), std::uint16_t(20 + i)};
        l.OutPath.Points[i] = {std::uint16_t(300 + i), std::uint16_t(40 + i)};
    }
    page.lines[0].InPath.LastIndex = 999; // another line's path plays no part
    velmora::playPage(page, options, canvas, control);
    std::vector<std::pair<int, int>> at;
    for (const auto& c : copies)
        at.emplace_back(c.x, c.y);
    // The out path's point 2 is never drawn: a move-out stops before its last point.
    EXPECT_EQ(at, (std::vector<std::pair<int, int>>{
                      {10, 20}, {11, 21}, {12, 22}, {300, 40}, {301, 41}}));
}
