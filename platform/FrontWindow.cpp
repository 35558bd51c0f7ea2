#include "platform/FrontWindow.h"

#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace velmora::platform {

namespace {
QPointer<QWidget> front;
} // namespace

void setFrontWindow(QWidget* window) {
    front = window;
}

QWidget* frontWindow() {
    return front && front->isVisible() ? front.data() : nullptr;
}

void showInFront(QWidget* window) {
    window->winId(); // its native window, to be made transient before it is mapped
    QWindow* over = nullptr;
    if (QWidget* f = frontWindow(); f && f != window)
        over = f->windowHandle();
    else if (QWidget* parent = window->parentWidget())
        over = parent->window()->windowHandle();
    window->windowHandle()->setTransientParent(over);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace velmora::platform
