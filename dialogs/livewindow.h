#pragma once
#include <memory>
#include <optional>
#include <QString>
#include <QWidget>

#include "model/page_record.h"
#include "player/page_player.h"

class QKeyEvent;
class QLabel;
class QPushButton;
class QTableWidget;

namespace velmora {

class TBitMovOptMain;
class TLiveScreen;
namespace live {
class LiveDesk;
class LiveShow;
class OnAir;
} // namespace live

// The Live window, "Velmora Live": the project's pages as a rundown, the cued page's Preview,
// the Program (what the show screen shows), and Take, Clear, Cut and Next. It opens the show on
// the show screen, black until the first Take. Every command goes to the on-air controller; the
// page being edited joins the rundown as it stands, and its edits reach the stage as they are
// made.
class TLiveWindow : public QWidget {
    Q_OBJECT

public:
    explicit TLiveWindow(TBitMovOptMain& main);
    ~TLiveWindow() override;

    // Opens the project's rundown and the show; false, with the user told why, when the project
    // cannot be read.
    bool openProject(const QString& projectFile);
    // The show's frame log goes to this file (a debug option; empty: none).
    static void setFrameLogFile(const QString& file);

    // The buttons' and keys' commands.
    void takeClick();
    void clearClick();
    void cutClick();
    void nextClick();
    void cue(int row);
    // Row r's page was edited elsewhere (the remote): the rundown shows it.
    void showEdited(int row);
    // A key of the Live window or the show screen; false: not one of Live's.
    bool liveKey(QKeyEvent* event);

    QTableWidget* Rundown = nullptr;
    QLabel* Preview = nullptr;
    QWidget* Program = nullptr;
    QLabel* Status = nullptr;
    QLabel* MotionNote = nullptr;
    QPushButton* TakeButton = nullptr;
    QPushButton* ClearButton = nullptr;
    QPushButton* CutButton = nullptr;
    QPushButton* NextButton = nullptr;
    QPushButton* HelpButton = nullptr;

    live::OnAir* onAir() const { return onAir_; }
    live::LiveDesk* liveDesk() const { return desk_.get(); }
    live::LiveShow* liveShow() const;
    TLiveScreen* screen() const { return screen_.get(); }
    TLiveScreen* keyScreen() const { return keyScreen_.get(); }
    // The number typed so far.
    const QString& typed() const { return typed_; }

signals:
    // The live desk began or ended (liveDesk() tells which).
    void deskChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void fillRundown();
    void showRow(int row);
    void showCue();
    void showStatus();
    // The editor's page, if it is one of the rundown's and differs from it, goes to the stage.
    void followEditor();
    int editorRow() const;
    void closeShow();
    void placeBesideEditor();

    TBitMovOptMain& main_;
    QString dpath_;
    int stageWidth_ = 0, stageHeight_ = 0;
    ShowOptions options_;
    std::unique_ptr<PlayControl> control_;
    std::unique_ptr<TLiveScreen> screen_;
    std::unique_ptr<TLiveScreen> keyScreen_; // the key, when a screen is chosen for it
    std::unique_ptr<live::LiveDesk> desk_;
    live::OnAir* onAir_ = nullptr; // the desk's
    std::optional<PageImage> editorSeen_; // the editor's page as last taken in
    int seenRow_ = -1;                    // and its row
    QString typed_;
    bool filling_ = false;
};

} // namespace velmora
