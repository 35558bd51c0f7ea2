// Writes the demo project with the program's own page and project code:
//   velmora_make_demo <folder>
// The folder receives demo.kvt, its pages DEMO.000 to DEMO.005 and the picture demo_logo.bmp.
#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include "tools/demo_project.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const velmora::demo::DemoCommand command =
        velmora::demo::demoCommand(QCoreApplication::arguments().mid(1));
    if (!command.usage.isEmpty()) {
        std::fputs(command.usage.toLocal8Bit().constData(), command.status ? stderr : stdout);
        return command.status;
    }
    const QString folder = QDir(command.folder).absolutePath() + QLatin1Char('/');
    QDir().mkpath(folder);
    if (!velmora::demo::writeDemo(folder)) {
        std::fprintf(stderr, "could not write the demo project into %s\n", argv[1]);
        return 1;
    }
    std::printf("demo project written to %sdemo.kvt\n", folder.toLocal8Bit().constData());
    return 0;
}
