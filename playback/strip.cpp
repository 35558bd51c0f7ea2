#include "playback/strip.h"

#include "platform/Screen.h"

namespace velmora {

Tbmp::Tbmp(QWidget* parent, platform::PixelFormat format) : QWidget(parent) {
    picture.setPixelFormat(format);
    hide();
    setPos(platform::Screen::width() + 1, platform::Screen::height() + 1);
    resize(0, 0);
}

void Tbmp::setPos(int left, int top) {
    Left = left;
    Top = top;
    move(left, top);
}

} // namespace velmora
