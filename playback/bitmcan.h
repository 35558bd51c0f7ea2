#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <QString>
#include <QWidget>

#include "main/playback_port.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/WavePlayer.h"
#include "playback/movement.h"
#include "playback/strip.h"

namespace velmora {

class TBitMovOptMain;

// The full-screen black playback window, which is also the align screen. Created once at
// start, after the main window; shown and hidden, never re-created. Everything it shows is
// drawn into a framebuffer the size of the screen; each drawing presents the rectangle it
// changed at once, because a show runs inside a command handler with no event loop.
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
    void PlayPage(const QString& PageName) override;
    bool getkillnow() const override { return killnow; }
    void setkillnow(bool value) override { killnow = value; }
    void killcan() override;
    void pauseUNtilSpaceBarReset() override;
    bool spcbarpause() const override { return spcbarpause_; }
    void setspcbarpause(bool value) override { spcbarpause_ = value; }
    void setPlaybackEnabled(bool enabled) override { setEnabled(enabled); }
    bool playbackEnabled() const override { return isEnabled(); }
    void showPlayback() override;
    void invalidatePlayback() override;

    // Resting positions of the three title lines.
    std::int32_t TitleX1 = 0, TitleX2 = 0, TitleX3 = 0;
    std::int32_t TitleY1 = 0, TitleY2 = 0, TitleY3 = 0;

    // The strips of the page being played; null outside a page.
    Tbmp* Strip1 = nullptr;
    Tbmp* Strip2 = nullptr;
    Tbmp* Strip3 = nullptr;
    Tbmp*& strip(int n) { return n == 1 ? Strip1 : n == 2 ? Strip2 : Strip3; }

    platform::PixelFormat ScreenFormat = platform::PixelFormat::Device;
    platform::PixelFormat StripFormat = platform::PixelFormat::Bits24;
    std::int8_t ScreenBits = 0;

    // Rendering of title lines into their strips.
    void SetupImage1();
    void setupImage2();
    void setupImage3();
    void setupImage(int n);

    // Movement of a strip in and out (the mouse pointer is hidden first).
    void DrawTheBitMapInDir(std::int32_t Dir, int Width, int Height, int X, int Y,
                            platform::Bitmap& Bitmap, std::int16_t TitleNum);
    void DrawTheBitMapOutDir(std::int32_t Dir, int Width, int Height, int X, int Y,
                             platform::Bitmap& Bitmap, std::int16_t TitleNum);
    Mover& mover() { return mover_; }

    void InitImageScreen();
    void KillBitmaps(int TitleNum);
    void saveabitmap();
    // Prepares the window for showing: screen format, strip format and depth.
    void FormShow();

    platform::WavePlayer MediaPlayer1;

    // The screen the window draws into, and the canvas over it.
    platform::Bitmap& screenBitmap() { return frame_; }
    platform::Canvas& canvas() { return canvas_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    MoveContext moveContext();
    void present(const QRect& r);
    // Opens the wave of line n; false (with the message shown and the name cleared) on failure.
    bool openWave(int n);
    void playLine(int n);

    TBitMovOptMain* main_;
    platform::Bitmap frame_;
    platform::Canvas canvas_;
    Mover mover_;
    bool killnow = false;
    bool spcbarpause_ = false;
    // Lines whose bitmap could not be loaded in this play: they keep their resting position.
    std::array<bool, 3> stripFailed_{};
};

} // namespace velmora
