#include "platform/Pump.h"

#include <QCoreApplication>
#include <QThread>

namespace velmora::platform {

namespace {
std::function<void()> theHook;
} // namespace

void pump() {
    if (theHook) theHook();
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void setPumpHook(std::function<void()> hook) {
    theHook = std::move(hook);
}

void idle() {
    if (!theHook) QThread::usleep(500);
}

} // namespace velmora::platform
