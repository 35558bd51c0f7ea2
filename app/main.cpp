#include <cstdio>

#include <QApplication>

#include "platform/Application.h"

#include "app/command_line.h"
#include "app/startup.h"
#include "dialogs/livewindow.h"
#include "dialogs/splash.h"
#include "main/bitmov2.h"

namespace {

// --help and --version are answered before any window system is needed; a usage error ends
// the program with status 2.
QStringList rawArguments(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

} // namespace

int main(int argc, char** argv) {
    const velmora::CommandLine early = velmora::parseCommandLine(rawArguments(argc, argv));
    if (early.showHelp || early.showVersion) {
        const QString text = early.showHelp
                                 ? velmora::commandLineHelp(QStringLiteral("velmora"))
                                 : QStringLiteral("Velmora Pro 1.%1\n").arg(VELMORA_VERSION_MINOR);
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    velmora::platform::Application app(argc, argv);
    // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
    const velmora::CommandLine command = velmora::parseCommandLine(app.arguments());
    if (!command.error.isEmpty()) {
        std::fprintf(stderr, "velmora: %s\n%s", command.error.toLocal8Bit().constData(),
                     velmora::commandLineHelp(QStringLiteral("velmora")).toLocal8Bit().constData());
        return 2;
    }
    velmora::initialiseApplication(app);
    velmora::TLiveWindow::setFrameLogFile(command.frameLog);
    auto windows = velmora::createWindows();
    windows->BitMovOptMain->show();
    if (!command.project.isEmpty())
        velmora::openProjectFromCommandLine(*windows->BitMovOptMain, command.project);
    // The splash box stays in front of the main window until it closes itself.
    if (velmora::Tsplasher* splash = velmora::currentSplash()) splash->raise();
    return app.exec();
}
