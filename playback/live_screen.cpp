#include "playback/live_screen.h"

#include <cmath>
#include <cstring>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>

#include "live/live_show.h"
#include "platform/Clock.h"
#include "platform/FramePaint.h"
#include "platform/Pump.h"
#include "platform/Screen.h"
#include "platform/ShowScreen.h"

namespace velmora {

TLiveScreen::TLiveScreen() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("LiveScreen"));
    setWindowTitle(QStringLiteral("Velmora Live Show"));
    setAccessibleName(QStringLiteral("Live show screen"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    onX11_ = QGuiApplication::platformName() == QLatin1String("xcb");
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { wake(); });
}

TLiveScreen::~TLiveScreen() = default;

std::uint64_t TLiveScreen::framePeriod() const {
    const QScreen* s = screen();
    const double hz = s && s->refreshRate() >= 10 ? s->refreshRate() : 60.0;
    return std::uint64_t(1e9 / hz);
}

void TLiveScreen::open(QScreen* screen, QSize frame) {
    QScreen* target = screen ? screen : platform::showScreen();
    if (target) setScreen(target);
    const QRect geometry = target ? target->geometry()
                                  : QRect(0, 0, platform::Screen::width(), platform::Screen::height());
    pixelRatio_ = target ? std::max(1.0, target->devicePixelRatio()) : 1.0;
    const int dw = frame.isEmpty() ? int(std::lround(geometry.width() * pixelRatio_)) : frame.width();
    const int dh = frame.isEmpty() ? int(std::lround(geometry.height() * pixelRatio_)) : frame.height();
    if (frame_.width() != dw || frame_.height() != dh) {
        frame_ = platform::Bitmap(dw, dh, platform::PixelFormat::Bits32);
        shown_ = platform::Bitmap(dw, dh, platform::PixelFormat::Bits32);
    }
    std::memset(frame_.bits(), 0, std::size_t(frame_.stride()) * frame_.height());
    std::memset(shown_.bits(), 0, std::size_t(shown_.stride()) * shown_.height());
    setGeometry(geometry);
    showFullScreen();
    // Mapped before the first frame, so that frame reaches the display.
    platform::Clock& c = platform::clock();
    const std::uint64_t deadline = c.nanos() + 2000000000u;
    while (!(windowHandle() && windowHandle()->isExposed()) && c.nanos() < deadline) {
        platform::paintOnly();
        c.sleepFor(1000000);
    }
}

void TLiveScreen::play(live::LiveShow* show) {
    show_ = show;
    timer_.stop();
    if (!show_) return;
    show_->start();
    arm(platform::clock().nanos() + show_->period());
}

void TLiveScreen::stop() {
    play(nullptr);
    hide();
}

void TLiveScreen::arm(std::uint64_t at) {
    const std::uint64_t now = platform::clock().nanos();
    // Woken a millisecond early; the rest is slept, so the frame is not late by the timer's
    // millisecond grain.
    const std::int64_t ms = at > now ? std::int64_t((at - now) / 1000000) - 1 : 0;
    timer_.start(int(std::max<std::int64_t>(ms, 0)));
}

void TLiveScreen::wake() {
    if (!show_) return;
    platform::Clock& c = platform::clock();
    std::uint64_t next = show_->wake();
    const std::uint64_t now = c.nanos();
    if (next > now && next - now < 2000000) {
        c.sleepFor(next - now);
        next = show_->wake();
    }
    arm(next);
}

void TLiveScreen::present(const QRect& changed) {
    const QRect r = changed.intersected(QRect(0, 0, frame_.width(), frame_.height()));
    if (!r.isEmpty()) {
        const std::size_t bytes = std::size_t(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(shown_.scanLine(y) + std::size_t(r.left()) * 4,
                        frame_.scanLine(y) + std::size_t(r.left()) * 4, bytes);
        const QRect w = platform::windowRectOf(r, pixelRatio_);
        if (isVisible() && onX11_) {
            repaint(w);
            // On the display now, not at the next turn of the event loop.
            QGuiApplication::sync();
        } else if (isVisible()) {
            // A Wayland compositor takes a window's frames at its own pace: painted now, a frame
            // it has not taken the last one before would not be shown. The part is painted at
            // the compositor's next frame, from the frame presented.
            update(w);
        }
    }
    if (framePresented) framePresented();
}

void TLiveScreen::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    platform::paintFrame(p, shown_, event->rect(), pixelRatio_);
}

void TLiveScreen::keyPressEvent(QKeyEvent* event) {
    if (keys && keys(event)) return;
    QWidget::keyPressEvent(event);
}

} // namespace velmora
