#include <gtest/gtest.h>
#include <QApplication>

#include "platform/Application.h"
#include <QDir>

#include "platform/Clock.h"
#include "platform/QtDialogs.h"

int main(int argc, char** argv) {
    // The tests run without a display; test discovery runs without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString dir = QDir::tempPath() + QStringLiteral("/velmora-test-runtime");
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
    }
    velmora::platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora-32"));
    velmora::platform::useQtDialogs();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
