#include "test_support.h"

#include "platform/Pump.h"

namespace testsupport {

Seams::Seams() {
    platform::setDialogs(&dialogs);
    platform::setClock(&clock);
}

Seams::~Seams() {
    platform::setDialogs(nullptr);
    platform::setClock(nullptr);
    platform::setPumpHook({});
}

TempDir::TempDir() {
    dir_.setAutoRemove(true);
}

} // namespace testsupport
