#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QScreen>

#include "platform/Screen.h"
#include "platform/ShowScreen.h"
#include "test_support.h"

namespace {

struct Choice {
    QStringList names;
    int editor;
    QString remembered;
    int expected;
    const char* why;
};

} // namespace

TEST(ShowScreen, RememberedWhileConnectedTheEditorsOnceGoneElseAnotherThanTheEditors) {
    const QStringList two{"HEADLESS-1", "HEADLESS-2"};
    const QStringList three{"DP-1", "HDMI-A-1", "eDP-1"};
    const Choice table[] = {
        {{}, -1, "", -1, "no screen at all"},
        {{}, -1, "HDMI-A-1", -1, "no screen, though one is remembered"},
        {{"eDP-1"}, 0, "", 0, "one screen, the editor's"},
        {{"eDP-1"}, 0, "HDMI-A-1", 0, "one screen, the remembered one unplugged"},
        {{"eDP-1"}, -1, "", 0, "one screen, the editor's unknown"},
        {two, 0, "", 1, "the editor on the first: the second"},
        {two, 1, "", 0, "the editor on the second: the first"},
        {two, -1, "", 0, "the editor's screen unknown: the first"},
        {two, 0, "HEADLESS-1", 0, "the remembered one, though the editor is on it"},
        {two, 0, "HEADLESS-2", 1, "the remembered one"},
        {two, 1, "headless-2", 1, "names are matched exactly: gone, so the editor's"},
        {two, 0, "DP-3", 0, "the remembered one gone: back to the editor's"},
        {two, 1, "DP-3", 1, "the remembered one gone, the editor on the second"},
        {three, 0, "", 1, "three screens, the editor on the first"},
        {three, 2, "", 0, "three screens, the editor on the last"},
        {three, 1, "eDP-1", 2, "three screens, the last remembered"},
    };
    for (const Choice& c : table)
        EXPECT_EQ(platform::chooseShowScreen(c.names, c.editor, c.remembered), c.expected)
            << c.why;
}

TEST(ShowScreen, TheScreensSizeIsTheShowScreensUnlessAVirtualScreenIsSet) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_FALSE(screens.isEmpty());
    QScreen* only = screens.front();

    // An editor whose window has gone (or was never told) stands on the primary screen.
    platform::setEditorScreenSource([]() -> QScreen* { return nullptr; });
    EXPECT_EQ(platform::editorScreen(), QGuiApplication::primaryScreen());
    // A remembered screen that is not connected leaves the show on the screen there is.
    platform::setRememberedShowScreen(QStringLiteral("NOT-CONNECTED-9"));
    EXPECT_EQ(platform::showScreen(), only);
    platform::setRememberedShowScreen(only->name());
    EXPECT_EQ(platform::showScreen(), only);

    platform::Screen::clearVirtual();
    EXPECT_EQ(platform::Screen::width(), only->geometry().width());
    EXPECT_EQ(platform::Screen::height(), only->geometry().height());
    EXPECT_EQ(platform::Screen::depth(), only->depth());
    platform::Screen::setVirtual(1920, 1080, 24);
    EXPECT_EQ(platform::Screen::width(), 1920);
    EXPECT_EQ(platform::Screen::height(), 1080);
    EXPECT_EQ(platform::Screen::depth(), 24);
    platform::Screen::clearVirtual();

    platform::setRememberedShowScreen(QString());
    platform::setEditorScreenSource(nullptr);
}
