#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>
#include <QRect>
#include <QString>

#include "live/frame_log.h"
#include "live/on_air.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "player/frame_composer.h"

namespace velmora::live {

// The live show's frames, one a refresh, drawn by the on-air controller's states and paced by a
// clock. It never waits: whoever shows it wakes it at the time it asks for. After a frame is
// presented the next one is drawn at once for its refresh's time; a command given in between
// acts on that frame, which is drawn again, so whatever the command does is on the screen at
// the next refresh.
class LiveShow {
public:
    // `present`: shows the framebuffer's changed part now (the show screen's window).
    LiveShow(OnAir& onAir, platform::Bitmap& frame, const platform::StageView& view,
             std::uint64_t period, platform::Clock& clock,
             std::function<void(const QRect&)> present);

    // The show starts now: the first refresh is a period away, its frame drawn.
    void start();
    // Woken by the clock: presents the frame of the refresh that has come, if one has, and draws
    // the next. Returns the clock's time to be woken at next.
    std::uint64_t wake();

    // The key: each frame also drawn into `key` (the framebuffer's size) as how much the titles
    // cover each pixel, white opaque, black transparent; presented with the fill.
    void setKey(platform::Bitmap* key);

    // The commands, given now; they act on the next frame.
    void take();
    void clear();
    void cut();
    // The next frame is drawn again (an edit of a page on the stage).
    void edited();

    // The frame log (kept always; written to a file when asked).
    FrameLog& log() { return log_; }
    std::uint64_t period() const { return period_; }
    // The refresh whose frame is presented next, and its show time.
    std::int64_t nextRefresh() const { return refresh_; }
    std::int64_t showTime(std::int64_t refresh) const { return refresh * std::int64_t(period_); }
    // The show time of the frame last presented, or -1 before the first.
    std::int64_t shownTime() const { return shown_; }
    OnAir& onAir() { return onAir_; }

private:
    std::int64_t now() const;
    void draw();
    void given(const char* name);

    OnAir& onAir_;
    FrameComposer composer_; // over the framebuffer
    platform::StageView view_;
    platform::Bitmap* key_ = nullptr;
    std::vector<std::uint8_t> keyPlane_;
    std::optional<FrameComposer> keyComposer_;
    std::uint64_t period_;
    platform::Clock& clock_;
    std::function<void(const QRect&)> present_;
    std::uint64_t start_ = 0;
    std::int64_t refresh_ = 1;
    std::int64_t shown_ = -1;
    QRect pending_; // drawn, not presented yet
    int drawnEdits_ = 0;
    FrameLog log_;
};

} // namespace velmora::live
