#include <QCheckBox>
#include <QToolButton>

#include "main_window_fixture.h"

using platform::Answer;

// A saved project "show.kvt" whose pages read "p0", "p1", ... on line 1.
class ShowTest : public ProjectWindowTest {
protected:
    void SetUp() override {
        ProjectWindowTest::SetUp();
        newProject();
    }
    void makePages(int last) { ProjectWindowTest::makePages(last, "p%1"); }
};

TEST_F(ShowTest, ThePlayabilityCheckNamesTheLowestLineWithoutADirection) {
    w->Initiate();
    w->setsav(false);
    EXPECT_FALSE(w->ProjectValid());
    EXPECT_EQ(seams.dialogs.texts().last(), "Enter a title in the black edit box.");

    // Leaders alone are playable.
    w->ColorBarToolButton->click();
    EXPECT_TRUE(w->ProjectValid());
    w->ColorBarToolButton->click();
    w->CountDownToolButton->click();
    EXPECT_TRUE(w->ProjectValid());

    w->Edit1->setText("one");
    w->Edit3->setText("three");
    w->line(1).InDirection = 0;
    w->line(3).InDirection = 0;
    EXPECT_FALSE(w->ProjectValid());
    EXPECT_EQ(seams.dialogs.texts().last(), "Click an IN direction for title #1");
    w->line(1).InDirection = 4;
    EXPECT_FALSE(w->ProjectValid());
    EXPECT_EQ(seams.dialogs.texts().last(), "Click an IN direction for title #3");
}

TEST_F(ShowTest, PlayPageNeverOpensWithTheLeaders) {
    w->Edit1->setText("solo");
    w->PlayPage2Click();
    EXPECT_EQ(playback->played, QStringList({"Current:solo"}));
    EXPECT_TRUE(playback->killnow);
    EXPECT_EQ(playback->killcans, 1);
}

TEST_F(ShowTest, PlayAllPlaysEveryPageInOrder) {
    makePages(2);
    loadedTitle(1);
    w->PlayAllPages2Click();
    EXPECT_EQ(playback->played, QStringList({"000:p0", "001:p1", "002:p2"}));
    EXPECT_EQ(playback->invalidates, 3);
    EXPECT_TRUE(playback->killnow);
    // The show leaves the playback window up until it is clicked.
    EXPECT_EQ(playback->killcans, 0);
    EXPECT_EQ(w->currentpage, 2);
}

TEST_F(ShowTest, AStopEndsTheShowBeforeTheNextPage) {
    makePages(2);
    playback->onPlay = [&](const QString& name) {
        if (name == "001") playback->killnow = true;
    };
    w->PlayAllPages2Click();
    EXPECT_EQ(playback->played, QStringList({"000:p0", "001:p1"}));
    EXPECT_EQ(playback->killcans, 1);
}

TEST_F(ShowTest, AManualShowWaitsForTheSpaceBarFirst) {
    makePages(1);
    loadedTitle(0);
    w->CheckBox1->setChecked(true);
    w->SaveCurPage();
    w->PlayAllPages2Click();
    // The show's first wait; the fake's wait lowers the flag, as the space bar would.
    EXPECT_EQ(playback->spaceWaits, 1);
    EXPECT_EQ(playback->played.size(), 2);
}

TEST_F(ShowTest, ARepeatingShowRunsUntilStopped) {
    makePages(1);
    w->RepeaTLoop1Click();
    int plays = 0;
    playback->onPlay = [&](const QString&) {
        if (++plays == 5) playback->killnow = true;
    };
    w->PlayAllPages2Click();
    EXPECT_EQ(playback->played, QStringList({"000:p0", "001:p1", "000:p0", "001:p1", "000:p0"}));
    EXPECT_EQ(playback->killcans, 1);
}

TEST_F(ShowTest, AProjectWithoutPageZeroPlaysThePageOnScreen) {
    w->Edit1->setText("unsaved");
    w->setsav(false);
    w->PlayAllPages2Click();
    EXPECT_EQ(playback->played, QStringList({"000:unsaved"}));
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"File error, Page file does not exist:SHOW.000"}));
}

TEST_F(ShowTest, UnsavedChangesAreOfferedForSavingBeforeTheShow) {
    makePages(1);
    loadedTitle(1);
    w->Edit1->setText("edited");
    script({Answer::Yes});
    w->PlayAllPages2Click();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Save current page?"}));
    EXPECT_EQ(playback->played, QStringList({"000:p0", "001:edited"}));

    // No: the show goes on and the edit is not kept.
    w->Edit1->setText("dropped");
    playback->played.clear();
    seams.dialogs.answers.push_back(Answer::No);
    w->PlayAllPages2Click();
    EXPECT_EQ(playback->played, QStringList({"000:p0", "001:edited"}));
}
