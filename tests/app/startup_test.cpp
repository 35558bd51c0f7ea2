#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "app/startup.h"
#include "dialogs/bconfigUnit.h"
#include "dialogs/bdebugUnit.h"
#include "dialogs/bfontformU.h"
#include "dialogs/efxctrunit.h"
#include "dialogs/machinfo.h"
#include "dialogs/showscreen.h"
#include "main/bitmov2.h"
#include "model/page_file.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "platform/IniFile.h"
#include "platform/ShowScreen.h"
#include "playback/bitmcan.h"
#include "test_support.h"

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        velmora::setSettingsFilePath(dir.file("velmora.ini"));
        saved = velmora::programEnd();
        velmora::programEnd().close = [this] { ++closes; };
    }
    void TearDown() override {
        velmora::programEnd() = saved;
        velmora::setSettingsFilePath(QString());
    }
    testsupport::TempDir dir;
    testsupport::Seams seams;
    velmora::ProgramEnd saved;
    int closes = 0;
};

TEST_F(StartupTest, WindowsAreCreatedWithTheirCaptionsAndThePageDefaults) {
    auto w = velmora::createWindows(false);
    ASSERT_TRUE(w->BitMovOptMain && w->bFontForm && w->bdebug && w->Bconfig && w->Can &&
                w->efxctr && w->MachInfo);
    EXPECT_EQ(w->bFontForm->windowTitle(), "Change Font and Size ");
    EXPECT_EQ(w->bdebug->windowTitle(), "Velmora Pro Data");
    EXPECT_EQ(w->Bconfig->windowTitle(), "Time  Options");
    EXPECT_EQ(w->efxctr->windowTitle(), "Color and Gradient Adjustments");
    EXPECT_EQ(w->MachInfo->windowTitle(), "Under Your Hood");

    auto& m = *w->BitMovOptMain;
    const int sizes[3] = {60, 50, 30}, ins[3] = {1, 5, 3}, outs[3] = {3, 6, 1};
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(m.line(n).FontSize, sizes[n - 1]);
        EXPECT_EQ(m.line(n).FontName, "Arial");
        EXPECT_EQ(m.line(n).FontColor, 0xFFFFFFu);
        EXPECT_EQ(m.line(n).InDirection, ins[n - 1]);
        EXPECT_EQ(m.line(n).OutDirection, outs[n - 1]);
    }
    EXPECT_TRUE(m.SettingsRead);
    EXPECT_EQ(m.playback(), w->Can.get());
    EXPECT_EQ(w->Can->StripFormat, platform::PixelFormat::Bits24);
    // No settings file: design size, no project, no folder, nothing said.
    EXPECT_EQ(m.size(), QSize(649, 492));
    EXPECT_TRUE(m.ProjectName.isEmpty());
    EXPECT_TRUE(m.dpath.isEmpty());
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(StartupTest, ClosingANewInstallationCreatesTheSettingsFile) {
    auto w = velmora::createWindows(false);
    EXPECT_FALSE(QFileInfo::exists(dir.file("velmora.ini")));
    w->BitMovOptMain->close();
    EXPECT_EQ(closes, 1);
    platform::IniFile ini(dir.file("velmora.ini"));
    EXPECT_EQ(ini.readSection("VELMORA Options").size(), 9);
    EXPECT_EQ(ini.readInteger("VELMORA Options", "Width", 0), 649);
}

TEST_F(StartupTest, WindowMenuEntriesOpenTheirWindows) {
    auto w = velmora::createWindows(false);
    w->BitMovOptMain->ProjectInformation1->trigger();
    EXPECT_TRUE(w->bdebug->isVisible());
    w->bdebug->hide();
    w->BitMovOptMain->UnderYourHood1->trigger();
    w->BitMovOptMain->SetColorBarTime1->trigger();
    EXPECT_EQ(seams.dialogs.modalWindows,
              (std::vector<QString>{"Under Your Hood", "Time  Options"}));
}

TEST_F(StartupTest, TheShowScreenIsReadAtStartAndChosenFromTheConfigurationMenu) {
    platform::IniFile(dir.file("velmora.ini")).writeString("VELMORA Show Screen", "Name", "DP-7");
    auto w = velmora::createWindows(false);
    EXPECT_EQ(platform::rememberedShowScreen(), "DP-7");
    EXPECT_EQ(platform::editorScreen(), w->BitMovOptMain->screen());

    // Driven as a person would: the dialog shown, OK pressed.
    seams.dialogs.onModal = [](QDialog& d) {
        d.show();
        static_cast<velmora::TShowScreen&>(d).BitBtn1->click();
    };
    w->BitMovOptMain->ShowScreen1->trigger();
    EXPECT_EQ(seams.dialogs.modalWindows, std::vector<QString>{"Show Screen"});
    const QString name = QGuiApplication::primaryScreen()->name();
    EXPECT_EQ(platform::rememberedShowScreen(), name);
    EXPECT_EQ(velmora::readShowScreenName(dir.file("velmora.ini")), name);
    platform::setRememberedShowScreen(QString());
}

namespace {

// The demo project copied into the folder; returns the project file's path.
QString copyDemo(const testsupport::TempDir& dir) {
    const QString demo = QStringLiteral(VELMORA_SOURCE_DIR "/examples/demo/");
    for (const QString& name : QDir(demo).entryList(QDir::Files))
        EXPECT_TRUE(QFile::copy(demo + name, dir.file(name))) << name.toStdString();
    return dir.file("demo.kvt");
}

velmora::PageImage firstDemoPage() {
    velmora::PageBuffer buffer;
    EXPECT_EQ(velmora::readPageFile(QStringLiteral(VELMORA_SOURCE_DIR "/examples/demo/DEMO.000"),
                                    buffer),
              velmora::PageReadResult::Ok);
    velmora::PageImage page;
    buffer.decode(page);
    return page;
}

} // namespace

// The project named on the command line opens as Open would open it, also after the settings
// opened the last project; the rest of the settings stays.
TEST_F(StartupTest, AProjectNamedOnTheCommandLineOpensAsOpenWouldOverTheLastOne) {
    testsupport::TempDir last, projects;
    ASSERT_TRUE(velmora::writeProjectFile(last.file("old.kvt"), "Velmora-32", "1.30", "old.kvt",
                                          "2026-12-07 10:00:00", "NEW", false, false, 10, 32, 0));
    platform::IniFile ini(dir.file("velmora.ini"));
    ini.writeString("VELMORA Options", "Lastproject", last.file("old.kvt"));
    ini.writeInteger("VELMORA Options", "Width", 700);
    ini.writeInteger("VELMORA Options", "Height", 500);
    const QString file = copyDemo(projects);
    auto w = velmora::createWindows(false);
    auto& m = *w->BitMovOptMain;
    ASSERT_EQ(m.dpath, last.path() + "/"); // the settings opened the last project
    ASSERT_EQ(m.ProjectName, "old.kvt");
    ASSERT_FALSE(m.UseColorBars);
    seams.dialogs.clear();
    ASSERT_TRUE(velmora::openProjectFromCommandLine(m, file));
    EXPECT_EQ(m.ProjectName, "demo.kvt");
    EXPECT_EQ(m.dpath, projects.path() + "/");
    EXPECT_EQ(m.size(), QSize(700, 500));
    EXPECT_TRUE(m.UseColorBars);
    EXPECT_TRUE(m.UseCountDown);
    EXPECT_EQ(m.Holdtime, 3);
    EXPECT_FALSE(m.sav);
    const velmora::PageImage first = firstDemoPage();
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(m.lineText(n), first.lines[n - 1].Text) << n;
    EXPECT_TRUE(m.PlayAllToolButton->isEnabled());
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(StartupTest, AMissingOrUnreadableProjectFileIsSaidAndNothingElseChanges) {
    auto w = velmora::createWindows(false);
    auto& m = *w->BitMovOptMain;
    const QString missing = dir.file("nowhere.kvt");
    EXPECT_FALSE(velmora::openProjectFromCommandLine(m, missing));
    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_EQ(seams.dialogs.asked[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(seams.dialogs.asked[0].text, "The project file " + missing + " does not exist.");

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.kvt"));
    EXPECT_FALSE(velmora::openProjectFromCommandLine(m, dir.file("folder.kvt")));
    ASSERT_EQ(seams.dialogs.asked.size(), 2u);
    EXPECT_EQ(seams.dialogs.asked[1].text,
              "The project file " + dir.file("folder.kvt") + " can not be read.");
    EXPECT_TRUE(m.ProjectName.isEmpty());
    EXPECT_TRUE(m.dpath.isEmpty());
}
