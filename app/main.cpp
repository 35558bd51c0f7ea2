#include <QApplication>

#include "platform/Application.h"

#include "app/startup.h"
#include "main/bitmov2.h"

int main(int argc, char** argv) {
    velmora::platform::Application app(argc, argv);
    velmora::initialiseApplication(app);
    auto windows = velmora::createWindows();
    windows->BitMovOptMain->show();
    return app.exec();
}
