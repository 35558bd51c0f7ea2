#include <gtest/gtest.h>
#include <QFileInfo>

#include "app/startup.h"
#include "dialogs/bconfigUnit.h"
#include "dialogs/bdebugUnit.h"
#include "dialogs/bfontformU.h"
#include "dialogs/efxctrunit.h"
#include "dialogs/machinfo.h"
#include "main/bitmov2.h"
#include "main/settings.h"
#include "platform/IniFile.h"
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
    // No settings file: design size, no project, nothing said.
    EXPECT_EQ(m.size(), QSize(649, 492));
    EXPECT_TRUE(m.ProjectName.isEmpty());
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
