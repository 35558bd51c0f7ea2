// The show screen's dialog: what it lists, and what OK and Cancel leave behind.
#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include "dialogs/showscreen.h"
#include "model/settings.h"
#include "platform/ShowScreen.h"
#include "test_support.h"

using velmora::TShowScreen;

class ShowScreenDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        velmora::setSettingsFilePath(dir.file("velmora.ini"));
        platform::setEditorScreenSource(nullptr);
        platform::setRememberedShowScreen(QString());
    }
    void TearDown() override {
        platform::setRememberedShowScreen(QString());
        velmora::setSettingsFilePath(QString());
    }
    testsupport::TempDir dir;
    testsupport::Seams seams;
    QScreen* screen = QGuiApplication::primaryScreen();
};

TEST_F(ShowScreenDialogTest, ListsEachScreenByNameAndSizeWithTheEditorsMarked) {
    TShowScreen d(nullptr);
    EXPECT_EQ(d.windowTitle(), "Show Screen");
    EXPECT_EQ(d.ScreenList->accessibleName(), "Screens");

    // A remembered screen that is not connected: the show's screen is selected instead.
    platform::setRememberedShowScreen("DP-7");
    d.show();
    ASSERT_EQ(d.ScreenList->count(), QGuiApplication::screens().size());
    const QString expected = QStringLiteral("%1  %2 x %3  (editor)")
                                 .arg(screen->name())
                                 .arg(screen->geometry().width())
                                 .arg(screen->geometry().height());
    EXPECT_EQ(d.ScreenList->item(0)->text(), expected);
    EXPECT_EQ(d.selectedName(), screen->name());

    EXPECT_EQ(TShowScreen::entry("HEADLESS-2", 1920, 1080, false), "HEADLESS-2  1920 x 1080");
    EXPECT_EQ(TShowScreen::entry("HEADLESS-1", 1280, 1024, true),
              "HEADLESS-1  1280 x 1024  (editor)");
    d.reject();
}

TEST_F(ShowScreenDialogTest, OkRemembersTheSelectedScreenAndCancelChangesNothing) {
    // Chosen before, and unplugged since.
    const QString path = velmora::settingsFilePath();
    platform::setRememberedShowScreen("HDMI-A-1");
    velmora::writeShowScreenName(path, "HDMI-A-1");
    ASSERT_NE(screen->name(), "HDMI-A-1");

    TShowScreen d(nullptr);
    d.show();
    EXPECT_EQ(d.selectedName(), screen->name());
    d.BitBtn2->click();
    EXPECT_FALSE(d.isVisible());
    d.show();
    d.reject(); // Escape or the title bar's close button
    EXPECT_EQ(platform::rememberedShowScreen(), "HDMI-A-1");
    EXPECT_EQ(velmora::readShowScreenName(path), "HDMI-A-1");

    d.show();
    d.BitBtn1->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(platform::rememberedShowScreen(), screen->name());
    EXPECT_EQ(velmora::readShowScreenName(path), screen->name());
}
