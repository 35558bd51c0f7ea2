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

QRect pixelsOf(const platform::Bitmap& b, platform::TColor c) {
    QRect r;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) == c) r |= QRect(x, y, 1, 1);
    return r;
}

} // namespace testsupport
