#include "playback/bitmcan.h"

#include <QPainter>
#include <QPaintEvent>

#include "main/bitmov2.h"
#include "platform/Screen.h"

namespace velmora {

TCan::TCan(TBitMovOptMain* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), main_(mainWindow), canvas_(frame_) {
    setObjectName(QStringLiteral("Can"));
    setWindowTitle(QStringLiteral("Velmora Playback"));
    setAccessibleName(QStringLiteral("Playback screen"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    FormCreate();
}

TCan::~TCan() = default;

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

std::int32_t TCan::titleX(int line) const { return line == 1 ? TitleX1 : line == 2 ? TitleX2 : TitleX3; }
std::int32_t TCan::titleY(int line) const { return line == 1 ? TitleY1 : line == 2 ? TitleY2 : TitleY3; }

void TCan::setTitlePos(int line, std::int32_t x, std::int32_t y) {
    (line == 1 ? TitleX1 : line == 2 ? TitleX2 : TitleX3) = x;
    (line == 1 ? TitleY1 : line == 2 ? TitleY2 : TitleY3) = y;
}

void TCan::clearPath(int line, bool inPath) {
    main_->setsav(true);
    Path& p = inPath ? InPaths[line - 1] : OutPaths[line - 1];
    p.LastIndex = -1;
    // Slot MaxPathIndex (999) is left as it is.
    for (int i = 0; i < main_->MaxPathIndex && i < MaxPathPoints; ++i) p.Points[i] = PathPoint{};
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

} // namespace velmora
