#include "app/startup.h"

#include <cstdio>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include "dialogs/About1.h"
#include "dialogs/bconfigUnit.h"
#include "dialogs/bdebugUnit.h"
#include "dialogs/bfontformU.h"
#include "dialogs/efxctrunit.h"
#include "dialogs/exportdlg.h"
#include "app/remote_desk.h"
#include "dialogs/keyscreen.h"
#include "dialogs/livewindow.h"
#include "dialogs/remotedlg.h"
#include "remote/server.h"
#include "dialogs/machinfo.h"
#include "dialogs/showscreen.h"
#include "dialogs/splash.h"
#include "main/bitmov2.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "platform/FrontWindow.h"
#include "platform/Help.h"
#include "platform/QtDialogs.h"
#include "platform/ShowScreen.h"
#include "playback/bitmcan.h"

namespace velmora {

Windows::~Windows() {
    // The playback window refers to the main window: it goes first.
    remote.reset();
    desk.reset();
    remoteDialog.reset();
    live.reset();
    showScreen.reset();
    exportDialog.reset();
    MachInfo.reset();
    efxctr.reset();
    if (BitMovOptMain) BitMovOptMain->setPlayback(nullptr);
    Can.reset();
    Bconfig.reset();
    bdebug.reset();
    bFontForm.reset();
    BitMovOptMain.reset();
}

void initialiseApplication(QApplication& app) {
    app.setApplicationName(QStringLiteral("Velmora-32"));
    platform::useQtDialogs();
    platform::Help::setHelpFile(QStringLiteral(":/help/Velmora.html"));
}

void startPage(TBitMovOptMain& main, TCan& can) {
    // The page's start defaults, written over the main window's own.
    for (int n = 1; n <= 3; ++n) {
        TitleLine& l = main.line(n);
        l.FontSize = StartFontSizes[n - 1];
        l.FontName = QStringLiteral("Arial");
        l.FontColor = 0xFFFFFF;
        l.InDirection = StartInDirections[n - 1];
        l.OutDirection = StartOutDirections[n - 1];
    }
    main.setPlayback(&can);
    // The direction buttons show the start defaults from the first moment.
    main.ShowPage();
    if (!main.SettingsRead) {
        platform::setRememberedShowScreen(readShowScreenName(settingsFilePath()));
        main.SettingsReadFile();
        main.SettingsRead = true;
    }
}

std::unique_ptr<Windows> createWindows(bool withSplash) {
    auto w = std::make_unique<Windows>();
    Windows* raw = w.get();
    Accessories acc;
    if (withSplash) acc.showSplash = [] { ShowSplash(); };
    acc.showAbout = [raw] { ShowAboutBox(raw->BitMovOptMain->Version); };
    acc.showProjectInformation = [raw] { platform::showInFront(raw->bdebug.get()); };
    acc.showUnderYourHood = [raw] { platform::dialogs().runModal(*raw->MachInfo); };
    acc.showColorBarTime = [raw] { platform::dialogs().runModal(*raw->Bconfig); };
    acc.showFontChooser = [raw] { platform::dialogs().runModal(*raw->bFontForm); };
    acc.showEffects = [raw] { platform::dialogs().runModal(*raw->efxctr); };
    acc.exportShow = [raw](const QString& project) {
        if (!raw->exportDialog) raw->exportDialog = std::make_unique<TExportDialog>(raw->BitMovOptMain.get());
        raw->exportDialog->exportProject(project);
    };
    acc.showLive = [raw](const QString& project) {
        if (!raw->live) {
            raw->live = std::make_unique<TLiveWindow>(*raw->BitMovOptMain);
            QObject::connect(raw->live.get(), &TLiveWindow::deskChanged, [raw] {
                if (raw->remote) raw->remote->follow(raw->live ? raw->live->liveDesk() : nullptr);
            });
        }
        raw->live->openProject(project);
    };
    acc.chooseKeyScreen = [raw] {
        TKeyScreen dialog(raw->BitMovOptMain.get());
        platform::dialogs().runModal(dialog);
    };
    acc.remoteControl = [raw] {
        if (!raw->remoteDialog) {
            raw->remoteDialog = std::make_unique<TRemoteDialog>(raw->BitMovOptMain.get());
            raw->remoteDialog->applyChoice = [raw](const remote::RemoteSettings& s, QString* why) {
                if (!raw->remote->apply(s, why)) {
                    // What listened before goes on listening.
                    QString ignored;
                    raw->remote->apply(remote::readRemoteSettings(settingsFilePath()), &ignored);
                    return false;
                }
                remote::writeRemoteSettings(settingsFilePath(), s);
                return true;
            };
        }
        raw->remoteDialog->showSettings(raw->remote->settings());
        platform::dialogs().runModal(*raw->remoteDialog);
    };
    acc.chooseShowScreen = [raw] {
        if (!raw->showScreen) raw->showScreen = std::make_unique<TShowScreen>(raw->BitMovOptMain.get());
        platform::dialogs().runModal(*raw->showScreen);
    };

    w->BitMovOptMain = std::make_unique<TBitMovOptMain>(acc);
    // The show goes to another screen than the one the editor is on now.
    platform::setEditorScreenSource(
        [editor = QPointer<TBitMovOptMain>(w->BitMovOptMain.get())]() -> QScreen* {
            return editor ? editor->screen() : nullptr;
        });
    w->bFontForm = std::make_unique<TbFontForm>(w->BitMovOptMain.get());
    w->bdebug = std::make_unique<Tbdebug>(w->BitMovOptMain.get());
    w->Bconfig = std::make_unique<TBconfig>(w->BitMovOptMain.get());
    TBitMovOptMain& main = *w->BitMovOptMain;
    PlaybackHost host;
    host.state = [&main] { return main.editorState(); };
    host.returnToEditor = [&main] { main.returnFromPlayback(); };
    host.setAlignMode = [&main](bool on) { main.AlignMode = on; };
    host.showProjectInformation = acc.showProjectInformation;
    w->Can = std::make_unique<TCan>(main.document(), std::move(host));
    startPage(main, *w->Can);
    w->efxctr = std::make_unique<Tefxctr>(w->BitMovOptMain.get());
    w->MachInfo = std::make_unique<TMachInfo>(w->BitMovOptMain.get());
    w->desk = std::make_unique<RemoteDesk>(*w);
    w->remote = std::make_unique<remote::RemoteServer>(*w->desk);
    QString why;
    const remote::RemoteSettings remoteSettings = remote::readRemoteSettings(settingsFilePath());
    if (!w->remote->apply(remoteSettings, &why))
        std::fprintf(stderr, "velmora: the remote control cannot listen: %s\n", qPrintable(why));
    return w;
}

bool openProjectFromCommandLine(TBitMovOptMain& main, const QString& file) {
    const QFileInfo info(file);
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    QString problem;
    QFile probe(path);
    if (!info.exists())
        problem = QStringLiteral("The project file %1 does not exist.");
    else if (info.isDir() || !probe.open(QIODevice::ReadOnly))
        problem = QStringLiteral("The project file %1 can not be read.");
    if (!problem.isEmpty()) {
        platform::dialogs().message(platform::MsgKind::Error, problem.arg(path),
                                    platform::MsgButtons::OK);
        return false;
    }
    probe.close();
    // As "Open" does with a chosen file: the folder becomes the project's, the page unchanged.
    main.dpath = directoryPart(path);
    main.OpenProject(path);
    main.setsav(false);
    return true;
}

} // namespace velmora
