#include "player/page_player.h"

#include <optional>

#include "player/movement.h"
#include "player/strip.h"
#include "render/effects.h"

namespace velmora {

namespace {

class PagePlay {
public:
    PagePlay(const PageImage& page, const ShowOptions& options, platform::Canvas& canvas,
             PlayControl& control)
        : page_(page), options_(options), canvas_(canvas), control_(control) {
        for (int i = 0; i < 3; ++i) {
            outcome_.restX[i] = page.lines[i].PosX;
            outcome_.restY[i] = page.lines[i].PosY;
        }
    }

    PlayOutcome run();

private:
    const PageImage::Line& line(int n) const { return page_.lines[n - 1]; }
    bool render(int n);
    void moveIn(int n);
    void moveOut(int n);
    MoveContext moveContext(const Path* path);
    // Lets the strip go, then a fixed point.
    void kill(int n) {
        strips_[n - 1].reset();
        control_.pump();
    }
    void killUpTo(int last) {
        for (int k = 1; k <= last; ++k)
            kill(k);
    }

    const PageImage& page_;
    const ShowOptions& options_;
    platform::Canvas& canvas_;
    PlayControl& control_;
    Mover mover_;
    std::array<std::optional<Strip>, 3> strips_;
    // Lines whose strip could not be made: they keep their resting position.
    std::array<bool, 3> stripFailed_{};
    PlayOutcome outcome_;
};

PlayOutcome PagePlay::run() {
    if (options_.leaders) {
        if (options_.useColorBars && options_.holdTime > 0)
            effects::ShowColorBars(canvas_, options_.holdTime);
        if (options_.useCountDown) effects::ShowCountDown(canvas_);
    }
    control_.holdForSpaceBar(page_.settings.mpause);

    for (int n = 1; n <= 3; ++n) {
        if (!line(n).attrs.InUse) continue;
        // Line 2's wave starts once its strip is rendered, the others' before.
        const bool startBeforeRendering = n != 2;
        const QString& wave = line(n).attrs.WaveFile;
        if (!wave.isEmpty() && !control_.openWave(n, wave)) {
            outcome_.waveFailed[n - 1] = true;
            killUpTo(n - 1);
            return outcome_;
        }
        if (startBeforeRendering && !wave.isEmpty()) control_.playWave();
        render(n);
        if (control_.stopped()) {
            killUpTo(n);
            control_.closeWave();
            return outcome_;
        }
        if (!startBeforeRendering && !wave.isEmpty()) control_.playWave();
        moveIn(n);
        control_.closeWave();
    }

    if (!page_.settings.mpause) {
        if (page_.settings.PauseTime > 0) effects::WaitSeconds(page_.settings.PauseTime);
    } else {
        control_.holdForSpaceBar(true);
    }

    // Once the hold is over, every line moves out.
    for (int n = 1; n <= 3; ++n)
        if (line(n).attrs.InUse && strips_[n - 1]) moveOut(n);
    killUpTo(3);
    return outcome_;
}

bool PagePlay::render(int n) {
    strips_[n - 1].emplace(options_.stripFormat);
    StripInput in;
    in.text = line(n).Text.left(255);
    in.fontStyle = line(n).FontStyle;
    in.line = &line(n).attrs;
    in.alignMode = options_.alignMode;
    in.stripFormat = options_.stripFormat;
    in.restX = line(n).PosX;
    in.restY = line(n).PosY;
    in.view = canvas_.view();
    switch (renderTitleStrip(*strips_[n - 1], in)) {
    case StripResult::BitmapFailed:
        outcome_.bitmapFailed[n - 1] = true;
        stripFailed_[n - 1] = true;
        return false;
    case StripResult::TooLarge: // reported; the line keeps its picture name and its place
        stripFailed_[n - 1] = true;
        return false;
    default:
        return true;
    }
}

MoveContext PagePlay::moveContext(const Path* path) {
    MoveContext c;
    c.canvas = &canvas_;
    c.screenWidth = canvas_.stageWidth();
    c.screenHeight = canvas_.stageHeight();
    c.fadedelay = page_.settings.fadedelay;
    c.easySlowdown = options_.easySlowdown;
    c.rasterEffect = options_.rasterEffect;
    c.screenBits = options_.screenBits;
    c.stripBrushColor = platform::clBlack;
    c.setStripPos = [this](int titleNum, int x, int y) {
        if (titleNum >= 1 && titleNum <= 3 && strips_[titleNum - 1])
            strips_[titleNum - 1]->setPos(x, y);
    };
    c.path = path;
    return c;
}

void PagePlay::moveIn(int n) {
    Strip& s = *strips_[n - 1];
    control_.beforeMove();
    mover_.DrawTheBitMapInDir(moveContext(&line(n).InPath), line(n).attrs.InDirection,
                              s.width, s.height, line(n).PosX, line(n).PosY,
                              s.picture, static_cast<std::int16_t>(n));
    if (!stripFailed_[n - 1]) {
        outcome_.restX[n - 1] = s.Left;
        outcome_.restY[n - 1] = s.Top;
    }
}

void PagePlay::moveOut(int n) {
    Strip& s = *strips_[n - 1];
    control_.beforeMove();
    mover_.DrawTheBitMapOutDir(moveContext(&line(n).OutPath), line(n).attrs.OutDirection,
                               s.width, s.height, outcome_.restX[n - 1],
                               outcome_.restY[n - 1], s.picture, static_cast<std::int16_t>(n));
}

} // namespace

PlayOutcome playPage(const PageImage& page, const ShowOptions& options, platform::Canvas& canvas,
                     PlayControl& control) {
    return PagePlay(page, options, canvas, control).run();
}

} // namespace velmora
