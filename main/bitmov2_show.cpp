// Playing the page on screen and whole shows.
#include <QApplication>
#include <QMouseEvent>

#include "main/bitmov2.h"
#include "model/page_file.h"
#include "model/playback_port.h"
#include "platform/Dialogs.h"
#include "platform/Pump.h"
#include "render/effects.h"

namespace velmora {

using platform::Answer;
using platform::MsgButtons;
using platform::MsgKind;

bool TBitMovOptMain::ProjectValid() {
    QString message;
    if (!UseCountDown && !UseColorBars && !line(1).InUse && !line(2).InUse &&
        !line(3).InUse)
        message = QStringLiteral("Enter a title in the black edit box.");
    for (int n = 3; n >= 1; --n)
        if (line(n).InUse && line(n).InDirection == 0)
            message = QStringLiteral("Click an IN direction for title #") + QString::number(n);
    if (message.isEmpty()) return true;
    platform::dialogs().message(MsgKind::Information, message, MsgButtons::OK);
    return false;
}

void TBitMovOptMain::PlayPage2Click() {
    if (!playback_) return;
    playback_->setPlaybackEnabled(true);
    playback_->setkillnow(false);
    if (!ProjectValid()) return;
    playback_->PlayPage(QStringLiteral("Current"));
    playback_->setkillnow(true);
    playback_->killcan();
    checkstatus();
}

void TBitMovOptMain::ExportShow1Click() {
    if (StripKVT(ProjectName).isEmpty()) {
        platform::dialogs().message(MsgKind::Information,
                                    QStringLiteral("Open a Project or Save this project first."),
                                    MsgButtons::OK);
        return;
    }
    // The show is rendered from the project's files.
    if (!pageMayBeReplaced()) return;
    if (accessories_.exportShow) accessories_.exportShow(dpath + ProjectName);
}

void TBitMovOptMain::Live1Click() {
    // The rundown is the project's page files; the page being edited joins it as it stands.
    if (StripKVT(ProjectName).isEmpty()) {
        platform::dialogs().message(MsgKind::Information,
                                    QStringLiteral("Open a Project or Save this project first."),
                                    MsgButtons::OK);
        return;
    }
    if (accessories_.showLive) accessories_.showLive(dpath + ProjectName);
}

void TBitMovOptMain::Align2Click() {
    if (playback_) playback_->StartAlign();
}

void TBitMovOptMain::mousePressEvent(QMouseEvent* event) {
    QMainWindow::mousePressEvent(event);
    if (playback_) playback_->hidePlayback();
    platform::pump();
    show();
    raise();
    activateWindow();
}

namespace {

// One of the show's waits: the space bar while the space-bar flag is up, else the page's pause.
void showWait(TBitMovOptMain& m, PlaybackPort& p) {
    if (p.spcbarpause())
        p.pauseUNtilSpaceBarReset();
    else if (m.PauseTime > 0)
        effects::WaitSeconds(m.PauseTime);
}

} // namespace

void TBitMovOptMain::PlayAllPages2Click() {
    if (!playback_) return;
    PlaybackPort& p = *playback_;
    p.setkillnow(false);
    if (!ProjectValid()) return;

    // Every page of the project comes into the editor: changes to the page on screen are not
    // dropped without asking.
    offerToSaveCurrentPage();

    // "NEW" (no page 000) reads as 0; a project with every number taken plays them all.
    const QString last = GetNumberOFPages(StripKVT(ProjectName)).value_or(QStringLiteral("999"));
    bool ok = false;
    int N = last.toInt(&ok);
    if (!ok) N = 0;

    // Before each page: a stopped show ends here and closes the playback window; otherwise page
    // i comes into the editor.
    auto bringPage = [&](int i) {
        if (p.getkillnow()) {
            p.killcan();
            return false;
        }
        SETcurrentpaGE(i);
        LoadPage(ProjectName);
        return true;
    };

    if (!repeatLoop()) {
        p.setspcbarpause(mpause);
        p.setPlaybackEnabled(true);
        p.showPlayback();
        for (int i = 0; i <= N; ++i) {
            if (!bringPage(i)) return;
            p.invalidatePlayback();
            showWait(*this, p);
            checkstatus();
            p.PlayPage(MakePageNumber(i));
            showWait(*this, p);
        }
    } else {
        p.setPlaybackEnabled(true);
        while (p.playbackEnabled() && !p.getkillnow()) {
            for (int i = 0; i <= N; ++i) {
                if (!bringPage(i)) return;
                checkstatus();
                if (PauseTime > 0) effects::WaitSeconds(PauseTime);
                p.PlayPage(MakePageNumber(i));
            }
        }
    }
    p.setkillnow(true);
}

} // namespace velmora
