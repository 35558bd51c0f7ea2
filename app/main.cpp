#include <QApplication>

#include "platform/Application.h"

#include "app/startup.h"
#include "dialogs/splash.h"
#include "main/bitmov2.h"

int main(int argc, char** argv) {
    velmora::platform::Application app(argc, argv);
    velmora::initialiseApplication(app);
    auto windows = velmora::createWindows();
    windows->BitMovOptMain->show();
    // The splash box stays in front of the main window until it closes itself.
    if (velmora::Tsplasher* splash = velmora::currentSplash()) splash->raise();
    return app.exec();
}
