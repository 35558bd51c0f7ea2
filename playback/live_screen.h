#pragma once
#include <cstdint>
#include <functional>
#include <QTimer>
#include <QWidget>

#include "platform/Bitmap.h"

class QKeyEvent;

namespace velmora {

namespace live {
class LiveShow;
}

// The live show's screen: a black full-screen window on the show screen that presents the live
// show's frames, each at its refresh. The show is woken by a timer at the time it asks for, so
// the program's event loop runs between frames. Keys go to whoever operates the show.
class TLiveScreen : public QWidget {
    Q_OBJECT

public:
    TLiveScreen();
    ~TLiveScreen() override;

    // The framebuffer the show draws into, the size of the screen's device pixels.
    platform::Bitmap& frame() { return frame_; }
    // What the screen shows: the frames as presented.
    const platform::Bitmap& shown() const { return shown_; }
    // Sizes the framebuffers to the screen (the show screen unless given; `frame`: a size of
    // their own) and shows the window there, full screen.
    void open(QScreen* screen = nullptr, QSize frame = {});
    // Plays the show (null: stops it). Its present call is present() below.
    void play(live::LiveShow* show);
    void stop();
    // Shows the framebuffer's changed part now, in device pixels.
    void present(const QRect& changed);
    // Each presented frame.
    std::function<void()> framePresented;
    // Keys pressed on the screen; false: not taken.
    std::function<bool(QKeyEvent*)> keys;
    // The display's refresh period.
    std::uint64_t framePeriod() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void wake();
    void arm(std::uint64_t at);

    platform::Bitmap frame_, shown_;
    double pixelRatio_ = 1;
    bool onX11_ = true;
    live::LiveShow* show_ = nullptr;
    QTimer timer_;
};

} // namespace velmora
