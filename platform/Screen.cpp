#include "platform/Screen.h"

#include <QScreen>

#include "platform/ShowScreen.h"

namespace velmora::platform {

namespace {
bool virtualSet = false;
int vWidth = 0, vHeight = 0, vDepth = 0;
} // namespace

int Screen::width() {
    if (virtualSet) return vWidth;
    QScreen* s = showScreen();
    return s ? s->geometry().width() : 640;
}

int Screen::height() {
    if (virtualSet) return vHeight;
    QScreen* s = showScreen();
    return s ? s->geometry().height() : 480;
}

int Screen::depth() {
    if (virtualSet) return vDepth;
    QScreen* s = showScreen();
    return s ? s->depth() : 32;
}

double Screen::pixelRatio() {
    if (virtualSet) return 1;
    QScreen* s = showScreen();
    return s && s->devicePixelRatio() > 0 ? s->devicePixelRatio() : 1;
}

void Screen::setVirtual(int width, int height, int depth) {
    virtualSet = true;
    vWidth = width;
    vHeight = height;
    vDepth = depth;
}

void Screen::clearVirtual() {
    virtualSet = false;
}

} // namespace velmora::platform
