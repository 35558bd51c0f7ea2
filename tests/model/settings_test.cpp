#include <gtest/gtest.h>
#include <QFile>

#include "model/settings.h"
#include "platform/IniFile.h"
#include "test_support.h"

namespace {

velmora::SettingsToWrite someSettings() {
    velmora::SettingsToWrite v;
    v.program = "Velmora-32";
    v.version = "1.0";
    v.lastproject = "/home/a/show/demo.kvt";
    v.dir = "/home/a/show/";
    v.top = 10;
    v.left = 20;
    v.height = 492;
    v.width = 649;
    v.birth = "07/12/2026 19:00:00";
    return v;
}

} // namespace

TEST(ShowScreenSetting, ReadsBackAndIsEmptyWhereNoneWasChosen) {
    testsupport::TempDir dir;
    const QString path = dir.file("config/velmora.ini");
    EXPECT_EQ(velmora::readShowScreenName(path), "") << "no file";
    velmora::writeSettings(path, someSettings());
    EXPECT_EQ(velmora::readShowScreenName(path), "") << "a file of the options alone";

    velmora::writeShowScreenName(path, "HEADLESS-2");
    EXPECT_EQ(velmora::readShowScreenName(path), "HEADLESS-2");
    velmora::writeShowScreenName(path, "HDMI-A-1");
    EXPECT_EQ(velmora::readShowScreenName(path), "HDMI-A-1");
    EXPECT_EQ(platform::IniFile(path).readSection("VELMORA Show Screen"),
              QStringList{"Name"}) << "a second choice replaces the first";
}

TEST(ShowScreenSetting, LivesBesideTheOptionsWhichKeepTheirNineKeysInOrder) {
    testsupport::TempDir dir;
    const QString path = dir.file("velmora.ini");
    // Chosen before the options were ever written, then the options written at closing twice.
    velmora::writeShowScreenName(path, "HEADLESS-2");
    velmora::writeSettings(path, someSettings());
    velmora::SettingsToWrite later = someSettings();
    later.top = 33;
    velmora::writeSettings(path, later);

    EXPECT_EQ(velmora::readShowScreenName(path), "HEADLESS-2");
    const platform::IniFile ini(path);
    EXPECT_EQ(ini.readSection("VELMORA Options"),
              (QStringList{"Program", "Version", "Lastproject", "Dir", "Top", "Left", "Height",
                           "Width", "Birth"}));
    EXPECT_EQ(ini.readString("VELMORA Options", "Name", "none"), "none");

    // What an older reader reads is what it always read.
    velmora::Settings s;
    ASSERT_TRUE(velmora::readSettings(path, s));
    EXPECT_EQ(s.Top, 33);
    EXPECT_EQ(s.Left, 20);
    EXPECT_EQ(s.Lastproject, "/home/a/show/demo.kvt");
}
