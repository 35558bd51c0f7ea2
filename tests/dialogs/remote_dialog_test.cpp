// The Remote Control window: what it shows of the settings, the token made the first time the
// network needs it, the addresses to reach the remote at, and OK keeping or refusing a choice;
// and the Key Screen window's list.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>

#include "dialogs/keyscreen.h"
#include "dialogs/remotedlg.h"
#include "model/settings.h"
#include "test_support.h"

namespace {

TEST(RemoteAddresses, SayWhereTheRemoteIsReached) {
    velmora::remote::RemoteSettings s;
    EXPECT_EQ(velmora::remoteAddresses(s, {"192.0.2.7"}), "The remote control is off.");
    s.enabled = true;
    EXPECT_EQ(velmora::remoteAddresses(s, {"192.0.2.7"}),
              "Web remote: http://127.0.0.1:8610\nOSC: UDP port 8610, this computer only");
    s.network = true;
    s.token = "abc";
    s.port = 9000;
    EXPECT_EQ(velmora::remoteAddresses(s, {"192.0.2.7"}),
              "Web remote: http://127.0.0.1:9000/?token=abc\n"
              "Web remote: http://192.0.2.7:9000/?token=abc\n"
              "OSC: UDP port 9000, this computer only");
    s.oscFromNetwork = true;
    EXPECT_TRUE(velmora::remoteAddresses(s, {}).endsWith("OSC: UDP port 9000, from the network too"));
}

TEST(RemoteDialog, TheNetworkGetsATokenAndOkKeepsOnlyWhatCanListen) {
    testsupport::Seams seams;
    velmora::TRemoteDialog d(nullptr);
    d.showSettings({});
    EXPECT_EQ(d.windowTitle(), "Remote Control");
    EXPECT_FALSE(d.EnabledBox->isChecked());
    EXPECT_FALSE(d.PortBox->isEnabled());
    EXPECT_EQ(d.Addresses->text(), "The remote control is off.");
    d.EnabledBox->setChecked(true);
    EXPECT_EQ(d.PortBox->value(), 8610);
    EXPECT_TRUE(d.LocalButton->isChecked());
    EXPECT_TRUE(d.TokenEdit->text().isEmpty());
    EXPECT_FALSE(d.OscBox->isEnabled());
    d.NetworkButton->setChecked(true);
    const QString token = d.TokenEdit->text();
    EXPECT_EQ(token.size(), 32);
    EXPECT_TRUE(d.Addresses->text().contains("/?token=" + token));
    d.NewTokenButton->click();
    EXPECT_NE(d.TokenEdit->text(), token);

    std::vector<velmora::remote::RemoteSettings> offered;
    d.applyChoice = [&](const velmora::remote::RemoteSettings& s, QString* why) {
        offered.push_back(s);
        *why = "The port 8610 is taken or cannot be used.";
        return offered.size() > 1;
    };
    d.OkButton->click();
    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_EQ(seams.dialogs.asked[0].text,
              "The remote control cannot listen: The port 8610 is taken or cannot be used.");
    EXPECT_EQ(d.result(), 0); // still up
    d.OkButton->click();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_TRUE(offered[1].enabled && offered[1].network);
    EXPECT_EQ(offered[1].token, d.TokenEdit->text());
    EXPECT_EQ(d.result(), int(QDialog::Accepted));
}

TEST(KeyScreen, ListsNoneAndEveryScreenAndKeepsTheChoice) {
    testsupport::Seams seams;
    testsupport::TempDir dir;
    velmora::setSettingsFilePath(dir.file("velmora.ini"));
    velmora::TKeyScreen d(nullptr);
    d.fillList();
    ASSERT_EQ(d.ScreenList->count(), int(QGuiApplication::screens().size()) + 1);
    EXPECT_EQ(d.ScreenList->item(0)->text(), "None");
    EXPECT_EQ(d.ScreenList->currentRow(), 0);
    d.ScreenList->setCurrentRow(1);
    d.OkClick();
    const QString name = QGuiApplication::screens().front()->name();
    EXPECT_EQ(velmora::readKeyScreenName(dir.file("velmora.ini")), name);
    // The key never goes to the show's own screen. A screen without a name cannot be told
    // again (the offscreen one has none): it is no key screen.
    EXPECT_EQ(velmora::keyScreen(QGuiApplication::screens().front()), nullptr);
    EXPECT_EQ(velmora::keyScreen(nullptr), name.isEmpty() ? nullptr : QGuiApplication::screens().front());
    d.fillList();
    EXPECT_EQ(d.ScreenList->currentRow(), name.isEmpty() ? 0 : 1);
    velmora::setSettingsFilePath(QString());
}

} // namespace
