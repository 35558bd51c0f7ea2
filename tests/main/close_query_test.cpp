#include <climits>
#include <QFileInfo>

#include "main_window_fixture.h"
#include "model/settings.h"
#include "platform/IniFile.h"
#include "platform/Screen.h"

using platform::Answer;
using platform::MsgButtons;
using platform::MsgKind;

namespace {

const QStringList NineKeys = {"Program", "Version", "Lastproject", "Dir",  "Top",
                              "Left",    "Height",  "Width",       "Birth"};

enum class Way { CloseBox, MenuBarExit, FileExit };

void closeBy(velmora::TBitMovOptMain& w, Way way) {
    switch (way) {
    case Way::CloseBox:
        w.close();
        break;
    case Way::MenuBarExit:
        w.Exit2Click();
        break;
    case Way::FileExit:
        w.Exit1Click();
        break;
    }
}

} // namespace

class CloseQueryTest : public MainWindowTest, public ::testing::WithParamInterface<Way> {};

TEST_P(CloseQueryTest, CancelKeepsTheProgramRunningAndNoClosesItWritingTheSettings) {
    w->ProjectName = "show.kvt";
    w->setsav(true);
    seams.dialogs.answers.push_back(Answer::Cancel);
    closeBy(*w, GetParam());
    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_EQ(seams.dialogs.asked[0].text, "Save current page first?");
    EXPECT_EQ(seams.dialogs.asked[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(seams.dialogs.asked[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(w->sav);
    // Only the File menu's Exit writes the settings before it asks.
    EXPECT_EQ(QFileInfo::exists(dir.file("velmora.ini")), GetParam() == Way::FileExit);

    seams.dialogs.answers.push_back(Answer::No);
    closeBy(*w, GetParam());
    EXPECT_EQ(seams.dialogs.asked.size(), 2u);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(platform::IniFile(dir.file("velmora.ini")).readSection("VELMORA Options"), NineKeys);
}

TEST_P(CloseQueryTest, NothingIsAskedWithoutChangesOrWithoutAProject) {
    w->ProjectName = "show.kvt";
    w->setsav(false);
    closeBy(*w, GetParam());
    EXPECT_TRUE(seams.dialogs.asked.empty());
    EXPECT_EQ(closes, 1);

    auto other = std::make_unique<velmora::TBitMovOptMain>();
    other->ProjectName.clear();
    other->setsav(true);
    closeBy(*other, GetParam());
    EXPECT_TRUE(seams.dialogs.asked.empty());
    EXPECT_EQ(closes, 2);
}

INSTANTIATE_TEST_SUITE_P(AllWays, CloseQueryTest,
                         ::testing::Values(Way::CloseBox, Way::MenuBarExit, Way::FileExit));

TEST_F(MainWindowTest, TheSettingsFileHoldsItsNineKeysInOrder) {
    // A stale section in another case and a foreign section: the first goes, the second stays.
    platform::IniFile ini(dir.file("velmora.ini"));
    ini.writeString("velmora options", "dpath", "/old/");
    ini.writeString("velmora options", "Stale", "x");
    ini.writeString("Other", "Keep", "1");
    w->dpath = "/shows/";
    w->ProjectName = "tour.kvt";
    w->move(10, 20);
    w->resize(500, 450);
    w->SettingsWriteFile();
    EXPECT_EQ(ini.readSection("VELMORA Options"), NineKeys);
    EXPECT_EQ(ini.readString("VELMORA Options", "Program", ""), "Velmora-32");
    EXPECT_EQ(ini.readString("VELMORA Options", "Version", ""), "1.30");
    EXPECT_EQ(ini.readString("VELMORA Options", "Lastproject", ""), "/shows/tour.kvt");
    EXPECT_EQ(ini.readString("VELMORA Options", "Dir", ""), "/shows/");
    EXPECT_EQ(ini.readInteger("VELMORA Options", "Width", 0), 500);
    EXPECT_EQ(ini.readInteger("VELMORA Options", "Height", 0), 450);
    EXPECT_FALSE(ini.readString("VELMORA Options", "Birth", "").isEmpty());
    EXPECT_EQ(ini.readString("Other", "Keep", ""), "1");

    // Without a project the last project is empty.
    w->ProjectName.clear();
    w->SettingsWriteFile();
    EXPECT_EQ(ini.readString("VELMORA Options", "Lastproject", "?"), "");
}

TEST_F(MainWindowTest, ReadingTheSettingsPlacesTheWindow) {
    platform::IniFile ini(dir.file("velmora.ini"));
    ini.writeString("VELMORA Options", "Top", "33");
    ini.writeString("VELMORA Options", "Left", "44");
    ini.writeString("VELMORA Options", "dpath", "/projects/");
    ini.writeString("VELMORA Options", "Lastproject", dir.file("gone.kvt"));
    w->SettingsReadFile();
    EXPECT_EQ(w->pos(), QPoint(44, 33));
    // Keys that are missing take their defaults: 200 wide, 400 high.
    EXPECT_EQ(w->size(), QSize(200, 400));
    EXPECT_EQ(w->dpath, "/projects/");
    // A last project that no longer exists opens nothing and says nothing.
    EXPECT_TRUE(w->ProjectName.isEmpty());
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST(WindowPlace, SavedPlacesAreBroughtBackOntoTheScreen) {
    using velmora::placeOnScreen;
    using velmora::SavedPlace;
    const QRect screen(0, 0, 1280, 1024);
    const QSize least(160, 200), design(649, 492);
    struct Case {
        SavedPlace saved;
        QRect expected;
    };
    const Case cases[] = {
        // Enough of it shows: kept, even partly off the screen.
        {{44, 33, 500, 450}, QRect(44, 33, 500, 450)},
        {{1180, 974, 500, 450}, QRect(1180, 974, 500, 450)},
        {{-400, -400, 500, 450}, QRect(-400, -400, 500, 450)},
        // Less than 100 x 50 pixels on the screen: pulled back inside.
        {{1181, 100, 500, 450}, QRect(780, 100, 500, 450)},
        {{100, 975, 500, 450}, QRect(100, 574, 500, 450)},
        {{-401, 10, 500, 450}, QRect(0, 10, 500, 450)},
        {{99999999, -99999, 500, 450}, QRect(780, 0, 500, 450)},
        // Unusable sizes take the design size.
        {{99999999, -99999, 2147483647, -5}, QRect(631, 0, 649, 492)},
        {{10, 10, 159, 199}, QRect(10, 10, 649, 492)},
        {{10, 10, 160, 200}, QRect(10, 10, 160, 200)},
        {{10, 10, 1281, 1025}, QRect(10, 10, 649, 492)},
        {{2147483647, 2147483647, 2147483647, 2147483647}, QRect(631, 532, 649, 492)},
        {{INT_MIN, INT_MIN, INT_MIN, INT_MIN}, QRect(0, 0, 649, 492)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.saved.left << "," << c.saved.top << " "
                                        << c.saved.width << "x" << c.saved.height);
        EXPECT_EQ(placeOnScreen(c.saved, screen, least, design), c.expected);
    }
    // A screen smaller than the design size: the window takes the whole screen.
    EXPECT_EQ(placeOnScreen({50, 50, 5000, 5000}, QRect(0, 0, 600, 400), least, design),
              QRect(50, 50, 600, 400));
    EXPECT_EQ(placeOnScreen({590, 50, 5000, 5000}, QRect(0, 0, 600, 400), least, design),
              QRect(0, 0, 600, 400));
}

TEST_F(MainWindowTest, AnExtremeSettingsFileOpensTheWindowOnTheScreen) {
    platform::IniFile ini(dir.file("velmora.ini"));
    ini.writeString("VELMORA Options", "Top", "-99999");
    ini.writeString("VELMORA Options", "Left", "99999999");
    ini.writeString("VELMORA Options", "Height", "-5");
    ini.writeString("VELMORA Options", "Width", "2147483647");
    w->SettingsReadFile();
    const QRect screen(0, 0, platform::Screen::width(), platform::Screen::height());
    EXPECT_EQ(w->size(), QSize(649, 492));
    EXPECT_TRUE(screen.contains(w->geometry())) << w->geometry().x() << "," << w->geometry().y();
}
