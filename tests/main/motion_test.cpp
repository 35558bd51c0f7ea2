// The project's motion as the main window keeps it: read with the project, Smooth for a new one,
// written with every save and at once when it is chosen, and taken back by Edit > Undo without
// touching the page.
#include <QAction>
#include <QFile>

#include "main_window_fixture.h"
#include "motion_project.h"
#include "model/project_file.h"
#include "platform/Help.h"

using testsupport::motionLines;
using testsupport::readFile;
using testsupport::writeProject;
using velmora::Motion;

class MotionTest : public MainWindowTest {
protected:
    bool smooth() const { return w->editorState().smoothMotion; }
};

TEST_F(MotionTest, AProjectOpensWithItsMotionAndASaveKeepsIt) {
    const struct {
        const char* keys;
        Motion read;
    } cases[] = {
        {"", Motion::Stepped}, // an older project
        {"Motion=Smooth\n", Motion::Smooth}, {"Motion=Stepped\n", Motion::Stepped},
        {"motion=smooth\n", Motion::Smooth}, {"Motion=fast\n", Motion::Stepped},
    };
    // Whatever the editor held before (a new project is Smooth), the file decides.
    for (const bool fromNew : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.keys) + (fromNew ? " after New" : ""));
            if (fromNew) w->NewPrjToolButtonClick();
            const QString file = writeProject(dir, "show", QByteArray(c.keys) + "Comment=kept\n");
            w->OpenProject(file);
            EXPECT_EQ(w->ProjectMotion, c.read);
            EXPECT_EQ(smooth(), c.read == Motion::Smooth);
            EXPECT_EQ(motionLines(file).size(), *c.keys ? 1 : 0); // opening writes none
            w->SaveprojectClick1();
            EXPECT_EQ(motionLines(file), QStringList({"Motion=" + velmora::motionName(c.read)}));
            EXPECT_TRUE(readFile(file).contains("\nComment=kept\n"));
            EXPECT_EQ(velmora::readProjectFile(file).StageWidth, 800);
            EXPECT_EQ(w->ProjectMotion, c.read);
        }
    }
}

TEST_F(MotionTest, ANewProjectIsSmoothAndTheMenusNewKeepsAnOpenProjectsMotion) {
    // The tool button's new project, saved under a name of its own.
    w->NewPrjToolButtonClick();
    EXPECT_TRUE(smooth());
    seams.dialogs.files.push_back(dir.file("fresh"));
    w->SaveprojectClick1();
    ASSERT_EQ(w->ProjectName, "fresh.kvt");
    EXPECT_EQ(velmora::readProjectFile(dir.file("fresh.kvt")).motion, Motion::Smooth);

    // File > New Project clears the page, but the pages and the project's saves still go to the
    // open project: an older one stays Stepped.
    const QString older = writeProject(dir, "older", "");
    w->OpenProject(older);
    w->NewProj1Click();
    EXPECT_EQ(w->ProjectName, "older.kvt");
    EXPECT_FALSE(smooth());
    w->SaveprojectClick1();
    EXPECT_EQ(motionLines(older), QStringList({"Motion=Stepped"}));

    // With no project open it starts a new one, which is Smooth.
    w = std::make_unique<velmora::TBitMovOptMain>();
    velmora::TBitMovOptMain* fresh = w.get();
    EXPECT_FALSE(fresh->editorState().smoothMotion); // nothing made or opened yet
    fresh->NewProj1Click();
    EXPECT_TRUE(fresh->editorState().smoothMotion);
    seams.dialogs.files.push_back(dir.file("menu"));
    fresh->SaveprojectClick1();
    EXPECT_EQ(motionLines(dir.file("menu.kvt")), QStringList({"Motion=Smooth"}));
}

TEST_F(MotionTest, AChosenMotionIsWrittenAtOnceAndUndoneWithoutMarkingThePage) {
    const QString file = writeProject(dir, "show", "Comment=kept\n[Other]\nMotion=Stepped\n");
    w->OpenProject(file);
    QUndoStack& undo = w->document().undoStack();
    ASSERT_EQ(undo.count(), 0);
    ASSERT_FALSE(w->sav);

    w->chooseMotion(Motion::Stepped); // the motion it has: no step
    EXPECT_EQ(undo.count(), 0);
    EXPECT_EQ(motionLines(file), QStringList({"Motion=Stepped"})); // the other section's

    w->chooseMotion(Motion::Smooth);
    EXPECT_TRUE(smooth());
    EXPECT_EQ(readFile(file), "[VelmoraProject]\nProjectName=show.kvt\nStageWidth=800\n"
                             "StageHeight=600\nComment=kept\nMotion=Smooth\n[Other]\n"
                             "Motion=Stepped\n");
    EXPECT_FALSE(w->sav);
    EXPECT_EQ(undo.count(), 1);
    EXPECT_EQ(w->Undo1->text(), "Undo Motion");

    // A page edit after it: undone first, and the motion's undo leaves the page's mark as the
    // page's own undo left it.
    w->Edit1->setText("edited");
    EXPECT_TRUE(w->sav);
    undo.undo();
    EXPECT_FALSE(w->sav);
    EXPECT_TRUE(smooth());
    undo.undo();
    EXPECT_FALSE(smooth());
    EXPECT_EQ(velmora::readProjectFile(file).motion, Motion::Stepped);
    EXPECT_EQ(w->lineText(1), "title");
    EXPECT_FALSE(w->sav);
    undo.redo();
    EXPECT_TRUE(smooth());
    EXPECT_EQ(velmora::readProjectFile(file).motion, Motion::Smooth);
    EXPECT_FALSE(w->sav);

    // On an edited page the mark stays set through the motion's undo and redo.
    undo.redo();
    ASSERT_TRUE(w->sav);
    w->chooseMotion(Motion::Stepped);
    undo.undo();
    EXPECT_TRUE(w->sav);
    EXPECT_EQ(velmora::readProjectFile(file).motion, Motion::Smooth);
    undo.redo();
    EXPECT_TRUE(w->sav);
    EXPECT_EQ(velmora::readProjectFile(file).motion, Motion::Stepped);
}

TEST_F(MotionTest, AMotionChosenBeforeTheFirstSaveIsSavedAndNeverReachesAnotherProject) {
    w->NewPrjToolButtonClick();
    w->chooseMotion(Motion::Stepped);
    EXPECT_FALSE(smooth());
    seams.dialogs.files.push_back(dir.file("new"));
    w->SaveprojectClick1();
    ASSERT_EQ(w->ProjectName, "new.kvt");
    EXPECT_EQ(motionLines(dir.file("new.kvt")), QStringList({"Motion=Stepped"}));
    // Undone once saved, the project's file follows.
    w->document().undoStack().undo();
    EXPECT_EQ(motionLines(dir.file("new.kvt")), QStringList({"Motion=Smooth"}));
    w->document().undoStack().redo();

    // Another project opened (one whose page 000 is missing too): nothing done before is undone
    // in it.
    const QString other = writeProject(dir, "other", "Motion=Smooth\n");
    QFile::remove(dir.file("OTHER.000"));
    w->OpenProject(other);
    EXPECT_TRUE(smooth());
    EXPECT_FALSE(w->document().undoStack().canUndo());
    w->document().undoStack().undo();
    EXPECT_TRUE(smooth());
    EXPECT_EQ(motionLines(other), QStringList({"Motion=Smooth"}));
    EXPECT_EQ(motionLines(dir.file("new.kvt")), QStringList({"Motion=Stepped"}));
}

// The help tells what the two motions are, which projects are which, and what Escape does.
TEST_F(MotionTest, TheHelpDescribesTheMotion) {
    platform::Help::showContents();
    const QString topic = testsupport::helpTopicText("The Project and Its Stage");
    for (const char* words : {"Motion", "Smooth", "Stepped", "older projects", "Normal", "Escape"})
        EXPECT_TRUE(topic.contains(words)) << words;
    platform::Help::window()->hide();
}
