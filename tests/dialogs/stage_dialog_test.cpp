// The stage window: its choices without widgets, the window itself, and the project
// information window that opens it and shows the stage.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "dialogs/bdebugUnit.h"
#include "dialogs/stage_choice.h"
#include "dialogs/stagedlg.h"
#include "main/main_window_fixture.h"
#include "model/page_file.h"
#include "model/project_file.h"
#include "platform/Screen.h"

using velmora::StageSize;

TEST(StageChoice, OfferedSizesTypedSizesAndTheirText) {
    const struct {
        StageSize size;
        int preset;
        const char* text;
    } cases[] = {
        {{1920, 1080}, 0, "1920 x 1080"},  {{1280, 720}, 1, "1280 x 720"},
        {{3840, 2160}, 2, "3840 x 2160"},  {{1024, 768}, 3, "1024 x 768"},
        {{720, 1280}, -1, "720 x 1280"},   {{800, 600}, -1, "800 x 600"},
        {{1920, 1081}, -1, "1920 x 1081"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(velmora::presetOf(c.size), c.preset);
        EXPECT_EQ(velmora::stageText(c.size), c.text);
    }

    const struct {
        int preset;
        StageSize typed, chosen;
    } choices[] = {
        {1, {800, 600}, {1280, 720}},    // a size offered wins over the boxes
        {3, {0, 0}, {1024, 768}},        //
        {-1, {800, 600}, {800, 600}},    // no size offered: the boxes' size
        {-1, {15, 16385}, {16, 16384}},  // brought within a stage's sides
        {-1, {-5, 0}, {16, 16}},         //
        {4, {640, 480}, {640, 480}},     // no such offer: the boxes' size
        {-2, {99999, 480}, {16384, 480}} //
    };
    for (const auto& c : choices) {
        SCOPED_TRACE(c.preset);
        EXPECT_EQ(velmora::stageOfChoice(c.preset, c.typed), c.chosen);
    }
}

TEST(StageDialog, NamesAndBoxesFollowEachOther) {
    velmora::TStageDialog d(nullptr);
    EXPECT_EQ(d.windowTitle(), "Stage");
    EXPECT_TRUE(d.isModal());
    for (QSpinBox* box : {d.WidthBox, d.HeightBox}) {
        EXPECT_EQ(box->minimum(), 16);
        EXPECT_EQ(box->maximum(), 16384);
    }
    EXPECT_EQ(d.WidthBox->accessibleName(), "Stage width");
    EXPECT_EQ(d.HeightBox->accessibleName(), "Stage height");
    for (QWidget* c :
         std::initializer_list<QWidget*>{d.Presets[0], d.Presets[1], d.Presets[2], d.Presets[3],
                                         d.OtherSize, d.OKButton, d.CancelButton})
        EXPECT_FALSE(c->accessibleName().isEmpty()) << c->metaObject()->className();

    // A usual size checks its name; any other checks "Other size".
    d.setStage({3840, 2160});
    EXPECT_TRUE(d.Presets[2]->isChecked());
    EXPECT_EQ(d.stage(), (StageSize{3840, 2160}));
    d.setStage({800, 600});
    EXPECT_TRUE(d.OtherSize->isChecked());
    EXPECT_EQ(d.WidthBox->value(), 800);
    EXPECT_EQ(d.stage(), (StageSize{800, 600}));

    // A name clicked fills the boxes; sizes typed check the name they make.
    d.Presets[1]->click();
    EXPECT_EQ(d.WidthBox->value(), 1280);
    EXPECT_EQ(d.HeightBox->value(), 720);
    EXPECT_EQ(d.stage(), (StageSize{1280, 720}));
    d.HeightBox->setValue(721);
    EXPECT_TRUE(d.OtherSize->isChecked());
    EXPECT_EQ(d.stage(), (StageSize{1280, 721}));
    d.WidthBox->setValue(1024);
    d.HeightBox->setValue(768);
    EXPECT_TRUE(d.Presets[3]->isChecked());
    // "Other size" keeps the size the boxes hold; a box takes nothing beyond a stage's sides.
    d.OtherSize->click();
    EXPECT_EQ(d.stage(), (StageSize{1024, 768}));
    d.WidthBox->setValue(20000);
    EXPECT_EQ(d.stage(), (StageSize{16384, 768}));
}

class ProjectStageTest : public MainWindowTest {
protected:
    void SetUp() override {
        platform::Screen::setVirtual(1024, 768, 32);
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        platform::Screen::clearVirtual();
    }

    // The stage window's answer: the size named `preset` clicked, then OK or Cancel.
    void answerStage(int preset, int result) {
        seams.dialogs.modalResults.push_back(result);
        seams.dialogs.onModal = [preset](QDialog& dlg) {
            auto* stage = qobject_cast<velmora::TStageDialog*>(&dlg);
            ASSERT_NE(stage, nullptr);
            shownInWindow = stage->stage();
            stage->Presets[preset]->click();
        };
    }

    static inline StageSize shownInWindow;
};

TEST_F(ProjectStageTest, InformationShowsTheStageAndItsWindowChangesItOnOKOnly) {
    // An open project whose page has its titles placed.
    const QString project = dir.path() + "/";
    {
        QFile f(project + "show.kvt");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[VelmoraProject]\nProjectName=show.kvt\nStageWidth=800\nStageHeight=600\n");
    }
    velmora::PageBuffer buf;
    velmora::PageImage page;
    page.lines[0].Text = "Title";
    buf.encode(page, "000");
    ASSERT_TRUE(velmora::writePageFile(project + "SHOW.000", buf));
    w->OpenProject(project + "show.kvt");
    w->document().setTitlePos(1, 120, 460);
    const bool marked = w->sav;

    velmora::Tbdebug d(w.get());
    d.show();
    EXPECT_EQ(d.Stage->text(), "800 x 600");
    EXPECT_EQ(d.Stage->accessibleName(), "Stage: 800 x 600");
    EXPECT_EQ(d.StageButton->text(), "Stage...");
    EXPECT_EQ(d.StageButton->accessibleName(), "Stage...");

    // Cancel: nothing changes, whatever was clicked in the window.
    answerStage(0, QDialog::Rejected);
    d.StageButton->click();
    EXPECT_EQ(seams.dialogs.modalWindows, std::vector<QString>{"Stage"});
    EXPECT_EQ(shownInWindow, (StageSize{800, 600}));
    EXPECT_EQ(d.Stage->text(), "800 x 600");
    EXPECT_EQ(w->stageWidth(), 800);
    EXPECT_EQ(velmora::readProjectFile(project + "show.kvt").StageWidth, 800);

    // OK: the project and its file take the stage at once; the titles stay where they are.
    answerStage(1, QDialog::Accepted);
    d.StageButton->click();
    EXPECT_EQ(d.Stage->text(), "1280 x 720");
    EXPECT_EQ(d.Stage->accessibleName(), "Stage: 1280 x 720");
    EXPECT_EQ(w->editorState().StageWidth, 1280);
    EXPECT_EQ(w->editorState().StageHeight, 720);
    const velmora::ProjectSettings p = velmora::readProjectFile(project + "show.kvt");
    EXPECT_EQ(p.StageWidth, 1280);
    EXPECT_EQ(p.StageHeight, 720);
    EXPECT_EQ(w->titleX(1), 120);
    EXPECT_EQ(w->titleY(1), 460);
    EXPECT_EQ(w->sav, marked);

    // Shown again, the window opens on the stage chosen.
    answerStage(3, QDialog::Rejected);
    d.StageButton->click();
    EXPECT_EQ(shownInWindow, (StageSize{1280, 720}));
}

TEST_F(ProjectStageTest, WithoutAProjectTheScreensStageIsShownAndAChoiceWaitsForTheSave) {
    velmora::Tbdebug d(w.get());
    d.show();
    EXPECT_EQ(d.Stage->text(), "1024 x 768");
    answerStage(2, QDialog::Accepted);
    d.StageButton->click();
    EXPECT_EQ(d.Stage->text(), "3840 x 2160");
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.kvt"}).isEmpty());
    seams.dialogs.files.push_back(dir.file("show"));
    w->SaveprojectClick1();
    EXPECT_EQ(velmora::readProjectFile(dir.file("show.kvt")).StageWidth, 3840);
}
