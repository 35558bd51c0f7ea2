// The Live window over a real main window: the rundown and Preview of the project's pages, the
// buttons and keys reaching the stage, the Program showing the show screen's frames, and an edit
// in the editor reaching the page on air.
#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "dialogs/livewindow.h"
#include "live/live_show.h"
#include "live/on_air.h"
#include "main/main_window_fixture.h"
#include "main/motion_project.h"
#include "playback/live_screen.h"

namespace {

// How much of the picture is bright (white text).
int brightPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qGray(img.pixel(x, y)) > 160;
    return n;
}

QImage shownImage(velmora::TLiveWindow& live) {
    const platform::Bitmap& b = live.screen()->shown();
    return QImage(b.bits(), b.width(), b.height(), b.stride(), QImage::Format_RGB32).copy();
}

class LiveWindowTest : public MainWindowTest {
protected:
    // A Smooth project of two pages: "title" and "second page".
    QString project(const QByteArray& keys = "Motion=Smooth\n") {
        const QString file = testsupport::writeProject(dir, "show", keys);
        velmora::PageImage page;
        page.lines[0].Text = "second page";
        page.lines[0].attrs.FontColor = platform::clWhite;
        page.lines[0].attrs.FontSize = 40;
        page.lines[0].PosX = 100;
        page.lines[0].PosY = 100;
        page.settings.fadedelay = 2000;
        velmora::PageBuffer buf;
        buf.encode(page, "001");
        EXPECT_TRUE(velmora::writePageFile(dir.file("SHOW.001"), buf));
        w->OpenProject(file);
        return file;
    }
    // The show runs on for that many milliseconds, a frame every 17.
    void run(velmora::TLiveWindow& live, int ms) {
        for (int t = 0; t < ms; t += 17) {
            seams.clock.now += 17;
            live.liveShow()->wake();
        }
    }
};

TEST_F(LiveWindowTest, TakeEditAndCutReachTheShowScreenAndTheProgram) {
    const QString file = project();
    velmora::TLiveWindow live(*w);
    ASSERT_TRUE(live.openProject(file));
    EXPECT_EQ(live.windowTitle(), "Velmora Live");
    ASSERT_EQ(live.Rundown->rowCount(), 2);
    EXPECT_EQ(live.Rundown->item(1, 0)->text(), "001");
    EXPECT_EQ(live.Rundown->item(1, 1)->text(), "second page");
    EXPECT_FALSE(live.MotionNote->isVisible());
    EXPECT_EQ(live.Status->text(), "On air: none   Cued: 000");
    // The Preview shows the cued page, the show screen is black until the first take.
    EXPECT_GT(brightPixels(live.Preview->pixmap().toImage()), 0);
    run(live, 100);
    EXPECT_EQ(brightPixels(shownImage(live)), 0);

    live.Rundown->setCurrentCell(1, 1); // a click on the row cues it
    EXPECT_EQ(live.onAir()->cued(), 1);
    live.TakeButton->click();
    EXPECT_EQ(live.Status->text(), "On air: 001   Cued: none");
    run(live, 3000);
    const int before = brightPixels(shownImage(live));
    EXPECT_GT(before, 100);
    EXPECT_GT(brightPixels(live.Program->grab().toImage()), 10);

    // The editor goes to page 001 and its text grows while the page is on air.
    w->currentpage = 1;
    w->LoadPage(w->ProjectName);
    w->Edit1->setText("second page, longer");
    EXPECT_EQ(live.Rundown->item(1, 1)->text(), "second page, longer");
    run(live, 40);
    EXPECT_GT(brightPixels(shownImage(live)), before * 3 / 2);

    QTest::keyClick(live.Rundown, Qt::Key_Escape, Qt::ShiftModifier); // Cut
    run(live, 20);
    EXPECT_EQ(brightPixels(shownImage(live)), 0);
    EXPECT_EQ(live.onAir()->onAir(), -1);
}

TEST_F(LiveWindowTest, KeysCueTakeAndClear) {
    const QString file = project();
    velmora::TLiveWindow live(*w);
    ASSERT_TRUE(live.openProject(file));
    QTest::keyClick(live.Rundown, Qt::Key_1);
    EXPECT_EQ(live.typed(), "1");
    EXPECT_TRUE(live.Status->text().endsWith("Page: 1"));
    QTest::keyClick(live.Rundown, Qt::Key_Return); // cues page 1
    EXPECT_EQ(live.onAir()->cued(), 1);
    EXPECT_EQ(live.onAir()->onAir(), -1);
    QTest::keyClick(live.Rundown, Qt::Key_Up);
    EXPECT_EQ(live.onAir()->cued(), 0);
    QTest::keyClick(live.Rundown, Qt::Key_Return); // takes page 0
    EXPECT_EQ(live.onAir()->onAir(), 0);
    EXPECT_EQ(live.onAir()->cued(), 1);
    QTest::keyClick(live.Rundown, Qt::Key_Escape);
    EXPECT_EQ(live.onAir()->onAir(), -1);
    QTest::keyClick(live.Rundown, Qt::Key_9);
    QTest::keyClick(live.Rundown, Qt::Key_Return); // no page 9: the cue stays
    EXPECT_EQ(live.onAir()->cued(), 1);
    EXPECT_TRUE(live.typed().isEmpty());
}

TEST_F(LiveWindowTest, ASteppedProjectIsPlayedSmoothAndAMissingOneIsSaid) {
    const QString file = project("");
    velmora::TLiveWindow live(*w);
    ASSERT_TRUE(live.openProject(file));
    EXPECT_TRUE(live.MotionNote->isVisibleTo(&live));
    EXPECT_EQ(live.MotionNote->text(), "This project plays Stepped; Live plays its pages Smooth.");

    velmora::TLiveWindow other(*w);
    EXPECT_FALSE(other.openProject(dir.file("none.kvt")));
    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_TRUE(seams.dialogs.asked[0].text.startsWith("Live cannot open the project: "));
}

} // namespace
