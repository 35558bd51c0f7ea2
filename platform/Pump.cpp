#include "platform/Pump.h"

#include <QCoreApplication>

#include "platform/Clock.h"

namespace velmora::platform {

namespace {
std::function<void()> theHook;
} // namespace

void pump() {
    if (theHook) theHook();
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void paintOnly() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void setPumpHook(std::function<void()> hook) {
    theHook = std::move(hook);
}

void idle() {
    clock().sleepFor(500000);
}

} // namespace velmora::platform
