// The colour-bar time window and the project data window, driven on a real main window.
#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "dialogs/bconfigUnit.h"
#include "dialogs/bdebugUnit.h"
#include "main/main_window_fixture.h"

using velmora::Tbdebug;
using velmora::TBconfig;

using AccessoryWindowsTest = MainWindowTest;

TEST_F(AccessoryWindowsTest, ColorBarTimeIsLimitedTo30AndCancelPutsBackTheTimeItOpenedWith) {
    TBconfig c(w.get());

    // 45 is brought down to 30, which both OK and Cancel leave.
    for (QPushButton* button : {c.BitBtn1, c.BitBtn2}) {
        w->Holdtime = 45;
        c.show();
        EXPECT_EQ(c.TrackBar1->value(), 30);
        EXPECT_EQ(c.Label2->text(), "30");
        EXPECT_EQ(c.HoldAtOpen, 30);
        button->click();
        EXPECT_FALSE(c.isVisible());
        EXPECT_EQ(w->Holdtime, 30);
    }

    // The slider writes Holdtime at once; Cancel, Escape and closing restore it, OK keeps it.
    w->Holdtime = 7;
    c.show();
    c.TrackBar1->setValue(12);
    EXPECT_EQ(c.Label2->text(), "12");
    EXPECT_EQ(w->Holdtime, 12);
    c.BitBtn2Click();
    EXPECT_EQ(w->Holdtime, 7);
    c.show();
    c.TrackBar1->setValue(3);
    c.reject(); // Escape or the title bar's close button
    EXPECT_EQ(w->Holdtime, 7);
    c.show();
    c.TrackBar1->setValue(25);
    c.BitBtn1Click();
    EXPECT_EQ(w->Holdtime, 25);
    EXPECT_EQ(c.Label2->text(), QString::number(c.TrackBar1->value()));

    // A negative time shows as 0 and comes back whole on Cancel; neither button marks the page.
    w->setsav(false);
    w->Holdtime = -3;
    c.show();
    EXPECT_EQ(c.HoldAtOpen, -3);
    EXPECT_EQ(c.TrackBar1->value(), 0);
    EXPECT_EQ(c.Label2->text(), "0");
    c.BitBtn2Click();
    EXPECT_EQ(w->Holdtime, -3);
    EXPECT_FALSE(w->sav);
}

TEST_F(AccessoryWindowsTest, ProjectDataShowsThePageOnScreenOnceWhenShown) {
    Tbdebug d(w.get());
    EXPECT_FALSE(d.isModal());
    // The page as stored, then changed on screen: positions from the record, the rest live.
    w->document().setTitlePos(1, 11, 22);
    w->document().setTitlePos(3, 700, 500);
    w->pageBuffer.encode(w->pageFromEditor(), "000");
    w->document().setTitlePos(1, 33, 44);
    w->Edit1->setText("Hello");
    w->line(1).FontColor = 0x000000;
    w->line(1).ShadowColor = 0x0000FF;
    w->line(1).GradientStartColor = 0x02FFFFFF;
    w->line(2).FontName = "Courier New";
    w->line(2).FontSize = 77;
    w->line(3).BitmapFile = "logo.bmp";
    w->line(3).InUse = true;
    w->line(2).InUse = false;
    w->PauseTime = 9;
    w->fadedelay = 1234;
    w->dpath = "/tmp/show/";
    w->inPath(2).LastIndex = 57;
    d.show();

    const Tbdebug::Column& c1 = d.columns[0];
    EXPECT_EQ(c1.Xend->text(), "33");
    EXPECT_EQ(c1.Yend->text(), "44");
    EXPECT_EQ(c1.PosX->text(), "11");
    EXPECT_EQ(c1.PosY->text(), "22");
    EXPECT_EQ(d.columns[2].PosX->text(), "700");
    EXPECT_EQ(d.columns[2].Yend->text(), "500");
    EXPECT_EQ(c1.FontColor->text(), "0");
    EXPECT_EQ(c1.ShadowColor->text(), "255");
    EXPECT_EQ(c1.GradColor->text(), "50331647");
    EXPECT_EQ(d.columns[1].FontName->text(), "Courier New");
    EXPECT_EQ(d.columns[1].FontSize->text(), "77");
    // Each colour figure in its own colour: black digits for black.
    EXPECT_EQ(c1.FontColor->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    EXPECT_EQ(c1.ShadowColor->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(c1.GradColor->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    // Figures the window never writes.
    EXPECT_EQ(c1.PixHeight->text(), "?");
    EXPECT_EQ(c1.BrushColor->text(), "?");

    EXPECT_EQ(d.ProjectPath->text(), "Project Path: /tmp/show/");
    EXPECT_EQ(d.Valid[0]->text(), "Valid");
    EXPECT_EQ(d.Content[0]->text(), "Hello");
    // Line 2: not in use and empty; its content label keeps its caption.
    EXPECT_EQ(d.Valid[1]->text(), "2-Not Valid");
    EXPECT_EQ(d.Content[1]->text(), "?");
    EXPECT_EQ(d.Content[2]->text(), "logo.bmp");
    EXPECT_EQ(d.Pause->text(), "9");
    EXPECT_EQ(d.Delay->text(), "1234");
    EXPECT_EQ(d.OS->text(), "Unknown");
    EXPECT_EQ(d.PathRecordSize->text(), "4000");
    EXPECT_EQ(d.PageRecordSize->text(), "25716");
    EXPECT_EQ(d.PathIn[1]->text(), "57");
    for (QLabel* l : {d.PathIn[0], d.PathIn[2], d.PathOut[0], d.PathOut[1], d.PathOut[2]})
        EXPECT_EQ(l->text(), "-1");
    EXPECT_EQ(d.Content[0]->accessibleName(), "Line 1 content: Hello");

    // Shown again while open: nothing is refreshed. Closed and shown: the page as it is now.
    w->Edit1->setText("Other");
    d.show();
    EXPECT_EQ(d.Content[0]->text(), "Hello");
    d.BitBtn1->click();
    EXPECT_FALSE(d.isVisible());
    w->Edit1->clear();
    w->line(1).InUse = false;
    d.show();
    EXPECT_EQ(d.Valid[0]->text(), "1-Not Valid");
    EXPECT_EQ(d.Content[0]->text(), "Hello"); // what it showed before
}
