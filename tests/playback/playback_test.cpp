#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QSlider>
#include <QTimer>

#include <map>

#include "export/show_render.h"
#include "playback_fixture.h"
#include "render/Dynarray.h"
#include "render/Dynarray32.h"

using platform::CopyRecord;

// The real playback window with its copies recorded.
class PlaybackTest : public PlaybackWindowTest {
protected:
    void SetUp() override {
        PlaybackWindowTest::SetUp();
        can->canvas().setObserver([this](const CopyRecord& r) {
            copies.push_back(r);
            if (onCopy) onCopy(r);
        });
        main->Edit1->setText("One");
        main->setsav(false);
        for (int n = 1; n <= 3; ++n) {
            main->line(n).InDirection = 13;
            main->line(n).OutDirection = 13;
        }
        can->setTitlePos(1, 100, 50);
    }

    void press(int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(can.get(), &e);
    }
    void click(Qt::MouseButton b) { send(can.get(), QEvent::MouseButtonPress, {5, 5}, b, b); }
    std::vector<QPoint> copiedAt() const {
        std::vector<QPoint> at;
        for (const CopyRecord& r : copies)
            at.emplace_back(r.x, r.y);
        return at;
    }

    std::vector<CopyRecord> copies;
    std::function<void(const CopyRecord&)> onCopy;
};

TEST_F(PlaybackTest, APagePlaysItsLinesInHoldsAndMovesThemOut) {
    main->Edit3->setText("Three");
    can->setTitlePos(3, 20, 300);
    main->PauseTime = 2;
    const auto timeBefore = seams.clock.now;
    can->PlayPage("Current");
    // Line 1 in, line 3 in, then both out: each code 13 is one copy at the resting place.
    EXPECT_EQ(copiedAt(), std::vector<QPoint>({{100, 50}, {20, 300}, {100, 50}, {20, 300}}));
    // The two-second hold lasted two seconds.
    EXPECT_GE(seams.clock.now - timeBefore, 2000u);
    EXPECT_LT(seams.clock.now - timeBefore, 2100u);
    EXPECT_TRUE(can->isVisible());
    EXPECT_EQ(can->titleX(1), 100);
    // The lines stay on screen after a code 13 move-out.
    int lit = 0;
    for (int y = 50; y < 130; ++y)
        for (int x = 100; x < 200; ++x)
            lit += can->screenBitmap().pixel(x, y) != 0;
    EXPECT_GT(lit, 100);
}

TEST_F(PlaybackTest, LeadersOpenOnlyTheFirstPage) {
    main->UseColorBars = true;
    main->Holdtime = 1;
    bool barsSeen = false;
    platform::setPumpHook(
        [&] { barsSeen = barsSeen || can->screenBitmap().pixel(1, 1) == 0xFFFFFF; });
    can->PlayPage("001");
    EXPECT_FALSE(barsSeen);
    can->PlayPage("Current");
    EXPECT_FALSE(barsSeen);
    can->PlayPage("000");
    EXPECT_TRUE(barsSeen);
}

TEST_F(PlaybackTest, AManualPageWaitsForTheSpaceBarTwice) {
    main->CheckBox1->setChecked(true);
    int spaces = 0;
    platform::setPumpHook([&] {
        if (can->spcbarpause()) {
            ++spaces;
            press(Qt::Key_Space);
        }
    });
    can->PlayPage("Current");
    EXPECT_EQ(spaces, 2);
    EXPECT_FALSE(can->getkillnow());
    EXPECT_EQ(copies.size(), 2u);
}

TEST_F(PlaybackTest, AnyOtherKeyStopsAManualPageAtItsWait) {
    main->CheckBox1->setChecked(true);
    platform::setPumpHook([&] {
        if (can->spcbarpause()) press(Qt::Key_A);
    });
    can->PlayPage("Current");
    EXPECT_TRUE(can->getkillnow());
    // Stopped after rendering line 1: nothing moved.
    EXPECT_TRUE(copies.empty());
}

TEST_F(PlaybackTest, EscapeDuringTheMoveInActsAtTheHold) {
    main->line(1).InDirection = 5; // a long straight move
    main->CheckBox1->setChecked(true);
    bool posted = false;
    onCopy = [&](const CopyRecord&) {
        if (!posted && can->spcbarpause() == false) {
            posted = true;
            QCoreApplication::postEvent(
                can.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };
    int spaceWaitPumps = 0;
    platform::setPumpHook([&] {
        if (can->spcbarpause() && ++spaceWaitPumps == 1) press(Qt::Key_Space); // the first wait
    });
    can->PlayPage("Current");
    EXPECT_TRUE(can->getkillnow());
    // The move-in went to its end, the hold ended at once, and the line still moved out.
    ASSERT_FALSE(copies.empty());
    EXPECT_EQ(copies.back().x, 100);
}

TEST_F(PlaybackTest, ALeftClickStopsAndASecondOneCloses) {
    can->showPlayback();
    can->setkillnow(false);
    click(Qt::LeftButton);
    EXPECT_TRUE(can->getkillnow());
    EXPECT_TRUE(can->isVisible());
    click(Qt::LeftButton);
    EXPECT_FALSE(can->isVisible());
    EXPECT_FALSE(can->isEnabled());
}

TEST_F(PlaybackTest, ARightClickSavesTheScreenAsABitmap) {
    can->showPlayback();
    can->canvas().brush.color = 0x00FF00;
    can->canvas().fillRect(0, 0, 10, 10);
    seams.dialogs.files.push_back(dir.file("shot.bmp"));
    click(Qt::RightButton);
    EXPECT_EQ(seams.dialogs.fileDialogs.back().title, "Save As A Bitmap File");
    QImage img(dir.file("shot.bmp"));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(640, 480));
    EXPECT_EQ(img.pixelColor(5, 5), QColor(0, 255, 0));
}

TEST_F(PlaybackTest, AWaveThatCannotBeOpenedEndsThePage) {
    main->line(1).WaveFile = dir.file("missing.wav");
    can->PlayPage("Current");
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Error: Opening Media file: " + dir.file("missing.wav")}));
    EXPECT_TRUE(main->line(1).WaveFile.isEmpty());
    EXPECT_TRUE(copies.empty());

    // Line 2 alike: line 1's strip is freed, nothing moves further.
    seams.dialogs.clear();
    copies.clear();
    main->Edit2->setText("Two");
    ASSERT_TRUE(testsupport::writeFile(dir.file("junk.wav"), "not a wave at all"));
    main->line(2).WaveFile = dir.file("junk.wav");
    can->PlayPage("Current");
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Error: Opening Media file: " + dir.file("junk.wav")}));
    EXPECT_TRUE(main->line(2).WaveFile.isEmpty());
    EXPECT_EQ(copies.size(), 1u); // line 1 moved in before
}

TEST_F(PlaybackTest, AnUnreadableBitmapLineKeepsItsRestingPlace) {
    ASSERT_TRUE(testsupport::writeFile(dir.file("bad.bmp"), "BM broken"));
    main->Edit1->clear();
    main->line(1).BitmapFile = dir.file("bad.bmp");
    main->line(1).InUse = true;
    can->PlayPage("Current");
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Error opening file: " + dir.file("bad.bmp")}));
    EXPECT_TRUE(main->line(1).BitmapFile.isEmpty());
    EXPECT_EQ(QPoint(can->titleX(1), can->titleY(1)), QPoint(100, 50));
}

TEST_F(PlaybackTest, TheScreenFormatFollowsTheScreen) {
    can->FormShow();
    EXPECT_EQ(can->ScreenFormat, platform::PixelFormat::Bits32);
    EXPECT_EQ(can->StripFormat, platform::PixelFormat::Bits32);
    EXPECT_EQ(can->ScreenBits, 32);
    platform::Screen::setVirtual(640, 480, 24);
    can->FormShow();
    EXPECT_EQ(can->StripFormat, platform::PixelFormat::Bits24);
    EXPECT_EQ(can->ScreenBits, 24);
    platform::Screen::setVirtual(640, 480, 0);
    can->FormShow();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Unable to set pixel format for your video card, using default."}));
    EXPECT_EQ(can->ScreenFormat, platform::PixelFormat::Device);
    EXPECT_EQ(can->StripFormat, platform::PixelFormat::Bits24);
}

// At the largest delay the sliders set (what a page file's delay beyond it is read as), each
// step of a move waits 6000 delay units: 6 ms of show time, never a spin.
TEST_F(PlaybackTest, AMoveAtTheLargestDelayTakesSixMillisecondsAStep) {
    main->line(1).InDirection = 1; // a move across the screen, one wait per step
    main->DelayTrackBar->setValue(6000);
    ASSERT_EQ(main->fadedelay, 6000);
    // The copies come 6 ms apart, give or take the frame at which each one is presented.
    std::vector<std::uint64_t> copyTimes;
    onCopy = [&](const CopyRecord&) { copyTimes.push_back(seams.clock.nanos()); };
    can->PlayPage("Current");
    ASSERT_GT(copyTimes.size(), 100u);
    const std::size_t moveIn = copyTimes.size() - 1; // the last copy is the move-out's
    const double span = double(copyTimes[moveIn - 1] - copyTimes[0]) / 1e6;
    EXPECT_NEAR(span, double(moveIn - 1) * 6.0, 17.0);
    EXPECT_TRUE(seams.clock.spins.empty()); // show time, never a spin
}

// An exception leaving a command (here the smoothing of a strip that finds no memory) is shown
// with its own text; the show ends, the editor returns with the page as it was, and the program
// goes on.
TEST_F(PlaybackTest, AnErrorDuringAShowIsReportedAndTheEditorReturns) {
    main->line(1).BlurOn = true;
    const auto fail = [](std::int64_t) { return true; };
    velmora::Dynarray::FailAllocation = fail;
    velmora::Dynarray32::FailAllocation = fail;
    QTimer::singleShot(0, main.get(), [this] { main->PlayPage2Click(); });
    QCoreApplication::processEvents();
    velmora::Dynarray::FailAllocation = nullptr;
    velmora::Dynarray32::FailAllocation = nullptr;

    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_EQ(seams.dialogs.asked[0].kind, platform::MsgKind::Error);
    EXPECT_TRUE(seams.dialogs.asked[0].text.startsWith(
        "error in TBigByteArray.create: Not enough contiguous memory available"));
    EXPECT_FALSE(can->isVisible());
    EXPECT_FALSE(can->isEnabled());
    EXPECT_EQ(&platform::clock(), &seams.clock); // the show's clock is gone
    EXPECT_EQ(main->lineText(1), "One");
    EXPECT_TRUE(main->line(1).BlurOn);

    // And the next show plays.
    seams.dialogs.clear();
    copies.clear();
    main->line(1).BlurOn = false;
    main->PlayPage2Click();
    EXPECT_TRUE(seams.dialogs.asked.empty());
    EXPECT_FALSE(copies.empty());
}

// A smooth page on the screen: each refresh presents the frame the export renders for the same
// instant, pixel for pixel.
TEST_F(PlaybackTest, ASmoothPageShowsTheFramesTheExportRendersForTheSameInstants) {
    main->setMotion(velmora::Motion::Smooth);
    main->Edit2->setText("Zwei");
    main->line(1).InDirection = 5;
    main->line(1).OutDirection = 12;
    main->line(2).InDirection = 1;
    main->line(2).OutDirection = 6;
    can->setTitlePos(2, 300, 200);
    main->fadedelay = 700;
    main->PauseTime = 0;
    std::map<std::int64_t, QImage> shown;
    can->setFramePresented([&](std::int64_t t) { shown[t] = can->screenBitmap().toQImage(); });
    can->PlayPage("Current");
    ASSERT_GT(shown.size(), 30u);
    // The export at the screen's size and at its refresh period exactly.
    const std::int64_t period = shown.begin()->first;
    velmora::ShowProject project;
    project.settings.StageWidth = 640;
    project.settings.StageHeight = 480;
    project.settings.motion = velmora::Motion::Smooth;
    project.pageNames = {QStringLiteral("001")};
    project.pages = {main->document().page()};
    for (auto& l : project.pages[0].lines)
        l.attrs.InUse = !l.Text.isEmpty();
    velmora::ShowRenderOptions o;
    o.width = 640;
    o.height = 480;
    o.rate = {1000000000, period};
    int compared = 0;
    velmora::renderShow(project, o, [&](std::int64_t k, const velmora::ShowFrame& f) {
        const auto s = shown.find(o.rate.frameTime(k));
        if (s != shown.end()) {
            EXPECT_EQ(f.pixels.toQImage(), s->second) << "at " << s->first << " ns";
            ++compared;
        }
        return true;
    });
    EXPECT_GE(compared, int(shown.size()) - 1);
}
