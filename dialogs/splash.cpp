#include "dialogs/splash.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>

namespace velmora {

int SplashTicks = 0;

namespace {
QPointer<Tsplasher> theSplash;
}

Tsplasher::Tsplasher() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("splasher"));
    setFixedSize(200, 96);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 255));
    setPalette(pal);
    Label1 = new QLabel(QStringLiteral("Velmora Pro "), this);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(32);
    f.setBold(true);
    Label1->setFont(f);
    Label1->setStyleSheet(QStringLiteral("color: white;"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(0, 0, 200, 96);
    Timer1 = new QTimer(this);
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &Tsplasher::Timer1Timer);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - QPoint(100, 48));
}

void Tsplasher::Timer1Timer() {
    ++SplashTicks;
    if (SplashTicks > 5) {
        Timer1->stop();
        close();
        // Released once this tick's handling has ended, never from inside it.
        deleteLater();
    }
}

Tsplasher* currentSplash() {
    return theSplash.data();
}

void ShowSplash() {
    auto* s = new Tsplasher();
    theSplash = s;
    s->show();
    s->raise();
    SplashTicks = 0;
    s->Timer1->start();
    QCoreApplication::processEvents();
}

} // namespace velmora
