// The stage window, its choices without widgets, and Project Information, which opens it.
#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "dialogs/bdebugUnit.h"
#include "dialogs/stagedlg.h"
#include "main/main_window_fixture.h"
#include "model/project_file.h"

using velmora::StageSize;

TEST(StageChoice, OfferedSizesTypedSizesAndTheirText) {
    const struct {
        StageSize size;
        int preset;
        const char* text;
    } sizes[] = {{{1920, 1080}, 0, "1920 x 1080"},
                 {{1024, 768}, 3, "1024 x 768"},
                 {{720, 1280}, -1, "720 x 1280"},
                 {{1920, 1081}, -1, "1920 x 1081"}};
    for (const auto& c : sizes) {
        EXPECT_EQ(velmora::presetOf(c.size), c.preset) << c.text;
        EXPECT_EQ(velmora::stageText(c.size), c.text);
    }
    const struct {
        int preset;
        StageSize typed, chosen;
    } choices[] = {
        {1, {800, 600}, {1280, 720}},   // a size offered, whatever the boxes hold
        {-1, {800, 600}, {800, 600}},   // the boxes' size
        {-1, {15, 16385}, {16, 16384}}, // brought within a stage's sides
        {4, {-5, 99999}, {16, 16384}},  // no such offer
    };
    for (const auto& c : choices)
        EXPECT_EQ(velmora::stageOfChoice(c.preset, c.typed), c.chosen) << c.preset;
}

TEST(StageDialog, NamesAndBoxesFollowEachOther) {
    velmora::TStageDialog d(nullptr);
    EXPECT_TRUE(d.isModal());
    EXPECT_EQ(d.WidthBox->maximum(), 16384);
    EXPECT_EQ(d.HeightBox->minimum(), 16);
    for (QWidget* c : d.findChildren<QWidget*>()) {
        if (c->focusPolicy() != Qt::NoFocus && !c->objectName().startsWith("qt_")) {
            EXPECT_FALSE(c->accessibleName().isEmpty()) << c->metaObject()->className();
        }
    }

    d.setStage({3840, 2160});
    EXPECT_TRUE(d.Presets[2]->isChecked());
    d.setStage({800, 600});
    EXPECT_TRUE(d.OtherSize->isChecked());
    EXPECT_EQ(d.stage(), (StageSize{800, 600}));
    // A name clicked fills the boxes; sizes typed check the name they make, or "Other size".
    d.Presets[1]->click();
    EXPECT_EQ(d.WidthBox->value(), 1280);
    EXPECT_EQ(d.HeightBox->value(), 720);
    d.HeightBox->setValue(721);
    EXPECT_TRUE(d.OtherSize->isChecked());
    EXPECT_EQ(d.stage(), (StageSize{1280, 721}));
    d.WidthBox->setValue(1024);
    d.HeightBox->setValue(768);
    EXPECT_TRUE(d.Presets[3]->isChecked());
}

// Project Information shows the open project's stage; its "Stage..." window changes the project
// and its file on OK, never on Cancel, and moves no title.
TEST_F(MainWindowTest, ProjectInformationShowsTheStageAndChangesItOnOKOnly) {
    const QString file = dir.file("show.kvt");
    ASSERT_TRUE(testsupport::writeFile(
        file, "[VelmoraProject]\nProjectName=show.kvt\nStageWidth=800\nStageHeight=600\n"));
    w->OpenProject(file);
    w->document().setTitlePos(1, 120, 460);
    velmora::Tbdebug d(w.get());
    d.show();
    EXPECT_EQ(d.Stage->accessibleName(), "Stage: 800 x 600");
    EXPECT_EQ(d.StageButton->accessibleName(), "Stage...");

    StageSize shown;
    auto answer = [&](int preset, int result) {
        seams.dialogs.modalResults.push_back(result);
        seams.dialogs.onModal = [&shown, preset](QDialog& dlg) {
            auto& stage = dynamic_cast<velmora::TStageDialog&>(dlg);
            shown = stage.stage();
            stage.Presets[preset]->click();
        };
        d.StageButton->click();
    };
    answer(0, QDialog::Rejected);
    EXPECT_EQ(seams.dialogs.modalWindows, std::vector<QString>{"Stage"});
    EXPECT_EQ(shown, (StageSize{800, 600}));
    EXPECT_EQ(d.Stage->text(), "800 x 600");
    EXPECT_EQ(w->stageWidth(), 800);
    EXPECT_EQ(velmora::readProjectFile(file).StageWidth, 800);

    answer(1, QDialog::Accepted);
    EXPECT_EQ(d.Stage->accessibleName(), "Stage: 1280 x 720");
    EXPECT_EQ(w->editorState().StageHeight, 720);
    const velmora::ProjectSettings p = velmora::readProjectFile(file);
    EXPECT_EQ(p.StageWidth, 1280);
    EXPECT_EQ(p.StageHeight, 720);
    EXPECT_EQ(w->titleX(1), 120);
    EXPECT_EQ(w->titleY(1), 460);
    answer(3, QDialog::Rejected);
    EXPECT_EQ(shown, (StageSize{1280, 720}));
}
