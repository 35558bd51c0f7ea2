#pragma once
#include <QWidget>
#include <cstdint>
#include <memory>

#include "main/playback_port.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "playback/strip.h"

namespace velmora {

class TBitMovOptMain;

// The full-screen black playback window, which is also the align screen. Created once at
// start, after the main window; shown and hidden, never re-created.
class TCan : public QWidget, public PlaybackPort {
    Q_OBJECT

public:
    explicit TCan(TBitMovOptMain* mainWindow);
    ~TCan() override;

    // PlaybackPort
    std::int32_t titleX(int line) const override;
    std::int32_t titleY(int line) const override;
    void setTitlePos(int line, std::int32_t x, std::int32_t y) override;
    void clearPath(int line, bool inPath) override;

    // Resting positions of the three title lines.
    std::int32_t TitleX1 = 0, TitleX2 = 0, TitleX3 = 0;
    std::int32_t TitleY1 = 0, TitleY2 = 0, TitleY3 = 0;

    // The strips of the page being played; null outside a page.
    Tbmp* Strip1 = nullptr;
    Tbmp* Strip2 = nullptr;
    Tbmp* Strip3 = nullptr;
    platform::PixelFormat StripFormat = platform::PixelFormat::Bits24;

    // The screen the window draws into, and the canvas over it.
    platform::Bitmap& screenBitmap() { return frame_; }
    platform::Canvas& canvas() { return canvas_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FormCreate();

    TBitMovOptMain* main_;
    platform::Bitmap frame_;
    platform::Canvas canvas_;
};

} // namespace velmora
