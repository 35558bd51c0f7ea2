#include "platform/Pump.h"

#include <QCoreApplication>
#include <QThread>

namespace platform {

namespace {
std::function<void()> theHook;
long count = 0;
} // namespace

void pump() {
    ++count;
    if (theHook) theHook();
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void setPumpHook(std::function<void()> hook) {
    theHook = std::move(hook);
}
long pumpCount() {
    return count;
}

void idle() {
    if (!theHook) QThread::usleep(500);
}

} // namespace platform
