// Project Information's "Motion" row: the project's motion, what an effect makes of it, and the
// list that changes it in the project and its file as a step Edit > Undo takes back.
#include <gtest/gtest.h>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include "dialogs/bdebugUnit.h"
#include "main/main_window_fixture.h"
#include "main/motion_project.h"
#include "model/project_file.h"

using velmora::Motion;

TEST(MotionRow, SaysTheMotionAndThatAnEffectPlaysStepped) {
    const struct {
        Motion motion;
        int effect;
        const char* text;
    } cases[] = {
        {Motion::Smooth, 0, "Smooth"},
        {Motion::Stepped, 0, "Stepped"},
        {Motion::Smooth, 1, "Smooth (the effect plays Stepped)"},
        {Motion::Smooth, 6, "Smooth (the effect plays Stepped)"},
        {Motion::Smooth, -1, "Smooth (the effect plays Stepped)"},
        {Motion::Stepped, 3, "Stepped"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velmora::motionRowText(c.motion, c.effect), c.text) << c.effect;
}

class MotionRowTest : public MainWindowTest {
protected:
    void TearDown() override {
        w->TrackBar1->setValue(0); // the effect holds for the whole program
        MainWindowTest::TearDown();
    }

    QString motionInFile() const { return testsupport::motionLines(file).join('|'); }
    // An older project: its file names no motion.
    void openOlderProject() { w->OpenProject(testsupport::writeProject(dir, "show", "")); }

    QString file = dir.file("show.kvt");
};

TEST_F(MotionRowTest, TheListChangesTheProjectAtOnceAndUndoTakesItBack) {
    openOlderProject();
    velmora::Tbdebug d(w.get());
    d.show();
    EXPECT_EQ(d.MotionLabel->accessibleName(), "Motion: Stepped");
    EXPECT_EQ(d.MotionBox->currentText(), "Stepped");
    EXPECT_FALSE(d.MotionBox->accessibleName().isEmpty());
    EXPECT_EQ(motionInFile(), "");

    QTest::keyClick(d.MotionBox, Qt::Key_Up); // to "Smooth"
    EXPECT_EQ(d.MotionBox->currentText(), "Smooth");
    EXPECT_EQ(d.MotionLabel->text(), "Smooth");
    EXPECT_EQ(motionInFile(), "Motion=Smooth");
    EXPECT_TRUE(w->editorState().smoothMotion);
    EXPECT_FALSE(w->sav); // the project's, not the page's
    EXPECT_TRUE(seams.dialogs.asked.empty());

    // An effect other than Normal, chosen while the window is up.
    w->TrackBar1->setValue(2);
    EXPECT_EQ(d.MotionLabel->accessibleName(), "Motion: Smooth (the effect plays Stepped)");
    EXPECT_EQ(motionInFile(), "Motion=Smooth"); // the project stays Smooth
    w->TrackBar1->setValue(0);
    EXPECT_EQ(d.MotionLabel->text(), "Smooth");

    w->Undo1->trigger();
    EXPECT_EQ(d.MotionLabel->text(), "Stepped");
    EXPECT_EQ(d.MotionBox->currentText(), "Stepped");
    EXPECT_EQ(motionInFile(), "Motion=Stepped");
    EXPECT_FALSE(w->sav);
    w->Redo1->trigger();
    EXPECT_EQ(d.MotionLabel->text(), "Smooth");
    EXPECT_EQ(motionInFile(), "Motion=Smooth");

    // Pressing the key at the list's first entry chooses nothing new: no step.
    const int steps = w->document().undoStack().count();
    QTest::keyClick(d.MotionBox, Qt::Key_Up);
    EXPECT_EQ(w->document().undoStack().count(), steps);
    QTest::keyClick(d.MotionBox, Qt::Key_Down);
    EXPECT_EQ(w->document().undoStack().count(), steps + 1);
    EXPECT_EQ(motionInFile(), "Motion=Stepped");
}

TEST_F(MotionRowTest, ANewProjectShowsSmoothAndTakesTheChoiceWithItsFirstSave) {
    w->NewPrjToolButtonClick();
    velmora::Tbdebug d(w.get());
    w->TrackBar1->setValue(4); // already at an effect when the window opens
    d.show();
    EXPECT_EQ(d.MotionLabel->text(), "Smooth (the effect plays Stepped)");
    EXPECT_EQ(d.MotionBox->currentText(), "Smooth");
    QTest::keyClick(d.MotionBox, Qt::Key_Down);
    EXPECT_EQ(d.MotionLabel->text(), "Stepped");
    EXPECT_FALSE(QFile::exists(file));
    seams.dialogs.files.push_back(dir.file("show"));
    w->SaveprojectClick1();
    EXPECT_EQ(motionInFile(), "Motion=Stepped");

    // Shown again over another project, the row is that project's.
    d.close();
    openOlderProject();
    w->setMotion(Motion::Smooth);
    d.show();
    EXPECT_EQ(d.MotionLabel->text(), "Smooth (the effect plays Stepped)");
    EXPECT_EQ(d.MotionBox->currentText(), "Smooth");
}
