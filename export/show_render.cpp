#include "export/show_render.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <QFile>
#include <QFileInfo>

#include "export/show_coverage.h"
#include "model/editor_state.h"
#include "model/page_file.h"
#include "platform/Canvas.h"
#include "platform/Dialogs.h"
#include "platform/WaveFile.h"
#include "player/movement.h"
#include "player/page_player.h"
#include "player/smooth_page.h"
#include "player/show_clock.h"
#include "player/strip.h"
#include "render/effects.h"

namespace velmora {

namespace {

// What the player asks of the show, answered at the render's pace: nothing waits for a key, a
// wait for the space bar lasts the manual hold, and every move and wave is noted in the
// timeline.
class RenderControl : public PlayControl {
public:
    RenderControl(RenderClock& clock, ShowRun& run, std::int64_t manualHold,
                  const std::function<bool()>& stop, ShowCoverage* coverage,
                  const std::function<void()>& coverageChanged, const platform::StageView& view)
        : clock_(clock), run_(run), manualHold_(manualHold), stop_(stop), coverage_(coverage),
          coverageChanged_(coverageChanged), view_(view) {}

    void startPage(int page, const PageImage& image) {
        page_ = page;
        image_ = &image;
        inUse_.clear();
        for (int n = 1; n <= 3; ++n)
            if (image.lines[n - 1].attrs.InUse) inUse_.push_back(n);
        moves_ = 0;
        inMove_ = 0;
        for (auto& c : strips_)
            c.reset();
        if (coverage_) coverage_->setStrip(nullptr);
    }

    // The leaders come first on a page that has them and end where the page asks for the
    // space bar; their frames are opaque.
    void startLeaders() {
        if (!coverage_) return;
        coverage_->setOpaque(true);
        coverageChanged_();
    }

    bool stopped() const override { return !run_.error.isEmpty() || stop_(); }
    void pump() override {}
    void holdForSpaceBar(bool manual) override {
        if (coverage_ && coverage_->opaque()) {
            coverage_->setOpaque(false);
            coverageChanged_();
        }
        if (manual) clock_.advance(manualHold_);
    }
    bool openWave(int, const QString& file) override {
        QString why;
        if (!platform::readWaveFile(file, &why)) {
            run_.error = QStringLiteral("cannot play the wave: %1").arg(why);
            return false;
        }
        pendingWave_ = file;
        return true;
    }
    void playWave() override {
        run_.waves.push_back({pendingWave_, clock_.now(), -1});
        playing_ = true;
    }
    void closeWave() override {
        if (playing_) run_.waves.back().stop = clock_.now();
        playing_ = false;
        // The player lets a wave go when its line has moved in.
        if (inMove_) {
            note(ShowEvent::MoveInEnd, inMove_);
            inMove_ = 0;
        }
    }
    void beforeMove() override {
        const std::size_t k = moves_++;
        int line = 0;
        if (k < inUse_.size()) {
            line = inMove_ = inUse_[k];
            note(ShowEvent::MoveIn, inMove_);
        } else if (k - inUse_.size() < inUse_.size()) {
            line = inUse_[k - inUse_.size()];
            note(ShowEvent::MoveOut, line);
        }
        if (coverage_) coverage_->setStrip(line ? &stripCoverage(line) : nullptr);
    }

    void note(ShowEvent::Kind kind, int line = 0) {
        run_.events.push_back({kind, clock_.now(), page_, line});
    }

    // The coverage of a line's strip, made as the player makes the strip.
    const StripCoverage& stripCoverage(int n) {
        std::optional<StripCoverage>& c = strips_[std::size_t(n - 1)];
        if (!c) {
            const PageImage::Line& line = image_->lines[std::size_t(n - 1)];
            c = renderTitleCoverage(stripInputOf(line, view_));
        }
        return *c;
    }

private:
    RenderClock& clock_;
    ShowRun& run_;
    std::int64_t manualHold_;
    const std::function<bool()>& stop_;
    ShowCoverage* coverage_;
    const std::function<void()>& coverageChanged_;
    platform::StageView view_;
    const PageImage* image_ = nullptr;
    std::array<std::optional<StripCoverage>, 3> strips_;
    int page_ = 0;
    std::vector<int> inUse_;
    std::size_t moves_ = 0;
    int inMove_ = 0;
    QString pendingWave_;
    bool playing_ = false;
};

void clearToBlack(platform::Bitmap& b) {
    std::memset(b.bits(), 0, std::size_t(b.stride()) * b.height());
}

// What the player tells the user while the show renders (a title too large, a picture it
// cannot read) is what the render leaves out: noted once each, and nobody is asked.
class OmissionNotes : public platform::Dialogs {
public:
    explicit OmissionNotes(std::vector<QString>& notes)
        : next_(platform::dialogs()), notes_(notes) {
        // The provider installed before, if any (none: the default one, which may change).
        platform::setDialogs(nullptr);
        installed_ = &platform::dialogs() == &next_ ? nullptr : &next_;
        platform::setDialogs(this);
    }
    ~OmissionNotes() override { platform::setDialogs(installed_); }

    platform::Answer message(platform::MsgKind kind, const QString& text,
                             platform::MsgButtons buttons) override {
        if (kind == platform::MsgKind::Error || kind == platform::MsgKind::Warning) {
            if (std::find(notes_.begin(), notes_.end(), text) == notes_.end())
                notes_.push_back(text);
            return platform::Answer::OK;
        }
        return next_.message(kind, text, buttons);
    }
    std::optional<QString> openFile(const platform::FileDialogOptions& o) override {
        return next_.openFile(o);
    }
    std::optional<QString> saveFile(const platform::FileDialogOptions& o) override {
        return next_.saveFile(o);
    }
    std::optional<platform::TColor> chooseColor(platform::TColor c) override {
        return next_.chooseColor(c);
    }
    bool printSetup() override { return next_.printSetup(); }
    int runModal(QDialog& d) override { return next_.runModal(d); }

private:
    platform::Dialogs& next_;
    platform::Dialogs* installed_ = nullptr;
    std::vector<QString>& notes_;
};

} // namespace

void resolveFrameSize(ShowRenderOptions& options, const ShowProject& project) {
    if (options.width > 0 && options.height > 0) return;
    // A side the project does not give is that of the usual frame.
    const int w = project.settings.StageWidth > 0 ? project.settings.StageWidth : 1920;
    const int h = project.settings.StageHeight > 0 ? project.settings.StageHeight : 1080;
    options.width = w;
    options.height = h;
    if (std::int64_t(w) * MaxFrameHeight > std::int64_t(h) * MaxFrameWidth &&
        w > MaxFrameWidth) {
        options.width = MaxFrameWidth;
        options.height = int(std::int64_t(h) * MaxFrameWidth / w);
    } else if (h > MaxFrameHeight) {
        options.height = MaxFrameHeight;
        options.width = int(std::int64_t(w) * MaxFrameHeight / h);
    }
    // Even sides, down when fitted (the limit is even), else up by a black edge.
    const bool fitted = options.width != w || options.height != h;
    options.width =
        std::max(2, fitted ? options.width & ~1 : options.width + options.width % 2);
    options.height =
        std::max(2, fitted ? options.height & ~1 : options.height + options.height % 2);
}

platform::StageView stageOnFrame(const ShowProject& project, int frameWidth, int frameHeight) {
    // A side the project does not give is the frame's.
    const int w = project.settings.StageWidth > 0 ? project.settings.StageWidth : frameWidth;
    const int h = project.settings.StageHeight > 0 ? project.settings.StageHeight : frameHeight;
    // An odd stage made even keeps its own pixels: scaling it by 802/801 would move pictures by
    // a pixel and soften their edges.
    if (frameWidth - w >= 0 && frameWidth - w <= 1 && frameHeight - h >= 0 &&
        frameHeight - h <= 1) {
        platform::StageView v;
        v.stageWidth = w;
        v.stageHeight = h;
        return v;
    }
    return platform::StageView::fit(w, h, frameWidth, frameHeight);
}

ShowRun renderShow(const ShowProject& project, const ShowRenderOptions& asked,
                   const FrameFn& onFrame, const std::atomic<bool>* cancel) {
    ShowRun run;
    run.omitted = project.omitted;
    const OmissionNotes notes(run.omitted);
    ShowRenderOptions options = asked;
    resolveFrameSize(options, project);
    const platform::StageView view = stageOnFrame(project, options.width, options.height);
    // Without frames to hand over only the show's timing counts, in which the framebuffer takes
    // no part (the movements and leaders count in stage pixels): a single pixel clips every copy
    // away and the timeline costs little. The stage is then drawn at scale 1, as the timing does
    // not depend on the scale.
    const int width = onFrame ? options.width : 1, height = onFrame ? options.height : 1;
    platform::Bitmap frame(width, height, platform::PixelFormat::Bits32);
    platform::Canvas canvas(frame);
    canvas.setView(onFrame ? view
                           : platform::StageView::fit(view.stageWidth, view.stageHeight,
                                                      view.stageWidth, view.stageHeight));
    // What was drawn since the last frame.
    ChangedTiles changed(width, height);
    changed.addAll();
    canvas.setPresenter([&changed](const QRect& r) { changed.add(r); });
    std::optional<ShowCoverage> coverage;
    if (options.coverage && onFrame) {
        coverage.emplace(options.width, options.height);
        coverage->setClip(view.area());
        canvas.setObserver([&coverage](const platform::CopyRecord& r) { coverage->copied(r); });
    }
    const std::function<void()> coverageChanged = [&changed] { changed.addAll(); };
    bool refused = false;
    const std::function<bool()> stop = [&] {
        return refused || (cancel && cancel->load(std::memory_order_relaxed));
    };
    // A smooth page draws each frame at its own time, as it is handed over.
    struct Smooth {
        SmoothPage* page = nullptr;
        std::int64_t start = 0;
        std::optional<SmoothPicture> picture;
        std::optional<FrameComposer> coverage;
    } smooth;
    const Motion motion = options.motion.value_or(project.settings.motion);
    std::function<void(std::int64_t)> drawSmooth;
    RenderClock clock(options.rate, [&](std::int64_t k) {
        if (stop() || !onFrame) return;
        if (smooth.page) drawSmooth(options.rate.frameTime(k) - smooth.start);
        const ShowFrame shown{frame, coverage ? coverage->plane() : nullptr, changed};
        if (!onFrame(k, shown)) refused = true;
        changed.clear();
    });
    const ClockScope scope(clock);
    RenderControl control(clock, run, options.manualHoldNanos, stop,
                          coverage ? &*coverage : nullptr, coverageChanged, canvas.view());
    auto clear = [&] {
        clearToBlack(frame);
        if (coverage) coverage->clear();
        changed.addAll();
    };
    // Where the leaders clear the playback window, they clear the framebuffer.
    struct Hooks {
        std::function<void()> invalidate;
        std::function<void(int)> fade;
        ~Hooks() {
            effects::setInvalidateHook(std::move(invalidate));
            effects::exchangeFadeHook(std::move(fade));
        }
    } hooks{effects::exchangeInvalidateHook(clear), effects::exchangeFadeHook([&coverage](int k) {
                if (coverage) coverage->setFadeLevel(k);
            })};

    drawSmooth = [&](std::int64_t t) {
        const SmoothPage& page = *smooth.page;
        smooth.picture->draw(page, t);
        if (!coverage) return;
        const SmoothPage::Frame f = page.frameAt(t);
        if (f.leader != coverage->opaque()) {
            coverage->setOpaque(f.leader);
            smooth.coverage->reset();
            changed.addAll();
        }
        if (f.picture != SmoothPage::Picture::Lines) return;
        std::array<FrameComposer::Line, 3> lines = composedLines(page, f);
        for (int n = 1; n <= 3; ++n) {
            FrameComposer::Line& l = lines[std::size_t(n - 1)];
            const StripCoverage* c = l.picture.isEmpty() ? nullptr : &control.stripCoverage(n);
            l.picture = c && !c->isEmpty()
                            ? ConstPlane{c->alpha.data(), c->width, c->height, c->width, 1}
                            : ConstPlane{};
        }
        for (const QRect& r : smooth.coverage->compose(lines))
            changed.add(r);
    };
    auto playSmooth = [&](const PageImage& page, const ShowOptions& show) {
        SmoothPage played(page, show, canvas.view(), control, options.manualHoldNanos);
        smooth.page = &played;
        smooth.start = clock.now();
        smooth.picture.emplace(canvas, frame);
        if (coverage)
            smooth.coverage.emplace(
                Plane{coverage->bits(), coverage->width(), coverage->height(), coverage->width(), 1},
                canvas.view());
        while (!played.finished() && !control.stopped()) {
            // Every frame before the next change is drawn as the clock hands it over; the change
            // then happens at its own time, which the timeline notes.
            const std::int64_t at = played.nextChange();
            clock.advance(smooth.start + at - clock.now());
            played.advanceTo(at);
        }
        // The frames from the page's end on show what it left, as the screen does.
        if (onFrame && !stop()) drawSmooth(played.endTime());
        smooth.page = nullptr;
        smooth.picture.reset();
        smooth.coverage.reset();
        if (coverage && coverage->opaque()) coverage->setOpaque(false);
    };

    const int first = options.firstPage.value_or(0);
    const int last = std::min(options.lastPage.value_or(int(project.pages.size()) - 1),
                              int(project.pages.size()) - 1);
    for (int i = first; i <= last && !control.stopped(); ++i) {
        const PageImage& page = project.pages[std::size_t(i)];
        const std::int64_t pause = std::int64_t(std::max(0, page.settings.PauseTime)) * 1000000000;
        control.startPage(i, page);
        control.note(ShowEvent::PageStart);
        clear();
        clock.advance(pause);
        control.note(ShowEvent::PlayStart);
        clear();

        ShowOptions show;
        show.leaders = options.leaders && project.pageNames[std::size_t(i)] == QLatin1String("000");
        show.useColorBars = project.settings.UseColorBars;
        show.useCountDown = project.settings.UseCountDown;
        show.holdTime = project.settings.Holdtime;
        show.screenBits = 32;
        show.stripFormat = platform::PixelFormat::Bits32;
        if (show.leaders && ((show.useColorBars && show.holdTime > 0) || show.useCountDown))
            control.startLeaders();
        if (motion == Motion::Smooth && RasterOperation(show.rasterEffect) == platform::CopyMode::SrcCopy)
            playSmooth(page, show);
        else
            playPage(page, show, canvas, control);
        control.note(ShowEvent::PageEnd);
        clock.advance(pause);
    }
    control.note(ShowEvent::ShowEnd);
    run.cancelled = stop();
    if (!run.cancelled) clock.finish();
    run.duration = clock.now();
    run.frames = clock.nextFrame();
    run.rate = options.rate;
    for (ShowWave& w : run.waves)
        if (w.stop < 0) w.stop = run.duration;
    return run;
}

QString timelineText(const ShowProject& project, const ShowRun& run) {
    auto secs = [](std::int64_t ns) { return QString::number(double(ns) / 1e9, 'f', 3); };
    QString out;
    const std::vector<ShowEvent>& ev = run.events;
    for (std::size_t i = 0; i < ev.size(); ++i) {
        if (ev[i].kind != ShowEvent::PageStart) continue;
        const int page = ev[i].page;
        std::size_t end = i + 1;
        while (end < ev.size() && ev[end].kind != ShowEvent::PageStart &&
               ev[end].kind != ShowEvent::ShowEnd)
            ++end;
        std::int64_t playStart = ev[i].time, pageEnd = ev[i].time, lastIn = -1, firstOut = -1;
        struct LineTimes {
            std::int64_t in = -1, inEnd = -1, out = -1, outEnd = -1;
        } lines[3];
        int lastOutLine = 0;
        for (std::size_t k = i + 1; k < end; ++k) {
            const ShowEvent& e = ev[k];
            switch (e.kind) {
            case ShowEvent::PlayStart:
                playStart = e.time;
                break;
            case ShowEvent::MoveIn:
                lines[e.line - 1].in = e.time;
                break;
            case ShowEvent::MoveInEnd:
                lines[e.line - 1].inEnd = e.time;
                lastIn = e.time;
                break;
            case ShowEvent::MoveOut:
                if (firstOut < 0) firstOut = e.time;
                if (lastOutLine) lines[lastOutLine - 1].outEnd = e.time;
                lines[e.line - 1].out = e.time;
                lastOutLine = e.line;
                break;
            case ShowEvent::PageEnd:
                pageEnd = e.time;
                if (lastOutLine) lines[lastOutLine - 1].outEnd = e.time;
                break;
            default:
                break;
            }
        }
        const std::int64_t hold = firstOut >= 0 && lastIn >= 0 ? firstOut - lastIn : 0;
        out += QStringLiteral("Page %1  starts %2 s  plays from %3 s  hold %4 s  lines gone %5 s\n")
                   .arg(project.pageNames[std::size_t(page)], secs(ev[i].time), secs(playStart),
                        secs(hold), secs(pageEnd));
        for (int n = 1; n <= 3; ++n) {
            const LineTimes& t = lines[n - 1];
            if (t.in < 0) continue;
            const std::int64_t inLen = (t.inEnd >= 0 ? t.inEnd : pageEnd) - t.in;
            const std::int64_t outLen =
                t.out >= 0 ? (t.outEnd >= 0 ? t.outEnd : pageEnd) - t.out : 0;
            out +=
                QStringLiteral("  line %1  moves in at %2 s for %3 s  moves out at %4 s for %5 s\n")
                    .arg(n)
                    .arg(secs(t.in), secs(inLen), secs(t.out), secs(outLen));
        }
    }
    out += QStringLiteral("Total %1 s: %2 frames at %3 frames a second\n")
               .arg(secs(run.duration))
               .arg(run.frames)
               .arg(QString::number(run.rate.perSecond(), 'g', 6));
    return out;
}

} // namespace velmora
