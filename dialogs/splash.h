#pragma once
#include <QDialog>
#include <QLabel>
#include <QTimer>

namespace velmora {

// The splash box shown while the program starts; it closes itself after its sixth tick.
class Tsplasher : public QWidget {
    Q_OBJECT

public:
    Tsplasher();
    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;
    void Timer1Timer();
};

// The splash timer's tick count.
extern int SplashTicks;
// The splash box on screen, or null once released.
Tsplasher* currentSplash();
void ShowSplash();

} // namespace velmora
