#include "platform/FramePaint.h"

#include <cmath>

namespace velmora::platform {

QRect windowRectOf(const QRect& r, double ratio) {
    if (ratio == 1) return r;
    const int left = int(std::floor(r.left() / ratio));
    const int top = int(std::floor(r.top() / ratio));
    const int right = int(std::ceil((r.right() + 1) / ratio));
    const int bottom = int(std::ceil((r.bottom() + 1) / ratio));
    return {left, top, right - left, bottom - top};
}

void paintFrame(QPainter& p, Bitmap& frame, const QRect& window, double ratio) {
    if (frame.isEmpty()) {
        p.fillRect(window, Qt::black);
        return;
    }
    QImage img = frame.wrap();
    if (ratio == 1) {
        p.drawImage(window, img, window);
        return;
    }
    img.setDevicePixelRatio(ratio);
    const QRectF r = window;
    p.drawImage(r, img, QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
}

} // namespace velmora::platform
