#include "platform/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace platform {

// Interim drawing: SRCCOPY only; the raster operations come with the rendering work.
Canvas::Canvas(Bitmap& target) : target_(&target) {}

void Canvas::changed(const QRect& r) {
    const QRect c = r.intersected(QRect(0, 0, width(), height()));
    if (presenter_ && !c.isEmpty()) presenter_(c);
}

void Canvas::draw(int x, int y, const Bitmap& src) {
    if (observer_) observer_({x, y, src.width(), src.height(), copyMode, false, src.width(), src.height()});
    for (int sy = 0; sy < src.height(); ++sy)
        for (int sx = 0; sx < src.width(); ++sx) target_->setPixel(x + sx, y + sy, src.pixel(sx, sy));
    changed(QRect(x, y, src.width(), src.height()));
}

void Canvas::stretchDraw(int left, int top, int right, int bottom, const Bitmap& src) {
    if (observer_) observer_({left, top, right - left, bottom - top, copyMode, true, src.width(), src.height()});
}

void Canvas::copyRect(const QRect&, const Bitmap&, const QRect&) {}

void Canvas::fillRect(int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) target_->setPixel(x, y, brush.color);
    changed(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void Canvas::frameRect(int, int, int, int) {}
void Canvas::rectangle(int left, int top, int right, int bottom) { fillRect(left, top, right, bottom); }
void Canvas::moveTo(int x, int y) { penPos_ = QPoint(x, y); }
void Canvas::lineTo(int x, int y) { penPos_ = QPoint(x, y); }
void Canvas::setPixel(int x, int y, TColor c) { target_->setPixel(x, y, c); }
int Canvas::textWidth(const QString&) const { return 0; }
int Canvas::textHeight(const QString&) const { return 0; }
void Canvas::textOut(int, int, const QString&) {}

} // namespace platform
