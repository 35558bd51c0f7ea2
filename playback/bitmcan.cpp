#include "playback/bitmcan.h"

#include <cmath>
#include <cstring>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include "platform/Dialogs.h"
#include "platform/FramePaint.h"
#include "platform/FrontWindow.h"
#include "platform/Pump.h"
#include "platform/Screen.h"
#include "platform/ShowScreen.h"
#include "player/movement.h"
#include "render/effects.h"

namespace velmora {

using platform::MsgButtons;
using platform::MsgKind;

TCan::TCan(PageDocument& document, PlaybackHost host)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), document_(document),
      host_(std::move(host)), canvas_(frame_) {
    setObjectName(QStringLiteral("Can"));
    setWindowTitle(QStringLiteral("Velmora Playback"));
    setAccessibleName(QStringLiteral("Playback screen"));
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_.setPresenter([this](const QRect& r) { present(r); });
    effects::setInvalidateHook([this] { invalidatePlayback(); });
    // Windows and messages opened while the show or the align screen is up stand over it.
    platform::setFrontWindow(this);
    FormCreate();
    // An undo or redo may move a line while the align screen shows it.
    connect(&document_, &PageDocument::restored, this, [this] {
        if (alignMode() && isVisible()) placeStripsFromPage();
    });
}

TCan::~TCan() {
    effects::setInvalidateHook({});
}

void TCan::FormCreate() {
    StripFormat = platform::PixelFormat::Bits24;
    resize(platform::Screen::width(), platform::Screen::height());
    frame_ = platform::Bitmap(platform::Screen::width(), platform::Screen::height(),
                              platform::PixelFormat::Bits32);
    buildAlignPanel();
}

void TCan::fitStageToScreen() {
    const int w = platform::Screen::width(), h = platform::Screen::height();
    pixelRatio_ = std::max(1.0, platform::Screen::pixelRatio());
    // The framebuffer has the screen's device pixels, so text is drawn at the size it shows.
    const int dw = int(std::lround(w * pixelRatio_)), dh = int(std::lround(h * pixelRatio_));
    if (frame_.width() != dw || frame_.height() != dh)
        frame_ = platform::Bitmap(dw, dh, platform::PixelFormat::Bits32);
    // A project without a stage of its own is laid out on this screen.
    const EditorState editor = editorState();
    const bool staged = editor.StageWidth > 0 && editor.StageHeight > 0;
    canvas_.setView(platform::StageView::fit(staged ? editor.StageWidth : w,
                                             staged ? editor.StageHeight : h, dw, dh));
    resize(w, h);
}

// ---- The window ---------------------------------------------------------------------------

void TCan::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TCan::FormShow() {
    const int depth = platform::Screen::depth();
    if (depth <= 0) {
        platform::dialogs().message(
            MsgKind::Error,
            QStringLiteral("Unable to set pixel format for your video card, using default."),
            MsgButtons::OK);
        ScreenFormat = platform::PixelFormat::Device;
    } else {
        switch (depth) {
        case 8:
            ScreenFormat = platform::PixelFormat::Bits8;
            break;
        case 16:
            ScreenFormat = platform::PixelFormat::Bits16;
            break;
        case 24:
            ScreenFormat = platform::PixelFormat::Bits24;
            break;
        case 32:
            ScreenFormat = platform::PixelFormat::Bits32;
            break;
        default:
            break;
        }
        StripFormat = ScreenFormat == platform::PixelFormat::Bits32 ? platform::PixelFormat::Bits32
                                                                    : platform::PixelFormat::Bits24;
    }
    ScreenBits = static_cast<std::int8_t>(depth > 0 ? depth : 0);
    if (alignMode()) {
        showAlignPanel();
    } else {
        ToolBar1->hide();
        Panel1->hide();
    }
}

void TCan::showPlayback() {
    // On the show's screen, chosen now: a Wayland compositor puts a full-screen window on the
    // output of the screen it was given, and without a window manager the window keeps the
    // geometry it had before going full screen.
    QScreen* target = platform::showScreen();
    if (target) setScreen(target);
    const QPoint origin = target ? target->geometry().topLeft() : QPoint();
    setGeometry(QRect(origin, QSize(platform::Screen::width(), platform::Screen::height())));
    showFullScreen();
    raise();
    activateWindow();
    setFocus();
    waitUntilExposed();
    // Once mapped, on top again: without a window manager a window raised before it was mapped
    // may still end up below the editor.
    raise();
    activateWindow();
}

void TCan::waitUntilExposed() {
    platform::Clock& c = platform::clock();
    const std::uint64_t deadline = c.nanos() + 2000000000u;
    while (!(windowHandle() && windowHandle()->isExposed()) && c.nanos() < deadline) {
        waitEvents();
        c.sleepFor(1000000);
    }
    waitEvents();
}

std::uint64_t TCan::framePeriod() const {
    const QScreen* s = screen();
    const double hz = s && s->refreshRate() >= 10 ? s->refreshRate() : 60.0;
    return std::uint64_t(1e9 / hz);
}

void TCan::present() {
    const QRect r = dirty_;
    dirty_ = QRect();
    if (!isVisible() || r.isEmpty()) return;
    repaint(r);
    // The frame must reach the display now, not at the next turn of the event loop.
    QGuiApplication::sync();
}

void TCan::waitEvents() {
    platform::paintOnly();
}

void TCan::invalidatePlayback() {
    if (!frame_.isEmpty())
        std::memset(frame_.bits(), 0, std::size_t(frame_.stride()) * frame_.height());
    // The black screen is shown with the next frame, or when messages are next processed.
    if (showClock_)
        dirty_ = rect();
    else
        update();
}

void TCan::present(const QRect& r) {
    // The framebuffer's rectangle, in the window's pixels.
    dirty_ |= platform::windowRectOf(r, pixelRatio_);
    if (!showClock_ && batching_ == 0) present();
}

void TCan::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    platform::paintFrame(p, frame_, event->rect(), pixelRatio_);
}

void TCan::InitImageScreen(bool alignMode) {
    setCursor(alignMode ? Qt::ArrowCursor : Qt::BlankCursor);
    fitStageToScreen();
    invalidatePlayback();
    platform::pump();
    if (alignMode) showPlayback();
}

// ---- Playing a page -----------------------------------------------------------------------

bool TCan::openWave(int, const QString& file) {
    MediaPlayer1.fileName = file;
    if (MediaPlayer1.open()) return true;
    platform::dialogs().message(
        MsgKind::Error, QStringLiteral("Error: Opening Media file: ") + MediaPlayer1.fileName,
        MsgButtons::OK);
    MediaPlayer1.close();
    return false;
}

void TCan::pump() {
    if (showClock_) showClock_->flush();
    platform::pump();
}

void TCan::holdForSpaceBar(bool manual) {
    spcbarpause_ = manual;
    if (spcbarpause_) pauseUNtilSpaceBarReset();
}

void TCan::PlayPage(const QString& PageName) {
    platform::pump();
    if (killnow) return;
    const EditorState editor = editorState();
    Timer1.stop();
    ToolBar1->hide();
    gauge1->hide();
    InitImageScreen(editor.AlignMode);
    if (!isVisible()) showPlayback();

    ShowOptions options;
    options.leaders = PageName == QLatin1String("000");
    options.useColorBars = editor.UseColorBars;
    options.useCountDown = editor.UseCountDown;
    options.holdTime = editor.Holdtime;
    options.alignMode = editor.AlignMode;
    options.easySlowdown = editor.easySlowdown;
    options.rasterEffect = editor.rasterEffect;
    options.screenBits = ScreenBits;
    options.stripFormat = StripFormat;

    // Pictures and waves named without a folder lie in the project's folder.
    PageImage page = document_.page();
    for (auto& l : page.lines) {
        l.attrs.BitmapFile = projectFile(editor.dpath, l.attrs.BitmapFile);
        l.attrs.WaveFile = projectFile(editor.dpath, l.attrs.WaveFile);
    }
    PlayOutcome outcome;
    if (editor.smoothMotion &&
        RasterOperation(options.rasterEffect) == platform::CopyMode::SrcCopy) {
        outcome = playSmooth(page, options);
    } else {
        ShowClock clock(platform::clock(), *this, framePeriod());
        const ClockScope scope(clock);
        showClock_ = &clock;
        struct Detach {
            ShowClock*& c;
            ~Detach() { c = nullptr; }
        } detach{showClock_};
        outcome = playPage(page, options, canvas_, *this);
        clock.flush();
    }
    for (int n = 1; n <= 3; ++n) {
        if (outcome.bitmapFailed[n - 1]) document_.line(n).BitmapFile.clear();
        if (outcome.waveFailed[n - 1]) document_.line(n).WaveFile.clear();
        document_.setTitlePos(n, outcome.restX[n - 1], outcome.restY[n - 1]);
    }
}

PlayOutcome TCan::playSmooth(const PageImage& page, const ShowOptions& options) {
    platform::Clock& c = platform::clock();
    const std::uint64_t period = framePeriod();
    const std::uint64_t start = c.nanos();
    SmoothPage played(page, options, canvas_.view(), *this, std::nullopt);
    SmoothPicture picture(canvas_, frame_);
    // What is drawn is collected and presented at its refresh.
    ++batching_;
    smooth_ = &played;
    takenOut_ = false;
    smoothShown_ = 0;
    std::uint64_t refresh = start + period;
    for (;;) {
        const auto t = std::int64_t(refresh - start);
        // The frame of the refresh's time, drawn again when a key or a click changed the
        // page's course while it waited for its refresh.
        auto draw = [&] {
            played.advanceTo(t);
            // A key or a click that ends the show cuts to black; Escape's lines go on out.
            if (killnow && !takenOut_) played.blackNow(t);
            picture.draw(played, t);
        };
        draw();
        // Keys and clicks are taken while waiting: a key event left waiting by a wait that
        // paints only would reach the window only with the next event from the display.
        for (std::uint64_t now = c.nanos(); now < refresh; now = c.nanos()) {
            const int commands = smoothCommands_;
            platform::pump();
            if (commands != smoothCommands_) draw();
            c.sleepFor(std::min<std::uint64_t>(refresh - now, 2000000));
        }
        present();
        smoothShown_ = t;
        if (framePresented_) framePresented_(t);
        if (played.finished()) break;
        // The next refresh still to come.
        refresh += period;
        const std::uint64_t now = c.nanos();
        if (refresh <= now) refresh += ((now - refresh) / period + 1) * period;
    }
    smooth_ = nullptr;
    --batching_;
    return played.outcome();
}

void TCan::pauseUNtilSpaceBarReset() {
    while (spcbarpause_) {
        platform::pump();
        platform::idle();
    }
}

void TCan::killcan() {
    platform::pump();
    setEnabled(false);
    // The editor is activated while this window still has the keyboard: a Wayland compositor
    // hands the focus over only on behalf of the window that has it, and the editor may be on
    // another screen, where hiding this window would not take the focus.
    if (host_.returnToEditor) host_.returnToEditor();
    hide();
}

// ---- Keys, clicks and pictures ------------------------------------------------------------

void TCan::keyPressEvent(QKeyEvent* event) {
    if (smooth_) ++smoothCommands_;
    if (smooth_ && event->key() == Qt::Key_Space && smooth_->waitingForSpaceBar()) {
        smooth_->releaseSpaceBar(smoothShown_);
        return;
    }
    if (smooth_ && event->key() == Qt::Key_Escape && !killnow) {
        // The lines on the screen leave from where the frame on the screen shows them; the
        // show ends once they are gone.
        smooth_->takeOut(smoothShown_);
        takenOut_ = true;
        spcbarpause_ = false;
        killnow = true;
        return;
    }
    if (event->key() == Qt::Key_Space && document_.settings().mpause) {
        spcbarpause_ = !spcbarpause_;
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        spcbarpause_ = false;
        killnow = true;
    }
    if (!editorState().AlignMode) {
        spcbarpause_ = false;
        killnow = true;
    }
}

void TCan::mousePressEvent(QMouseEvent* event) {
    if (alignMode()) {
        const QPoint at = event->position().toPoint();
        FormMouseDown(event->buttons(), event->modifiers(), at.x(), at.y());
        return;
    }
    Timer1.stop();
    if (smooth_) ++smoothCommands_;
    const bool alone = event->modifiers() == Qt::NoModifier;
    if (alone && event->buttons() == Qt::LeftButton) {
        if (killnow) killcan();
        // Like a key, a click also ends a wait for the space bar.
        spcbarpause_ = false;
        killnow = true;
    } else if (alone && event->buttons() == Qt::RightButton) {
        saveabitmap();
    }
}

void TCan::mouseMoveEvent(QMouseEvent* event) {
    // While "Hide Panel" is held, the pointer's moves and release come here: they are the
    // button's, not a stroke's.
    if (!alignMode() || panelHeld_) return;
    const QPoint at = event->position().toPoint();
    FormMouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

void TCan::mouseReleaseEvent(QMouseEvent* event) {
    if (!alignMode()) return;
    // The panel hidden by its own button: the release comes here instead, and is its alone.
    if (panelHeld_) {
        ToolButton4MouseUp();
        return;
    }
    const QPoint at = event->position().toPoint();
    FormMouseUp(at.x(), at.y());
}

void TCan::saveabitmap() {
    platform::Bitmap picture(frame_.width(), frame_.height(), platform::PixelFormat::Bits24);
    platform::Canvas c(picture);
    c.draw(0, 0, frame_);
    saveBitmapAs(picture);
}

void TCan::saveBitmapAs(const platform::Bitmap& picture) {
    platform::FileDialogOptions options;
    options.title = QStringLiteral("Save As A Bitmap File");
    options.filter = QStringLiteral("Bitmaps Only (*.bmp)");
    options.defaultSuffix = QStringLiteral("bmp");
    const std::optional<QString> file = platform::dialogs().saveFile(options);
    if (!file) return;
    if (!picture.saveToFile(*file))
        platform::dialogs().message(
            MsgKind::Error, QStringLiteral("Can not save the picture to ") + *file, MsgButtons::OK);
}

} // namespace velmora
