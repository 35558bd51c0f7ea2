#include "player/page_player.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QWidget>

#include "platform/Pump.h"
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
    testsupport::TempDir dir;
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

TEST_F(PagePlayer, LeadersOpenThePageOnlyWhenAsked) {
    textLine(1, "One", 100, 50);
    options.useColorBars = true;
    options.holdTime = 1;
    bool barsSeen = false;
    platform::setPumpHook([&] { barsSeen = barsSeen || screen.pixel(1, 1) == 0xFFFFFF; });
    velmora::playPage(page, options, canvas, control);
    EXPECT_FALSE(barsSeen);
    options.leaders = true;
    velmora::playPage(page, options, canvas, control);
    platform::setPumpHook({});
    EXPECT_TRUE(barsSeen);
}

TEST_F(PagePlayer, FailedPicturesAndWavesAreReportedInTheOutcome) {
    // An unreadable picture: reported by the strip, the line keeps its place and is skipped.
    const QString bad = dir.file("bad.bmp");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM broken");
    f.close();
    textLine(1, "", 100, 50);
    page.lines[0].attrs.BitmapFile = bad;
    page.lines[0].attrs.InDirection = 5;
    textLine(2, "Two", 200, 150);
    velmora::PlayOutcome out = velmora::playPage(page, options, canvas, control);
    EXPECT_EQ(out.bitmapFailed, (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(out.restX[0], 100);
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Error opening file: " + bad}));

    // A wave that cannot be opened ends the page there.
    control.log.clear();
    copies.clear();
    page.lines[0].attrs.BitmapFile.clear();
    page.lines[0].Text = "One";
    page.lines[0].attrs.InDirection = 13;
    page.lines[1].attrs.WaveFile = "/w/bad.wav";
    out = velmora::playPage(page, options, canvas, control);
    EXPECT_EQ(out.waveFailed, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(copies.size(), 1u); // line 1 moved in, nothing after
    EXPECT_EQ(control.log.last(), "pump");
}

// A path line follows the page's own path, not any other's.
TEST_F(PagePlayer, PathLinesFollowTheirOwnPaths) {
    textLine(2, "Two", 0, 0);
    auto& l = page.lines[1];
    l.attrs.InDirection = 11;
    l.attrs.OutDirection = 11;
    l.InPath.LastIndex = 3;
    l.InPath.Points[0] = {10, 20};
    l.InPath.Points[1] = {11, 21};
    l.InPath.Points[2] = {12, 22};
    l.OutPath.LastIndex = 3;
    l.OutPath.Points[0] = {300, 40};
    l.OutPath.Points[1] = {301, 41};
    page.lines[0].InPath.LastIndex = 999; // another line's path plays no part
    velmora::playPage(page, options, canvas, control);
    std::vector<std::pair<int, int>> at;
    for (const auto& c : copies)
        at.emplace_back(c.x, c.y);
    EXPECT_EQ(at, (std::vector<std::pair<int, int>>{
                      {10, 20}, {11, 21}, {12, 22}, {300, 40}, {301, 41}}));
}
