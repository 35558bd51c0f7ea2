#include "player/smooth_page.h"

#include <algorithm>
#include <cstring>

#include "render/effects.h"

namespace velmora {

namespace {
constexpr std::int64_t Second = 1000000000;
} // namespace

SmoothPage::SmoothPage(const PageImage& page, const ShowOptions& options,
                       const platform::StageView& view, PlayControl& control,
                       std::optional<std::int64_t> manualHold, bool onAir)
    : page_(page), options_(options), view_(view), control_(control), manualHold_(manualHold),
      onAir_(onAir) {
    options_.stripFormat = platform::PixelFormat::Bits32;
    if (onAir_) options_.leaders = false;
    for (int i = 0; i < 3; ++i) {
        outcome_.restX[i] = page.lines[i].PosX;
        outcome_.restY[i] = page.lines[i].PosY;
    }
    next(0);
}

Track::Stage SmoothPage::trackStage() const {
    return {view_.stageWidth, view_.stageHeight, page_.settings.fadedelay, options_.easySlowdown};
}

bool SmoothPage::leaders(bool bars) const {
    if (!options_.leaders) return false;
    return bars ? options_.useColorBars && options_.holdTime > 0 : options_.useCountDown;
}

std::int64_t SmoothPage::pageTime(std::int64_t t) const {
    return (held_ ? heldAt_ : t) - offset_;
}

std::int64_t SmoothPage::nextChange() const {
    if (finished() || held_ || phaseEnd_ == Never) return Never;
    return phaseEnd_ + offset_;
}

void SmoothPage::advanceTo(std::int64_t t) {
    const std::int64_t now = pageTime(t);
    while (!finished() && phaseEnd_ != Never && phaseEnd_ <= now)
        next(phaseEnd_);
}

void SmoothPage::enter(Phase p, std::int64_t at, std::int64_t length) {
    phase_ = p;
    phaseStart_ = at;
    phaseEnd_ = length == Never ? Never : at + std::max<std::int64_t>(length, 0);
}

void SmoothPage::finish(std::int64_t at) {
    if (wavePlaying_) control_.closeWave();
    wavePlaying_ = false;
    phase_ = Phase::Done;
    phaseEnd_ = Never;
    endTime_ = at + offset_;
}

void SmoothPage::render(int n) {
    Run& run = runs_[std::size_t(n - 1)];
    const PageImage::Line& line = page_.lines[std::size_t(n - 1)];
    run.strip.emplace(platform::PixelFormat::Bits32);
    StripInput in = stripInputOf(line, view_);
    in.alignMode = options_.alignMode;
    switch (renderTitleStrip(*run.strip, in)) {
    case StripResult::BitmapFailed:
        outcome_.bitmapFailed[std::size_t(n - 1)] = true;
        run.failed = true;
        break;
    case StripResult::TooLarge:
        run.failed = true;
        break;
    default:
        break;
    }
    if (run.strip->picture.pixelFormat() != platform::PixelFormat::Bits32)
        run.strip->picture.setPixelFormat(platform::PixelFormat::Bits32);
}

bool SmoothPage::startLine(int n, std::int64_t at) {
    const PageImage::Line& line = page_.lines[std::size_t(n - 1)];
    const QString& wave = line.attrs.WaveFile;
    bool withWave = !wave.isEmpty();
    if (withWave && !control_.openWave(n, wave)) {
        outcome_.waveFailed[std::size_t(n - 1)] = true;
        // On air the show goes on without it.
        if (!onAir_) return false;
        withWave = false;
    }
    // Line 2's wave starts once its strip is made, the others' before.
    if (n != 2 && withWave) control_.playWave();
    render(n);
    if (n == 2 && withWave) control_.playWave();
    wavePlaying_ = withWave;
    control_.beforeMove();
    Run& run = runs_[std::size_t(n - 1)];
    const Strip& s = *run.strip;
    run.track = Track::moveIn(line.attrs.InDirection, s.width, s.height, line.PosX, line.PosY,
                              trackStage(), &line.InPath);
    run.trackStart = at;
    run.stage = Stage::MovingIn;
    line_ = n;
    enter(Phase::LineIn, at, run.track.duration());
    return true;
}

void SmoothPage::next(std::int64_t at) {
    // The phase ending: what it leaves.
    switch (phase_) {
    case Phase::LineIn: {
        Run& run = runs_[std::size_t(line_ - 1)];
        run.rest = run.track.end();
        run.stage = Stage::Resting;
        // As each line comes to rest its wave is let go, if it has one.
        control_.closeWave();
        wavePlaying_ = false;
        break;
    }
    case Phase::LineOut:
        runs_[std::size_t(line_ - 1)].stage = Stage::Out;
        break;
    case Phase::TakeOut:
        for (Run& r : runs_)
            if (r.stage == Stage::MovingOut) r.stage = Stage::Out;
        break;
    default:
        break;
    }
    // The next phase, skipping those the page does not have.
    switch (phase_) {
    case Phase::Start:
        if (leaders(true)) return enter(Phase::Bars, at, options_.holdTime * Second);
        [[fallthrough]];
    case Phase::Bars:
        if (phase_ == Phase::Bars) return enter(Phase::BarsBlack, at, Second);
        [[fallthrough]];
    case Phase::BarsBlack:
        if (leaders(false)) return enter(Phase::CountDown, at, effects::CountDownSeconds * Second);
        [[fallthrough]];
    case Phase::CountDown:
        if (page_.settings.mpause && !onAir_)
            return enter(Phase::SpaceBefore, at, manualHold_ ? *manualHold_ : Never);
        [[fallthrough]];
    case Phase::SpaceBefore:
        line_ = 0;
        [[fallthrough]];
    case Phase::LineIn:
        for (int n = line_ + 1; n <= 3; ++n) {
            if (!page_.lines[std::size_t(n - 1)].attrs.InUse) continue;
            if (!startLine(n, at)) return finish(at);
            return;
        }
        if (onAir_) return enter(Phase::Pause, at, Never);
        if (!page_.settings.mpause)
            return enter(Phase::Pause, at, std::int64_t(std::max(0, page_.settings.PauseTime)) * Second);
        return enter(Phase::SpaceHold, at, manualHold_ ? *manualHold_ : Never);
    case Phase::Pause:
    case Phase::SpaceHold:
        line_ = 0;
        [[fallthrough]];
    case Phase::LineOut:
        for (int n = line_ + 1; n <= 3; ++n) {
            Run& run = runs_[std::size_t(n - 1)];
            const PageImage::Line& line = page_.lines[std::size_t(n - 1)];
            if (!line.attrs.InUse || !run.strip) continue;
            control_.beforeMove();
            LineState from;
            from.visible = true;
            from.x = toFixed(line.PosX);
            from.y = toFixed(line.PosY);
            run.track = Track::moveOut(line.attrs.OutDirection, run.strip->width,
                                       run.strip->height, from, trackStage(), &line.OutPath);
            run.trackStart = at;
            run.stage = Stage::MovingOut;
            line_ = n;
            return enter(Phase::LineOut, at, run.track.duration());
        }
        return finish(at);
    case Phase::TakeOut:
    case Phase::Done:
        return finish(at);
    }
}

LineState SmoothPage::lineAt(int i, std::int64_t t) const {
    const Run& run = runs_[std::size_t(i)];
    switch (run.stage) {
    case Stage::Waiting:
        return {};
    case Stage::MovingIn:
    case Stage::MovingOut:
        return run.track.at(t - run.trackStart);
    case Stage::Resting:
        return run.rest;
    case Stage::Out:
        return run.track.end();
    }
    return {};
}

SmoothPage::Frame SmoothPage::frameAt(std::int64_t t) const {
    Frame f;
    const std::int64_t now = pageTime(t);
    switch (phase_) {
    case Phase::Bars:
        f.picture = Picture::ColorBars;
        f.leader = true;
        return f;
    case Phase::BarsBlack:
        f.leader = true;
        return f;
    case Phase::CountDown: {
        f.leader = true;
        const std::int64_t into = now - phaseStart_;
        if (into >= 11 * Second) return f; // a second of black
        f.picture = Picture::CountDown;
        f.number = int(std::max<std::int64_t>(10 - into / Second, 1));
        return f;
    }
    case Phase::Start:
        return f;
    case Phase::Done:
        // What the moves left stays, as a stepped page leaves it, unless the page was cut.
        if (cut_) return f;
        break;
    default:
        break;
    }
    f.picture = Picture::Lines;
    for (int i = 0; i < 3; ++i)
        f.lines[std::size_t(i)] = lineAt(i, now);
    return f;
}

const Strip* SmoothPage::strip(int n) const {
    const Run& run = runs_[std::size_t(n - 1)];
    return run.strip && !run.failed ? &*run.strip : nullptr;
}

void SmoothPage::takeOut(std::int64_t t, std::int64_t lead) {
    advanceTo(t);
    if (finished()) return;
    const std::int64_t now = pageTime(t);
    if (phase_ != Phase::LineIn && phase_ != Phase::Pause && phase_ != Phase::SpaceHold &&
        phase_ != Phase::LineOut && phase_ != Phase::TakeOut)
        return finish(now); // nothing on the stage yet
    if (phase_ == Phase::TakeOut) return;
    if (wavePlaying_) control_.closeWave();
    wavePlaying_ = false;
    std::int64_t length = 0;
    for (int n = 1; n <= 3; ++n) {
        Run& run = runs_[std::size_t(n - 1)];
        if (run.stage == Stage::MovingOut) {
            // Already on its way out: it goes on as it was.
            length = std::max(length, run.trackStart + run.track.duration() - now);
            continue;
        }
        if (run.stage != Stage::MovingIn && run.stage != Stage::Resting) continue;
        const LineState from = lineAt(n - 1, now);
        if (!from.visible || !run.strip) {
            run.stage = Stage::Waiting;
            continue;
        }
        const PageImage::Line& line = page_.lines[std::size_t(n - 1)];
        run.track = Track::moveOut(line.attrs.OutDirection, run.strip->width, run.strip->height,
                                   from, trackStage(), &line.OutPath);
        run.trackStart = now - lead;
        run.stage = Stage::MovingOut;
        length = std::max(length, run.track.duration() - lead);
    }
    enter(Phase::TakeOut, now, length);
}

void SmoothPage::lineEdited(int n) {
    if (n < 1 || n > 3 || finished()) return;
    Run& run = runs_[std::size_t(n - 1)];
    const PageImage::Line& line = page_.lines[std::size_t(n - 1)];
    if (!line.attrs.InUse) {
        // Emptied: nothing of it is drawn any more.
        if (run.strip) run.failed = true;
        return;
    }
    if (run.stage == Stage::Waiting) {
        // Its turn is still to come, or it was left out: on a live page at rest it comes in
        // where it rests.
        if (!resting()) return;
        render(n);
        const Strip& s = *run.strip;
        run.rest = Track::moveIn(line.attrs.InDirection, s.width, s.height, line.PosX, line.PosY,
                                 trackStage(), &line.InPath)
                       .end();
        run.stage = Stage::Resting;
        return;
    }
    if (run.stage == Stage::Out) return;
    run.failed = false;
    render(n);
}

void SmoothPage::blackNow(std::int64_t t) {
    advanceTo(t);
    if (finished()) return;
    cut_ = true;
    finish(pageTime(t));
}

void SmoothPage::hold(std::int64_t t) {
    if (held_ || finished()) return;
    advanceTo(t);
    held_ = true;
    heldAt_ = t;
}

void SmoothPage::goOn(std::int64_t t) {
    if (!held_) return;
    held_ = false;
    offset_ += std::max<std::int64_t>(t - heldAt_, 0);
    advanceTo(t);
}

bool SmoothPage::waitingForSpaceBar() const {
    return (phase_ == Phase::SpaceBefore || phase_ == Phase::SpaceHold) && phaseEnd_ == Never;
}

void SmoothPage::releaseSpaceBar(std::int64_t t) {
    advanceTo(t);
    if (phase_ != Phase::SpaceBefore && phase_ != Phase::SpaceHold) return;
    next(pageTime(t));
    advanceTo(t);
}

// ---- Drawing ------------------------------------------------------------------------------

StripInput stripInputOf(const PageImage::Line& line, const platform::StageView& view) {
    StripInput in;
    in.text = line.Text.left(255);
    in.fontStyle = line.FontStyle;
    in.line = &line.attrs;
    in.stripFormat = platform::PixelFormat::Bits32;
    in.restX = line.PosX;
    in.restY = line.PosY;
    in.view = view;
    return in;
}

std::array<FrameComposer::Line, 3> composedLines(const SmoothPage& page,
                                                 const SmoothPage::Frame& frame) {
    std::array<FrameComposer::Line, 3> lines;
    for (int n = 1; n <= 3; ++n) {
        FrameComposer::Line& l = lines[std::size_t(n - 1)];
        l.state = frame.lines[std::size_t(n - 1)];
        if (const Strip* s = page.strip(n)) {
            const platform::Bitmap& p = s->picture;
            l.picture = {p.bits(), p.width(), p.height(), p.stride(), p.bytesPerPixel()};
        }
    }
    return lines;
}

namespace {
Plane planeOf(platform::Bitmap& b) {
    return {b.bits(), b.width(), b.height(), b.stride(), b.bytesPerPixel()};
}
} // namespace

void drawLineAt(platform::Canvas& canvas, platform::Bitmap& frame, const platform::Bitmap& picture,
                Fixed x, Fixed y) {
    if (picture.isEmpty() || frame.pixelFormat() != platform::PixelFormat::Bits32) return;
    platform::Bitmap converted;
    const platform::Bitmap* p = &picture;
    if (picture.pixelFormat() != platform::PixelFormat::Bits32) {
        converted = picture;
        converted.setPixelFormat(platform::PixelFormat::Bits32);
        p = &converted;
    }
    const FrameComposer at(planeOf(frame), canvas.view());
    const ConstPlane pic{p->bits(), p->width(), p->height(), p->stride(), 4};
    const QRect area = canvas.view().area().intersected(QRect(0, 0, frame.width(), frame.height()));
    drawAt(planeOf(frame), pic, at.outX(x), at.outY(y), 256, area);
    canvas.changed(coveredBy(pic, at.outX(x), at.outY(y)).intersected(area));
}

SmoothPicture::SmoothPicture(platform::Canvas& canvas, platform::Bitmap& frame)
    : canvas_(canvas), frame_(frame), composer_(planeOf(frame), canvas.view()) {}

void SmoothPicture::reset() {
    shown_.reset();
    composer_.reset();
}

void SmoothPicture::draw(const SmoothPage& page, std::int64_t t) {
    const SmoothPage::Frame f = page.frameAt(t);
    if (f.picture == SmoothPage::Picture::Lines) {
        if (shown_ != f.picture) composer_.reset();
        shown_ = f.picture;
        for (const QRect& r : composer_.compose(composedLines(page, f)))
            canvas_.changed(r);
        return;
    }
    if (shown_ == f.picture && number_ == f.number) return;
    shown_ = f.picture;
    number_ = f.number;
    std::memset(frame_.bits(), 0, std::size_t(frame_.stride()) * frame_.height());
    canvas_.copyMode = platform::CopyMode::SrcCopy;
    if (f.picture == SmoothPage::Picture::ColorBars) effects::DrawColorBars(canvas_);
    if (f.picture == SmoothPage::Picture::CountDown) effects::DrawCountDown(canvas_, f.number);
    canvas_.changed(QRect(0, 0, frame_.width(), frame_.height()));
}

} // namespace velmora
