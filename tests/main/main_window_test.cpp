#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>

#include "main_window_fixture.h"
#include "platform/Help.h"
#include "test_support.h"

using platform::Answer;
using platform::MsgButtons;
using platform::MsgKind;
using testsupport::helpTextInSight;
using testsupport::helpTopicText;

TEST_F(MainWindowTest, TheWindowOpensWithItsCaptionAndSizeAndTheLeadersOff) {
    EXPECT_EQ(w->windowTitle(), "Velmora-32 PRO 1.30");
    EXPECT_EQ(w->size(), QSize(649, 492));
    EXPECT_EQ(w->Holdtime, 10);
    EXPECT_TRUE(w->directiontoolbar->isHidden());
    EXPECT_EQ(w->CurPgNumber->text(), "000");
    EXPECT_EQ(w->statusPanel(0), "CntDwn OFF");
    EXPECT_EQ(w->statusPanel(1), "Clr Bars OFF");
    // The Qt this runs on is the one it was built with: no upgrade warning.
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

// A screen reader names every control: those without a caption of their own carry an
// accessible name.
TEST_F(MainWindowTest, EveryControlWithoutACaptionHasAnAccessibleName) {
    int checked = 0;
    for (QWidget* c : w->findChildren<QWidget*>()) {
        const auto* button = qobject_cast<QAbstractButton*>(c);
        const bool control = (button && button->text().trimmed().isEmpty()) ||
                             qobject_cast<QSlider*>(c) || qobject_cast<QLineEdit*>(c);
        if (!control || c->objectName().startsWith("qt_")) continue;
        if (qobject_cast<QLineEdit*>(c) && qobject_cast<QAbstractSpinBox*>(c->parentWidget()))
            continue;
        ++checked;
        EXPECT_FALSE(c->accessibleName().isEmpty()) << c->metaObject()->className() << " "
                                                    << c->objectName().toStdString();
    }
    EXPECT_GE(checked, 13); // 6 direction buttons, 3 title boxes, 4 sliders at the least
}

TEST_F(MainWindowTest, InitiateResetsThePageAndLeavesTheRestAlone) {
    for (int n = 1; n <= 3; ++n) {
        auto& l = w->line(n);
        l.FontName = "Courier New";
        l.FontSize = 99;
        l.ShadowOn = true;
        l.FontColor = 0x123456;
        l.ShadowColor = 0x654321;
        l.BitmapFile = "/x.bmp";
        l.InDirection = 9;
        l.OutDirection = 10;
        l.GradientStartColor = 0x111111;
        l.GradientOn = true;
        l.BlurOn = true;
        l.WaveFile = "/tune.wav";
        w->editFor(n)->setText("text");
        w->setLineFontStyle(n, 1 | 4);
    }
    w->AlignMode = true;
    w->TITLENUM = 3;
    w->PauseTime = 7;
    w->fadedelay = 300;
    w->CheckBox1->setChecked(true);
    w->Initiate();
    for (int n = 1; n <= 3; ++n) {
        const auto& l = w->line(n);
        EXPECT_EQ(l.FontName, "Arial");
        EXPECT_EQ(l.FontSize, 40);
        EXPECT_FALSE(l.ShadowOn);
        EXPECT_EQ(l.FontColor, 0xFFFFFFu);
        EXPECT_EQ(l.ShadowColor, 0xC0C0C0u);
        EXPECT_TRUE(l.BitmapFile.isEmpty());
        EXPECT_FALSE(l.InUse);
        EXPECT_EQ(l.InDirection, 5);
        EXPECT_EQ(l.OutDirection, 6);
        EXPECT_EQ(l.GradientStartColor, 0xFFFFFFu);
        EXPECT_FALSE(l.GradientOn);
        EXPECT_TRUE(w->lineText(n).isEmpty());
        // Left alone: smoothing, style and wave.
        EXPECT_TRUE(l.BlurOn);
        EXPECT_EQ(w->lineFontStyle(n), 1 | 4);
        EXPECT_EQ(l.WaveFile, "/tune.wav");
    }
    EXPECT_FALSE(w->AlignMode);
    EXPECT_EQ(w->TITLENUM, 1);
    EXPECT_EQ(w->PauseTime, 0);
    EXPECT_EQ(w->fadedelay, 0);
    EXPECT_FALSE(w->CheckBox1->isChecked());
    // The check box's own handler followed it.
    EXPECT_FALSE(w->mpause);
}

TEST_F(MainWindowTest, ShowPagePushesThePageIntoTheControls) {
    w->fadedelay = 4600;
    w->PauseTime = 12;
    w->line(2).InDirection = 0; // out of range: the button keeps what it shows
    w->line(2).OutDirection = 14;
    w->line(3).BitmapFile = "";
    w->Edit3->setText("x");
    w->line(1).InDirection = 7;
    // As after a load: the record holds the page shown.
    w->pageBuffer.encode(w->pageFromEditor(), "000");
    w->setsav(false);
    w->ShowPage();
    EXPECT_EQ(w->TrackBar2->value(), 4600);
    EXPECT_EQ(w->DelayTrackBar->value(), 4600);
    EXPECT_EQ(w->Label7->text(), "20"); // 4600 div 230
    EXPECT_EQ(w->Label1->text(), "4600");
    EXPECT_EQ(w->Label4->text(), "12");
    EXPECT_EQ(w->t1dirbutton->property("directionCode").toInt(), 7);
    EXPECT_FALSE(w->t2dirbutton->property("directionCode").isValid());
    EXPECT_FALSE(w->line(1).InUse);
    EXPECT_TRUE(w->line(3).InUse);
    // Showing a page is no change to it.
    EXPECT_FALSE(w->sav);
}

TEST_F(MainWindowTest, ManualBoxHidesThePauseAndMarksOnlyRealChanges) {
    w->setsav(false);
    w->CheckBox1->setChecked(true);
    EXPECT_TRUE(w->getmpause());
    EXPECT_EQ(w->Label4->text(), "SpaceBar - Manual");
    EXPECT_TRUE(w->PauseTrackBar->isHidden());
    EXPECT_TRUE(w->Label8->isHidden());
    EXPECT_TRUE(w->sav);
    w->setsav(false);
    w->CheckBox1->setChecked(false); // back to the state of the page as loaded
    EXPECT_FALSE(w->sav);
    EXPECT_FALSE(w->PauseTrackBar->isHidden());
    EXPECT_EQ(w->Label4->text(), "0");
}

TEST_F(MainWindowTest, LeaderTogglesMirrorTheirButtons) {
    w->ColorBarToolButton->click();
    EXPECT_TRUE(w->UseColorBars);
    EXPECT_TRUE(w->UseColorBars1->isChecked());
    EXPECT_EQ(w->statusPanel(1), "Clr Bars ON");
    // The menu item applies the button's state again.
    w->UseColorBars1->trigger();
    EXPECT_TRUE(w->UseColorBars);
    EXPECT_TRUE(w->UseColorBars1->isChecked());
    w->CountDownToolButton->click();
    EXPECT_EQ(w->statusPanel(0), "CntDwn ON");
    w->CountDownToolButton->click();
    EXPECT_EQ(w->statusPanel(0), "CntDwn OFF");
    EXPECT_FALSE(w->UseCountDown1->isChecked());

    EXPECT_FALSE(w->repeatLoop());
    w->RepeaTLoop1->trigger();
    EXPECT_TRUE(w->repeatLoop());
    w->RepeaTLoop1Click();
    EXPECT_FALSE(w->repeatLoop());
    w->EasySlowdown1->trigger();
    EXPECT_TRUE(w->easySlowdown());

    w->TrackBar1->setValue(5);
    EXPECT_EQ(velmora::RasterEffect, 5);
    EXPECT_EQ(w->Label3->text(), "Src Invert");
    w->TrackBar1->setValue(0);
    EXPECT_EQ(w->Label3->text(), "Normal");
}

TEST_F(MainWindowTest, MessagesAndTheFatalHalt) {
    w->pmsg("Can not save page");
    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_EQ(seams.dialogs.asked[0].text, "File error, Can not save page");
    EXPECT_EQ(seams.dialogs.asked[0].kind, MsgKind::Information);

    EXPECT_THROW(w->HaltProgrAM("Memory is very Low"), Halted);
    EXPECT_EQ(halts, 1);
    EXPECT_EQ(seams.dialogs.asked.back().text, "Memory is very Low Please Contact KVT-ORBANEX "
                                               "about this error.\r\nVelmora will now shut down.");
    EXPECT_EQ(seams.dialogs.asked.back().kind, MsgKind::Error);

    EXPECT_EQ(w->MakePageNumber(7), "007");
    EXPECT_EQ(w->MakePageNumber(42), "042");
    EXPECT_EQ(w->MakePageNumber(-1), "0-1");
    EXPECT_THROW(w->MakePageNumber(1000), Halted);
    EXPECT_TRUE(seams.dialogs.asked.back().text.startsWith("Page Number is beyond 999 "));

    // This machine has far more than 512 bytes to give.
    w->checkstatus();
    EXPECT_EQ(halts, 2);
}

// Both sliders write the page's one delay; neither moves the other until the page is shown
// again. The help says so.
TEST_F(MainWindowTest, TheSlidersShareOneDelayAndThePausingTopicSaysSo) {
    w->DelayTrackBar->setValue(1200);
    EXPECT_EQ(w->fadedelay, 1200);
    EXPECT_TRUE(w->sav);
    EXPECT_EQ(w->TrackBar2->value(), 0);
    w->TrackBar2->setValue(2300);
    EXPECT_EQ(w->getfadedelay(), 2300);
    EXPECT_EQ(w->Label7->text(), "10"); // 2300 div 230
    EXPECT_EQ(w->DelayTrackBar->value(), 1200);
    w->Undo1->trigger();
    EXPECT_EQ(w->fadedelay, 1200);
    EXPECT_EQ(w->TrackBar2->value(), 1200);
    EXPECT_EQ(w->DelayTrackBar->value(), 1200);

    w->SpeedButton4->click();
    EXPECT_EQ(platform::Help::lastShown(), "About Pausing and Delays");
    EXPECT_TRUE(helpTextInSight().contains("pace the page on screen"))
        << helpTextInSight().toStdString();
    const QString topic = helpTopicText("About Pausing and Delays");
    EXPECT_FALSE(topic.contains("moves the other")) << topic.toStdString();
    EXPECT_TRUE(topic.contains("Whichever of the two sliders you moved last sets the delay. Moving "
                               "one does not move the other"))
        << topic.toStdString();
    EXPECT_TRUE(topic.contains("until the page is shown again")) << topic.toStdString();
    platform::Help::window()->hide();
}

// The "?" of the direction tool bar opens "Buttons", which names every other button of the bar
// besides the directions.
TEST_F(MainWindowTest, TheButtonsTopicNamesEveryButtonOfTheDirectionToolBar) {
    w->t1dirbutton->click();
    w->SpeedButton5->click();
    EXPECT_EQ(platform::Help::lastShown(), "Buttons");
    EXPECT_TRUE(helpTextInSight().contains("The tool bar across the top"))
        << helpTextInSight().toStdString();
    const QString topic = helpTopicText("Buttons");
    ASSERT_FALSE(topic.isEmpty());
    const QList<QToolButton*> directions(std::begin(w->dir), std::end(w->dir));
    int named = 0;
    for (QToolButton* b : w->directiontoolbar->findChildren<QToolButton*>()) {
        if (b->objectName().startsWith("qt_") || directions.contains(b)) continue;
        ++named;
        EXPECT_TRUE(topic.contains(b->accessibleName())) << b->accessibleName().toStdString();
    }
    EXPECT_EQ(named, 7); // smoothing, gradient, shadow, font colour, font, "?", hide
    for (const char* words : {"softens the line", "from the gradient's start colour at the top",
                              "in the line's shadow colour"})
        EXPECT_TRUE(topic.contains(words)) << words;
    platform::Help::window()->hide();
}
