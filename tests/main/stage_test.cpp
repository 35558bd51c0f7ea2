// The project's stage as the main window keeps it: from the project file, or from the show
// screen for a project that has none, and written back into the file.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>

#include "main_window_fixture.h"
#include "model/page_file.h"
#include "model/project_file.h"
#include "platform/Help.h"
#include "platform/Screen.h"

using testsupport::readFile;
using testsupport::writeFile;

class StageTest : public MainWindowTest {
protected:
    void SetUp() override {
        platform::Screen::setVirtual(1024, 768, 32);
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        platform::Screen::clearVirtual();
    }

    // "show.kvt" with these keys after its own, and its page 000.
    QString writeProject(const QByteArray& keys) {
        EXPECT_TRUE(writeFile(dir.file("show.kvt"),
                              "[VelmoraProject]\nProjectName=show.kvt\nPalette=0\n" + keys));
        velmora::PageBuffer buf;
        buf.encode(velmora::PageImage{}, "000");
        EXPECT_TRUE(velmora::writePageFile(dir.file("SHOW.000"), buf));
        return dir.file("show.kvt");
    }

    void expectStage(int width, int height) {
        EXPECT_EQ(w->editorState().StageWidth, width);
        EXPECT_EQ(w->editorState().StageHeight, height);
    }
};

TEST_F(StageTest, AProjectOpensWithItsOwnStageOrKeepsTheScreensFromThenOn) {
    const struct {
        const char* keys;
        int width, height; // 1024 x 768: the screen's
        bool written;      // the screen's stage written into the file at once
        const char* told;  // the unusable values named in the one warning
    } cases[] = {
        {"StageWidth=800\nStageHeight=600\n", 800, 600, false, ""},
        {"StageWidth=800\n", 800, 768, false, "no StageHeight"},
        {"StageWidth=16385\nStageHeight=600\n", 1024, 600, false, "StageWidth=16385"},
        {"StageWidth=abc\nStageHeight=-5\n", 1024, 768, false, "StageWidth=abc, StageHeight=-5"},
        {"", 1024, 768, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        const QString file = writeProject(c.keys);
        const QByteArray before = readFile(file);
        seams.dialogs.asked.clear();
        w->OpenProject(file);
        expectStage(c.width, c.height);
        EXPECT_EQ(readFile(file) != before, c.written);
        if (*c.told) {
            ASSERT_EQ(seams.dialogs.asked.size(), 1u);
            EXPECT_TRUE(seams.dialogs.asked[0].text.contains(QString::fromUtf8(c.told)))
                << seams.dialogs.asked[0].text.toStdString();
            EXPECT_TRUE(seams.dialogs.asked[0].text.contains(
                QStringLiteral("%1 x %2").arg(c.width).arg(c.height)));
            // Saving the project writes the stage the pages were laid out on.
            w->SaveprojectClick1();
            const velmora::ProjectSettings saved = velmora::readProjectFile(file);
            EXPECT_EQ(saved.StageWidth, c.width);
            EXPECT_EQ(saved.StageHeight, c.height);
            EXPECT_TRUE(saved.unusableStage.isEmpty());
        } else {
            EXPECT_TRUE(seams.dialogs.asked.empty());
        }
    }
    // Opened again on another screen, the older project keeps the stage it was given.
    platform::Screen::setVirtual(1920, 1080, 32);
    w->OpenProject(dir.file("show.kvt"));
    expectStage(1024, 768);
    EXPECT_TRUE(readFile(dir.file("show.kvt")).endsWith("\nStageWidth=1024\nStageHeight=768\n"));

    // An older project written on Windows keeps its line ends when it is given its stage.
    ASSERT_TRUE(writeFile(dir.file("crlf.kvt"),
                          "[VelmoraProject]\r\nProjectName=crlf.kvt\r\nPalette=0\r\n"));
    w->OpenProject(dir.file("crlf.kvt"));
    EXPECT_EQ(readFile(dir.file("crlf.kvt")), "[VelmoraProject]\r\nProjectName=crlf.kvt\r\n"
                                             "Palette=0\r\nStageWidth=1920\r\nStageHeight=1080\r\n");

    // A screen beyond a stage's sides gives the nearest stage, which reads back.
    platform::Screen::setVirtual(20000, 8, 32);
    w->OpenProject(writeProject(""));
    expectStage(16384, 16);
    EXPECT_EQ(velmora::readProjectFile(dir.file("show.kvt")).StageWidth, 16384);
    platform::Screen::setVirtual(1920, 1080, 32);

    // A project file that cannot be written (a folder stands there): nothing is said.
    ASSERT_TRUE(QDir().mkpath(dir.file("folder.kvt")));
    seams.dialogs.asked.clear();
    w->OpenProject(dir.file("folder.kvt"));
    expectStage(1920, 1080);
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(StageTest, ANewProjectTakesTheScreensStageOrTheOneChosenWithItsFirstSave) {
    const QString file = writeProject("Comment=kept\n[Other]\nx=1\n");
    w->OpenProject(file);
    w->setStage(1280, 720); // into an open project's file at once, in place
    EXPECT_EQ(readFile(file), "[VelmoraProject]\nProjectName=show.kvt\nPalette=0\nComment=kept\n"
                             "StageWidth=1280\nStageHeight=720\n[Other]\nx=1\n");

    for (const int chosen : {0, 3840}) {
        SCOPED_TRACE(chosen);
        w->NewPrjToolButtonClick();
        expectStage(1024, 768);
        if (chosen) w->setStage(chosen, 2160);
        EXPECT_TRUE(QDir(dir.path()).entryList({"new*"}).isEmpty());
        seams.dialogs.files.push_back(dir.file("new%1").arg(chosen));
        w->SaveprojectClick1();
        const velmora::ProjectSettings p =
            velmora::readProjectFile(dir.file("new%1.kvt").arg(chosen));
        EXPECT_EQ(p.StageWidth, chosen ? chosen : 1024);
        EXPECT_EQ(p.StageHeight, chosen ? 2160 : 768);
        // Saved, the project keeps it on any screen.
        platform::Screen::setVirtual(640, 480, 32);
        expectStage(p.StageWidth, p.StageHeight);
        platform::Screen::setVirtual(1024, 768, 32);
        QFile::remove(dir.file("new%1.kvt").arg(chosen));
    }
    EXPECT_EQ(velmora::readProjectFile(file).StageWidth, 1280);
}

// Help > Contents opens the contents; the help tells what the stage is and where it is changed,
// and names every command of the File menu, which keeps the project.
TEST_F(StageTest, TheHelpDescribesTheStageAndTheFileMenu) {
    w->Contents1->trigger();
    EXPECT_EQ(platform::Help::lastShown(), "Contents");
    EXPECT_TRUE(testsupport::helpTextInSight().contains("Drawing Paths By Hand"))
        << testsupport::helpTextInSight().toStdString();
    const QString topic = testsupport::helpTopicText("The Project and Its Stage");
    const QList<QAction*> menus = w->menuBar()->actions();
    ASSERT_EQ(menus.value(0)->text(), "&File");
    int named = 0;
    for (const QAction* a : menus[0]->menu()->actions()) {
        if (a->isSeparator() || a == w->Exit1) continue;
        EXPECT_TRUE(topic.contains(QString(a->text()).remove('&'))) << a->text().toStdString();
        ++named;
    }
    EXPECT_EQ(named, 11);
    for (const char* words : {"Project Information", "Stage...", "16 to 16384", "moves no title"})
        EXPECT_TRUE(topic.contains(words)) << words;
    EXPECT_TRUE(platform::Help::showTopic("Drawing Paths By Hand"));
    EXPECT_FALSE(platform::Help::showTopic("No such topic"));
    platform::Help::window()->hide();
}
