#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <QString>
#include <QWidget>

#include <functional>

#include "main/editor_state.h"
#include "main/page_document.h"
#include "main/playback_port.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/WavePlayer.h"
#include "playback/page_player.h"
#include "playback/show_clock.h"

namespace velmora {

// What the playback window needs of the editor beside the page: its state when a page starts,
// and the way back to it when playback ends.
struct PlaybackHost {
    std::function<EditorState()> state;
    std::function<void()> returnToEditor;
};

// The full-screen black playback window, which is also the align screen. Created once at
// start, after the main window; shown and hidden, never re-created. Everything it shows is
// drawn into a framebuffer the size of the screen. While a page plays, the show clock presents
// the changed part at each display frame; outside a show each drawing is presented at once.
class TCan : public QWidget, public PlaybackPort, private PlayControl, private FrameTarget {
    Q_OBJECT

public:
    TCan(PageDocument& document, PlaybackHost host);
    ~TCan() override;

    // Resting positions of the title lines, held by the page.
    std::int32_t titleX(int line) const { return document_.titleX(line); }
    std::int32_t titleY(int line) const { return document_.titleY(line); }
    void setTitlePos(int line, std::int32_t x, std::int32_t y) {
        document_.setTitlePos(line, x, y);
    }

    // PlaybackPort
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

    platform::PixelFormat ScreenFormat = platform::PixelFormat::Device;
    platform::PixelFormat StripFormat = platform::PixelFormat::Bits24;
    std::int8_t ScreenBits = 0;

    void InitImageScreen(bool alignMode);
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
    void present(const QRect& r);
    EditorState editorState() const { return host_.state ? host_.state() : EditorState{}; }

    // FrameTarget
    bool hasChanges() const override { return !dirty_.isEmpty(); }
    void present() override;
    void waitEvents() override;
    // The display's frame period.
    std::uint64_t framePeriod() const;
    // Waits, at most two seconds, until the window is exposed on the display.
    void waitUntilExposed();

    // PlayControl
    bool stopped() const override { return killnow; }
    void pump() override;
    void holdForSpaceBar(bool manual) override;
    // Shows the message and closes the player on failure.
    bool openWave(int line, const QString& file) override;
    void playWave() override { MediaPlayer1.play(); }
    void closeWave() override { MediaPlayer1.close(); }
    void beforeMove() override { setCursor(Qt::BlankCursor); }

    PageDocument& document_;
    PlaybackHost host_;
    platform::Bitmap frame_;
    platform::Canvas canvas_;
    bool killnow = false;
    bool spcbarpause_ = false;
    ShowClock* showClock_ = nullptr; // while a page plays
    QRect dirty_;                    // drawn, not presented yet
};

} // namespace velmora
