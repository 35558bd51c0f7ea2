// The project's stage as the main window keeps it: taken from the project file, or from the
// show screen for a project that has none, and written back into the file.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "main_window_fixture.h"
#include "model/page_file.h"
#include "model/project_file.h"
#include "platform/Help.h"
#include "platform/Screen.h"

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class StageTest : public MainWindowTest {
protected:
    void SetUp() override {
        platform::Screen::setVirtual(1024, 768, 32);
        MainWindowTest::SetUp();
        project = dir.path() + "/";
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        platform::Screen::clearVirtual();
    }

    // A project file with these lines after its section header, and its page 000.
    QString writeProject(const QByteArray& keys) {
        QFile f(project + "show.kvt");
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[VelmoraProject]\nProjectName=show.kvt\nHoldtime=4\nPalette=0\n" + keys);
        f.close();
        velmora::PageBuffer buf;
        buf.encode(velmora::PageImage{}, "000");
        EXPECT_TRUE(velmora::writePageFile(project + "SHOW.000", buf));
        return project + "show.kvt";
    }

    void expectStage(int width, int height) {
        EXPECT_EQ(w->stageWidth(), width);
        EXPECT_EQ(w->stageHeight(), height);
        const velmora::EditorState s = w->editorState();
        EXPECT_EQ(s.StageWidth, width);
        EXPECT_EQ(s.StageHeight, height);
    }

    QString project;
};

TEST_F(StageTest, AProjectOpensWithItsOwnStageOrKeepsTheScreensFromThenOn) {
    const struct {
        const char* keys;
        int width, height;
        bool written; // the file had no stage and now holds the screen's
    } cases[] = {
        {"StageWidth=800\nStageHeight=600\n", 800, 600, false},
        {"StageWidth=3840\nStageHeight=2160\n", 3840, 2160, false},
        {"", 1024, 768, true},
        {"StageWidth=800\n", 1024, 768, true},
        {"StageWidth=8\nStageHeight=600\n", 1024, 768, true},
        {"StageWidth=800\nStageHeight=x\n", 1024, 768, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        const QString file = writeProject(c.keys);
        const QByteArray before = bytesOf(file);
        w->OpenProject(file);
        expectStage(c.width, c.height);
        const velmora::ProjectSettings p = velmora::readProjectFile(file);
        EXPECT_EQ(p.StageWidth, c.width);
        EXPECT_EQ(p.StageHeight, c.height);
        EXPECT_EQ(bytesOf(file) == before, !c.written);
        EXPECT_EQ(p.Holdtime, 4);
        EXPECT_TRUE(seams.dialogs.asked.empty());
    }

    // Opened again on another screen, the older project keeps the stage it was given.
    writeProject("");
    w->OpenProject(project + "show.kvt");
    platform::Screen::setVirtual(1920, 1080, 32);
    w->OpenProject(project + "show.kvt");
    expectStage(1024, 768);
    EXPECT_TRUE(bytesOf(project + "show.kvt")
                    .endsWith("Palette=0\nStageWidth=1024\n"
                              "StageHeight=768\n"));
}

TEST_F(StageTest, AProjectFileThatCannotBeWrittenOpensSilentlyWithTheScreensStage) {
    // A folder where the project file should be: nothing can be read or written there.
    ASSERT_TRUE(QDir().mkpath(project + "show.kvt"));
    w->OpenProject(project + "show.kvt");
    expectStage(1024, 768);
    EXPECT_TRUE(QFileInfo(project + "show.kvt").isDir());
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(StageTest, ANewProjectTakesTheScreensStageWithItsFirstSave) {
    w->OpenProject(writeProject("StageWidth=800\nStageHeight=600\n"));
    w->NewPrjToolButtonClick();
    expectStage(1024, 768);

    seams.dialogs.files.push_back(project + "fresh");
    w->SaveprojectClick1();
    ASSERT_EQ(w->ProjectName, "fresh.kvt");
    const velmora::ProjectSettings p = velmora::readProjectFile(project + "fresh.kvt");
    EXPECT_EQ(p.StageWidth, 1024);
    EXPECT_EQ(p.StageHeight, 768);
    // Saved, the project keeps it on any screen; the project before keeps its own.
    platform::Screen::setVirtual(1280, 1024, 32);
    expectStage(1024, 768);
    w->SaveprojectClick1();
    EXPECT_EQ(velmora::readProjectFile(project + "fresh.kvt").StageWidth, 1024);
    EXPECT_EQ(velmora::readProjectFile(project + "show.kvt").StageWidth, 800);
}

TEST_F(StageTest, AStageChosenGoesIntoAnOpenProjectAtOnceElseWithTheFirstSave) {
    const QString file = writeProject("Comment=kept\n[Other]\nx=1\n");
    w->OpenProject(file);
    w->setStage(1280, 720);
    expectStage(1280, 720);
    EXPECT_EQ(bytesOf(file), "[VelmoraProject]\nProjectName=show.kvt\nHoldtime=4\nPalette=0\n"
                             "Comment=kept\nStageWidth=1280\nStageHeight=720\n[Other]\nx=1\n");

    // No project yet: nothing is written until it is saved, and then the stage chosen is.
    w->NewPrjToolButtonClick();
    w->setStage(3840, 2160);
    expectStage(3840, 2160);
    EXPECT_EQ(velmora::readProjectFile(file).StageWidth, 1280);
    EXPECT_FALSE(QFile::exists(project + ".kvt"));
    seams.dialogs.files.push_back(project + "wide");
    w->SaveprojectClick1();
    const velmora::ProjectSettings p = velmora::readProjectFile(project + "wide.kvt");
    EXPECT_EQ(p.StageWidth, 3840);
    EXPECT_EQ(p.StageHeight, 2160);
}

// The help tells what the stage is and where it is changed, and names every command of the
// File menu, which keeps the project.
TEST_F(StageTest, TheHelpDescribesTheStageAndTheFileMenu) {
    platform::Help::showContents();
    const QString topic = testsupport::helpTopicText("The Project and Its Stage");
    ASSERT_FALSE(topic.isEmpty());
    const QList<QAction*> menus = w->menuBar()->actions();
    ASSERT_FALSE(menus.isEmpty());
    ASSERT_EQ(menus[0]->text(), "&File");
    int named = 0;
    for (const QAction* a : menus[0]->menu()->actions()) {
        if (a->isSeparator() || a == w->Exit1) continue;
        const QString caption = QString(a->text()).remove('&');
        EXPECT_TRUE(topic.contains(caption)) << caption.toStdString();
        ++named;
    }
    EXPECT_EQ(named, 11);
    for (const char* words :
         {"Project Information", "Stage...", "Other size", "16 to 16384", "moves no title"})
        EXPECT_TRUE(topic.contains(words)) << words;
    platform::Help::window()->hide();
}
