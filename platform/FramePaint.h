#pragma once
#include <QPainter>
#include <QRect>

#include "platform/Bitmap.h"

namespace velmora::platform {

// A framebuffer of device pixels shown in a window of `ratio` device pixels a window pixel:
// the window's rectangle that shows a framebuffer rectangle (every window pixel it touches),
// and the painting of a window rectangle from the framebuffer (black without one).
QRect windowRectOf(const QRect& device, double ratio);
void paintFrame(QPainter& p, Bitmap& frame, const QRect& window, double ratio);

} // namespace velmora::platform
