#pragma once
#include <QWidget>

#include "platform/Bitmap.h"

namespace velmora {

// The image control that holds one title strip: a hidden child of the playback window, placed
// one pixel beyond the screen's bottom-right corner until a rendering sets it to the line's
// resting position, and sized to its picture.
class Tbmp : public QWidget {
    Q_OBJECT

public:
    explicit Tbmp(QWidget* parent, platform::PixelFormat format);

    platform::Bitmap picture;
    // Left and top, kept as the program sees them (the control itself never shows).
    int Left = 0;
    int Top = 0;
    void setPos(int left, int top);
};

} // namespace velmora
