#include "dialogs/livewindow.h"

#include "dialogs/keyscreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "live/rundown.h"
#include "live/desk.h"
#include "main/bitmov2.h"
#include "model/show_project.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/ShowScreen.h"
#include "platform/WavePlayer.h"
#include "playback/live_screen.h"

namespace velmora {

using live::LiveCommand;

namespace {

QString& frameLogFile() {
    static QString file;
    return file;
}

// The waves of the pages on air. A wave that cannot be played is left out without a message:
// nothing may stop the show to ask.
class LiveWaves : public PlayControl {
public:
    bool stopped() const override { return false; }
    void pump() override {}
    void holdForSpaceBar(bool) override {}
    bool openWave(int, const QString& file) override {
        player_.fileName = file;
        return player_.open();
    }
    void playWave() override { player_.play(); }
    void closeWave() override { player_.close(); }

private:
    platform::WavePlayer player_;
};

// The Program: the show screen's frames as presented, scaled down.
class ProgramView : public QWidget {
public:
    explicit ProgramView(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Program"));
        setAccessibleName(QStringLiteral("Program"));
        setMinimumSize(320, 180);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    TLiveScreen* screen = nullptr;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (!screen || screen->shown().isEmpty()) return;
        const platform::Bitmap& b = screen->shown();
        const QImage img(b.bits(), b.width(), b.height(), b.stride(), QImage::Format_RGB32);
        const QSize fit = img.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - fit.width()) / 2, (height() - fit.height()) / 2), fit);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, img);
    }
};

QImage imageOf(const platform::Bitmap& b) {
    return QImage(b.bits(), b.width(), b.height(), b.stride(), QImage::Format_RGB32).copy();
}

} // namespace

live::LiveShow* TLiveWindow::liveShow() const {
    return desk_ ? &desk_->show() : nullptr;
}

void TLiveWindow::setFrameLogFile(const QString& file) {
    frameLogFile() = file;
}

TLiveWindow::TLiveWindow(TBitMovOptMain& main) : QWidget(nullptr, Qt::Window), main_(main) {
    setObjectName(QStringLiteral("Live"));
    setWindowTitle(QStringLiteral("Velmora Live"));
    build();
}

TLiveWindow::~TLiveWindow() {
    closeShow();
}

void TLiveWindow::build() {
    auto* top = new QVBoxLayout(this);
    auto* panes = new QHBoxLayout;
    top->addLayout(panes, 1);

    Rundown = new QTableWidget(0, 4, this);
    Rundown->setObjectName(QStringLiteral("Rundown"));
    Rundown->setAccessibleName(QStringLiteral("Rundown"));
    Rundown->setHorizontalHeaderLabels(
        {QStringLiteral("Page"), QStringLiteral("Line 1"), QStringLiteral("Line 2"),
         QStringLiteral("Line 3")});
    Rundown->setSelectionBehavior(QAbstractItemView::SelectRows);
    Rundown->setSelectionMode(QAbstractItemView::SingleSelection);
    Rundown->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Rundown->verticalHeader()->hide();
    Rundown->setIconSize(QSize(96, 54));
    Rundown->verticalHeader()->setDefaultSectionSize(60);
    Rundown->horizontalHeader()->setStretchLastSection(true);
    Rundown->installEventFilter(this);
    connect(Rundown, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!filling_ && onAir_ && row >= 0 && row != onAir_->cued()) cue(row);
    });
    panes->addWidget(Rundown, 3);

    auto* views = new QVBoxLayout;
    auto* previewCaption = new QLabel(QStringLiteral("Preview"), this);
    Preview = new QLabel(this);
    Preview->setObjectName(QStringLiteral("Preview"));
    Preview->setAccessibleName(QStringLiteral("Preview"));
    Preview->setFixedSize(320, 180);
    Preview->setAlignment(Qt::AlignCenter);
    Preview->setStyleSheet(QStringLiteral("background: black"));
    auto* programCaption = new QLabel(QStringLiteral("Program"), this);
    auto* program = new ProgramView(this);
    program->setFixedSize(320, 180);
    Program = program;
    views->addWidget(previewCaption);
    views->addWidget(Preview);
    views->addWidget(programCaption);
    views->addWidget(Program);
    views->addStretch(1);
    panes->addLayout(views);

    auto* buttons = new QHBoxLayout;
    TakeButton = new QPushButton(QStringLiteral("Take"), this);
    ClearButton = new QPushButton(QStringLiteral("Clear"), this);
    CutButton = new QPushButton(QStringLiteral("Cut"), this);
    NextButton = new QPushButton(QStringLiteral("Next"), this);
    for (QPushButton* b : {TakeButton, ClearButton, CutButton, NextButton}) {
        // The keys are Live's: a button never keeps the focus from them.
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
    }
    connect(TakeButton, &QPushButton::clicked, this, [this] { takeClick(); });
    connect(ClearButton, &QPushButton::clicked, this, [this] { clearClick(); });
    connect(CutButton, &QPushButton::clicked, this, [this] { cutClick(); });
    connect(NextButton, &QPushButton::clicked, this, [this] { nextClick(); });
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setFocusPolicy(Qt::NoFocus);
    connect(HelpButton, &QPushButton::clicked, this, [] { platform::Help::showTopic(QStringLiteral("Live")); });
    buttons->addWidget(HelpButton);
    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("LiveStatus"));
    buttons->addWidget(Status, 1);
    top->addLayout(buttons);
    MotionNote = new QLabel(this);
    MotionNote->setWordWrap(true);
    MotionNote->hide();
    top->addWidget(MotionNote);
    resize(1000, 560);
}

bool TLiveWindow::openProject(const QString& projectFile) {
    QString why;
    std::optional<ShowProject> project = loadShowProject(projectFile, &why);
    if (!project) {
        platform::dialogs().message(platform::MsgKind::Error,
                                    QStringLiteral("Live cannot open the project: %1.").arg(why),
                                    platform::MsgButtons::OK);
        return false;
    }
    closeShow();
    disconnect(&main_.document(), nullptr, this, nullptr);
    dpath_ = project->dpath;
    const EditorState editor = main_.editorState();
    stageWidth_ = editor.StageWidth;
    stageHeight_ = editor.StageHeight;
    options_ = {};
    options_.easySlowdown = editor.easySlowdown;
    options_.stripFormat = platform::PixelFormat::Bits32;
    // The page being edited, as it stands.
    std::vector<PageImage> pages = project->pages;
    const int row = main_.getcurrentpaGE();
    if (row >= 0 && row < int(pages.size())) {
        PageImage page = main_.document().page();
        prepareForShow(page, dpath_);
        pages[std::size_t(row)] = page;
        editorSeen_ = main_.document().page();
        seenRow_ = row;
    }

    const bool stepped = !editor.smoothMotion || editor.rasterEffect != 0;
    MotionNote->setText(
        QStringLiteral("This project plays Stepped; Live plays its pages Smooth."));
    MotionNote->setVisible(stepped);

    screen_ = std::make_unique<TLiveScreen>();
    screen_->keys = [this](QKeyEvent* e) { return liveKey(e); };
    screen_->open();
    // The key, on a screen of its own when one is chosen.
    if (QScreen* k = velmora::keyScreen(screen_->screen())) {
        keyScreen_ = std::make_unique<TLiveScreen>();
        keyScreen_->setWindowTitle(QStringLiteral("Velmora Live Key"));
        keyScreen_->keys = [this](QKeyEvent* e) { return liveKey(e); };
        keyScreen_->open(k, QSize(screen_->frame().width(), screen_->frame().height()));
    }
    const platform::Bitmap& frame = screen_->frame();
    const platform::StageView view = platform::StageView::fit(
        stageWidth_ > 0 ? stageWidth_ : frame.width(), stageHeight_ > 0 ? stageHeight_ : frame.height(),
        frame.width(), frame.height());
    if (stageWidth_ <= 0 || stageHeight_ <= 0) {
        stageWidth_ = frame.width();
        stageHeight_ = frame.height();
    }
    control_ = std::make_unique<LiveWaves>();
    desk_ = std::make_unique<live::LiveDesk>(
        project->pageNames, std::move(pages), options_, view, *control_, screen_->frame(),
        screen_->framePeriod(), platform::clock(), [this](const QRect& r) {
            screen_->present(r);
            if (keyScreen_) keyScreen_->present(r);
        });
    if (keyScreen_) desk_->show().setKey(&keyScreen_->frame());
    onAir_ = &desk_->onAir();
    connect(desk_.get(), &live::LiveDesk::changed, this, [this] { showCue(); });
    if (!frameLogFile().isEmpty() && !desk_->show().log().writeTo(frameLogFile()))
        platform::dialogs().message(platform::MsgKind::Warning,
                                    QStringLiteral("The frame log %1 cannot be written.")
                                        .arg(frameLogFile()),
                                    platform::MsgButtons::OK);
    static_cast<ProgramView*>(Program)->screen = screen_.get();
    screen_->framePresented = [this] {
        Program->update();
        followEditor();
        if (desk_) desk_->framePresented();
    };
    // Edits reach the stage as they are made, not a frame later.
    connect(&main_.document(), &PageDocument::changedChanged, this, [this] { followEditor(); });
    connect(&main_.document(), &PageDocument::restored, this, [this] { followEditor(); });
    // A page loaded into the editor is no edit of the page that was there.
    connect(&main_.document(), &PageDocument::loaded, this, [this] {
        editorSeen_ = main_.document().page();
        seenRow_ = editorRow();
    });

    fillRundown();
    showCue();
    screen_->play(&desk_->show());
    // Beside the editor; on the show's screen the two stay over the show.
    placeBesideEditor();
    QWidget::show();
    if (screen_->screen() == main_.screen()) main_.raise();
    raise();
    activateWindow();
    Rundown->setFocus();
    emit deskChanged();
    return true;
}

void TLiveWindow::showEdited(int row) {
    if (!onAir_ || row < 0 || row >= onAir_->rows()) return;
    showRow(row);
    if (onAir_->cued() == row) showCue();
}

void TLiveWindow::placeBesideEditor() {
    const QScreen* s = main_.screen();
    if (!s) return;
    const QRect room = s->availableGeometry();
    const QRect editor = main_.frameGeometry();
    const QSize want(std::min(960, room.width()), std::min(500, room.height()));
    // Right of the editor, else under it (as tall as the room there allows), else where it was.
    const QRect right(QPoint(editor.right() + 8, editor.top()), want);
    QRect under(QPoint(editor.left(), editor.bottom() + 8), want);
    under.setBottom(std::min(under.bottom(), room.bottom()));
    if (room.contains(right)) setGeometry(right);
    else if (room.contains(under) && under.height() >= 360) setGeometry(under);
    else resize(want);
}

void TLiveWindow::fillRundown() {
    filling_ = true;
    Rundown->setRowCount(onAir_->rows());
    for (int r = 0; r < onAir_->rows(); ++r)
        showRow(r);
    filling_ = false;
}

void TLiveWindow::showRow(int r) {
    const live::RundownRow row = onAir_->row(r);
    auto* number = new QTableWidgetItem(row.number);
    const platform::Bitmap small =
        live::pictureAtRest(onAir_->page(r), options_, stageWidth_, stageHeight_, 96, 54);
    number->setIcon(QIcon(QPixmap::fromImage(imageOf(small))));
    Rundown->setItem(r, 0, number);
    for (int n = 0; n < 3; ++n)
        Rundown->setItem(r, n + 1, new QTableWidgetItem(row.texts[std::size_t(n)]));
}

void TLiveWindow::showCue() {
    const int c = onAir_ ? onAir_->cued() : -1;
    if (c >= 0) {
        const platform::Bitmap picture = live::pictureAtRest(
            onAir_->page(c), options_, stageWidth_, stageHeight_, Preview->width(), Preview->height());
        Preview->setPixmap(QPixmap::fromImage(imageOf(picture)));
        filling_ = true;
        Rundown->setCurrentCell(c, 0);
        filling_ = false;
    } else {
        Preview->clear();
    }
    showStatus();
}

void TLiveWindow::showStatus() {
    if (!onAir_) return;
    const auto name = [this](int r) {
        return r >= 0 ? onAir_->row(r).number : QStringLiteral("none");
    };
    QString text = QStringLiteral("On air: %1   Cued: %2").arg(name(onAir_->onAir()), name(onAir_->cued()));
    if (!typed_.isEmpty()) text += QStringLiteral("   Page: %1").arg(typed_);
    Status->setText(text);
}

// The commands go to the desk, whose signal brings the window up to date.
void TLiveWindow::cue(int row) {
    if (desk_) desk_->cue(row);
}

void TLiveWindow::takeClick() {
    if (desk_) desk_->take();
}

void TLiveWindow::clearClick() {
    if (desk_) desk_->clear();
}

void TLiveWindow::cutClick() {
    if (desk_) desk_->cut();
}

void TLiveWindow::nextClick() {
    if (desk_) desk_->next();
}

bool TLiveWindow::liveKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        platform::Help::showTopic(QStringLiteral("Live"));
        return true;
    }
    switch (live::liveCommandFor(event->key(), event->modifiers(), !typed_.isEmpty())) {
    case LiveCommand::Take:
        takeClick();
        return true;
    case LiveCommand::Clear:
        clearClick();
        return true;
    case LiveCommand::Cut:
        cutClick();
        return true;
    case LiveCommand::Next:
        nextClick();
        return true;
    case LiveCommand::CueUp:
        if (onAir_ && onAir_->cued() > 0) cue(onAir_->cued() - 1);
        return true;
    case LiveCommand::CueDown:
        if (onAir_ && onAir_->cued() + 1 < onAir_->rows()) cue(onAir_->cued() + 1);
        return true;
    case LiveCommand::Digit:
        if (typed_.size() < 3) typed_ += QChar(u'0' + (event->key() - Qt::Key_0));
        showStatus();
        return true;
    case LiveCommand::Erase:
        typed_.chop(1);
        showStatus();
        return true;
    case LiveCommand::CueTyped: {
        const int row = onAir_ ? onAir_->rowOfNumber(typed_) : -1;
        typed_.clear();
        if (row >= 0) cue(row);
        else {
            showStatus();
            QApplication::beep();
        }
        return true;
    }
    case LiveCommand::None:
        break;
    }
    return false;
}

void TLiveWindow::keyPressEvent(QKeyEvent* event) {
    if (liveKey(event)) return;
    QWidget::keyPressEvent(event);
}

bool TLiveWindow::eventFilter(QObject* watched, QEvent* event) {
    // The rundown's own keys (Return, Space, Up, Down, typing to find a row) are Live's.
    if (watched == Rundown && event->type() == QEvent::KeyPress &&
        liveKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

int TLiveWindow::editorRow() const {
    const int row = main_.getcurrentpaGE();
    return onAir_ && row >= 0 && row < onAir_->rows() ? row : -1;
}

void TLiveWindow::followEditor() {
    const int row = editorRow();
    if (!desk_) return;
    const PageImage& page = main_.document().page();
    // Another page came into the editor: nothing was edited.
    if (row != seenRow_ || !editorSeen_) {
        seenRow_ = row;
        editorSeen_ = page;
        return;
    }
    if (row < 0 || *editorSeen_ == page) return;
    editorSeen_ = page;
    PageImage prepared = page;
    prepareForShow(prepared, dpath_);
    desk_->edit(row, prepared);
    showRow(row);
    if (onAir_->cued() == row) showCue();
}

void TLiveWindow::closeShow() {
    if (screen_) screen_->stop();
    if (keyScreen_) keyScreen_->stop();
    keyScreen_.reset();
    const bool had = desk_ != nullptr;
    desk_.reset();
    if (had) emit deskChanged();
    onAir_ = nullptr;
    if (screen_ && Program) static_cast<ProgramView*>(Program)->screen = nullptr;
    screen_.reset();
    control_.reset();
    editorSeen_.reset();
    seenRow_ = -1;
    if (Rundown) Rundown->setRowCount(0);
}

void TLiveWindow::closeEvent(QCloseEvent* event) {
    closeShow();
    disconnect(&main_.document(), nullptr, this, nullptr);
    QWidget::closeEvent(event);
}

} // namespace velmora
