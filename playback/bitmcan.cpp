#include "playback/bitmcan.h"

#include <cstring>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include "main/bitmov2.h"
#include "platform/Dialogs.h"
#include "platform/Pump.h"
#include "platform/Screen.h"
#include "render/effects.h"

namespace velmora {

using platform::MsgButtons;
using platform::MsgKind;

TCan::TCan(TBitMovOptMain* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), main_(mainWindow), canvas_(frame_) {
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
    FormCreate();
}

TCan::~TCan() {
    effects::setInvalidateHook({});
    if (main_ && main_->playback() == this) main_->setPlayback(nullptr);
}

void TCan::FormCreate() {
    StripFormat = platform::PixelFormat::Bits24;
    resize(platform::Screen::width(), platform::Screen::height());
    frame_ = platform::Bitmap(platform::Screen::width(), platform::Screen::height(),
                              platform::PixelFormat::Bits32);

    // The page's start defaults, written over the main window's own.
    for (int n = 1; n <= 3; ++n) {
        TitleLine& l = main_->line(n);
        l.FontSize = StartFontSizes[n - 1];
        l.FontName = QStringLiteral("Arial");
        l.FontColor = 0xFFFFFF;
        l.InDirection = StartInDirections[n - 1];
        l.OutDirection = StartOutDirections[n - 1];
    }
    main_->setPlayback(this);
    // The direction buttons show the start defaults from the first moment.
    main_->ShowPage();
    if (!main_->SettingsRead) {
        main_->SettingsReadFile();
        main_->SettingsRead = true;
    }
}

// ---- Positions and paths ------------------------------------------------------------------

std::int32_t TCan::titleX(int line) const {
    return line == 1 ? TitleX1 : line == 2 ? TitleX2 : TitleX3;
}
std::int32_t TCan::titleY(int line) const {
    return line == 1 ? TitleY1 : line == 2 ? TitleY2 : TitleY3;
}

void TCan::setTitlePos(int line, std::int32_t x, std::int32_t y) {
    (line == 1 ? TitleX1 : line == 2 ? TitleX2 : TitleX3) = x;
    (line == 1 ? TitleY1 : line == 2 ? TitleY2 : TitleY3) = y;
}

void TCan::clearPath(int line, bool inPath) {
    main_->setsav(true);
    Path& p = inPath ? InPaths[line - 1] : OutPaths[line - 1];
    p.LastIndex = -1;
    // Slot MaxPathIndex (999) is left as it is.
    for (int i = 0; i < main_->MaxPathIndex && i < MaxPathPoints; ++i)
        p.Points[i] = PathPoint{};
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
}

void TCan::showPlayback() {
    setGeometry(0, 0, platform::Screen::width(), platform::Screen::height());
    show();
    raise();
    activateWindow();
    setFocus();
}

void TCan::invalidatePlayback() {
    if (!frame_.isEmpty())
        std::memset(frame_.bits(), 0, std::size_t(frame_.stride()) * frame_.height());
    update();
}

void TCan::present(const QRect& r) {
    if (isVisible()) repaint(r);
}

void TCan::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (frame_.isEmpty()) {
        p.fillRect(event->rect(), Qt::black);
        return;
    }
    const QImage img = frame_.wrap();
    p.drawImage(event->rect(), img, event->rect());
}

void TCan::InitImageScreen() {
    setCursor(main_->AlignMode ? Qt::ArrowCursor : Qt::BlankCursor);
    const int w = platform::Screen::width(), h = platform::Screen::height();
    if (frame_.width() != w || frame_.height() != h)
        frame_ = platform::Bitmap(w, h, platform::PixelFormat::Bits32);
    invalidatePlayback();
    resize(w, h);
    platform::pump();
    if (main_->AlignMode) showPlayback();
}

// ---- Rendering and movement ---------------------------------------------------------------

void TCan::setupImage(int n) {
    Tbmp*& s = strip(n);
    delete s;
    s = new Tbmp(this, StripFormat);
    // Pictures named without a folder lie in the project's folder.
    TitleLine line = main_->line(n);
    line.BitmapFile = main_->projectFile(line.BitmapFile);
    StripInput in;
    in.text = main_->lineText(n).left(255);
    in.fontStyle = main_->lineFontStyle(n);
    in.line = &line;
    in.alignMode = main_->AlignMode;
    in.stripFormat = StripFormat;
    in.restX = titleX(n);
    in.restY = titleY(n);
    switch (renderTitleStrip(*s, in)) {
    case StripResult::BitmapFailed:
        main_->line(n).BitmapFile.clear();
        stripFailed_[n - 1] = true;
        break;
    case StripResult::TooLarge: // reported; the line keeps its picture name and its place
        stripFailed_[n - 1] = true;
        break;
    default:
        break;
    }
}

void TCan::SetupImage1() {
    setupImage(1);
}
void TCan::setupImage2() {
    setupImage(2);
}
void TCan::setupImage3() {
    setupImage(3);
}

MoveContext TCan::moveContext() {
    MoveContext c;
    c.canvas = &canvas_;
    c.screenWidth = platform::Screen::width();
    c.screenHeight = platform::Screen::height();
    c.fadedelay = main_->fadedelay;
    c.easySlowdown = main_->easySlowdown();
    c.rasterEffect = RasterEffect;
    c.screenBits = ScreenBits;
    c.stripBrushColor = platform::clBlack;
    c.setStripPos = [this](int titleNum, int x, int y) {
        if (Tbmp* s = strip(titleNum)) s->setPos(x, y);
    };
    return c;
}

void TCan::DrawTheBitMapInDir(std::int32_t Dir, int Width, int Height, int X, int Y,
                              platform::Bitmap& Bitmap, std::int16_t TitleNum) {
    setCursor(Qt::BlankCursor);
    mover_.DrawTheBitMapInDir(moveContext(), Dir, Width, Height, X, Y, Bitmap, TitleNum);
}

void TCan::DrawTheBitMapOutDir(std::int32_t Dir, int Width, int Height, int X, int Y,
                               platform::Bitmap& Bitmap, std::int16_t TitleNum) {
    setCursor(Qt::BlankCursor);
    mover_.DrawTheBitMapOutDir(moveContext(), Dir, Width, Height, X, Y, Bitmap, TitleNum);
}

// ---- Playing a page -----------------------------------------------------------------------

bool TCan::openWave(int n) {
    if (MediaPlayer1.open()) return true;
    platform::dialogs().message(
        MsgKind::Error, QStringLiteral("Error: Opening Media file: ") + MediaPlayer1.fileName,
        MsgButtons::OK);
    MediaPlayer1.close();
    main_->line(n).WaveFile.clear();
    return false;
}

void TCan::PlayPage(const QString& PageName) {
    platform::pump();
    if (killnow) return;
    InitImageScreen();
    if (!isVisible()) showPlayback();
    if (PageName == QLatin1String("000")) {
        if (main_->UseColorBars && main_->Holdtime > 0)
            effects::ShowColorBars(canvas_, main_->Holdtime);
        if (main_->UseCountDown) effects::ShowCountDown(canvas_);
    }
    spcbarpause_ = main_->mpause;
    if (spcbarpause_) pauseUNtilSpaceBarReset();

    stripFailed_ = {};
    for (int n = 1; n <= 3; ++n) {
        if (!main_->line(n).InUse) continue;
        // Line 2's wave starts once its strip is rendered, the others' before.
        const bool startBeforeRendering = n != 2;
        MediaPlayer1.fileName = main_->projectFile(main_->line(n).WaveFile);
        if (!MediaPlayer1.fileName.isEmpty() && !openWave(n)) {
            for (int k = 1; k < n; ++k)
                KillBitmaps(k);
            return;
        }
        if (startBeforeRendering && !MediaPlayer1.fileName.isEmpty()) MediaPlayer1.play();
        setupImage(n);
        if (killnow) {
            for (int k = 1; k <= n; ++k)
                KillBitmaps(k);
            MediaPlayer1.close();
            return;
        }
        if (!startBeforeRendering && !MediaPlayer1.fileName.isEmpty()) MediaPlayer1.play();
        Tbmp* s = strip(n);
        DrawTheBitMapInDir(main_->line(n).InDirection, s->picture.width(), s->picture.height(),
                           titleX(n), titleY(n), s->picture, static_cast<std::int16_t>(n));
        // A line whose bitmap could not be read keeps its resting position.
        if (!stripFailed_[n - 1]) setTitlePos(n, s->Left, s->Top);
        MediaPlayer1.close();
    }

    spcbarpause_ = main_->mpause;
    if (!spcbarpause_) {
        if (main_->PauseTime > 0) effects::WaitSeconds(main_->PauseTime);
    } else {
        pauseUNtilSpaceBarReset();
    }

    // Once the hold is over, every line moves out.
    for (int n = 1; n <= 3; ++n) {
        Tbmp* s = strip(n);
        if (!main_->line(n).InUse || !s) continue;
        DrawTheBitMapOutDir(main_->line(n).OutDirection, s->picture.width(), s->picture.height(),
                            titleX(n), titleY(n), s->picture, static_cast<std::int16_t>(n));
    }
    for (int n = 1; n <= 3; ++n)
        KillBitmaps(n);
}

void TCan::KillBitmaps(int TitleNum) {
    Tbmp*& s = strip(TitleNum);
    if (s) {
        s->hide();
        delete s;
        s = nullptr;
    }
    platform::pump();
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
    hide();
    main_->show();
    main_->raise();
    main_->activateWindow();
}

// ---- Keys, clicks and pictures ------------------------------------------------------------

void TCan::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && main_->mpause) {
        spcbarpause_ = !spcbarpause_;
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        spcbarpause_ = false;
        killnow = true;
    }
    if (!main_->AlignMode) {
        spcbarpause_ = false;
        killnow = true;
    }
}

void TCan::mousePressEvent(QMouseEvent* event) {
    if (main_->AlignMode) return;
    const bool alone = event->modifiers() == Qt::NoModifier;
    if (alone && event->buttons() == Qt::LeftButton) {
        if (killnow) killcan();
        killnow = true;
    } else if (alone && event->buttons() == Qt::RightButton) {
        saveabitmap();
    }
}

void TCan::saveabitmap() {
    platform::Bitmap picture(platform::Screen::width(), platform::Screen::height(),
                             platform::PixelFormat::Bits24);
    platform::Canvas c(picture);
    c.draw(0, 0, frame_);
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
