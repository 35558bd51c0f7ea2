#include "live/on_air.h"

#include <algorithm>

namespace velmora::live {

// What a page on the stage asks of the waves. A page is made when it is cued, so that its first
// strip is ready before the take; what it asks of its waves until then waits for the take.
class OnAir::Waves : public PlayControl {
public:
    explicit Waves(PlayControl& real) : real_(real) {}
    bool stopped() const override { return false; }
    void pump() override {}
    void holdForSpaceBar(bool) override {}
    bool openWave(int line, const QString& file) override {
        if (started_) return real_.openWave(line, file);
        line_ = line;
        file_ = file;
        return true;
    }
    void playWave() override {
        if (started_) real_.playWave();
        else play_ = true;
    }
    void closeWave() override {
        if (started_) real_.closeWave();
        file_.clear();
        play_ = false;
    }
    void beforeMove() override {
        if (started_) real_.beforeMove();
    }
    void start() {
        started_ = true;
        if (!file_.isEmpty() && real_.openWave(line_, file_) && play_) real_.playWave();
    }

private:
    PlayControl& real_;
    bool started_ = false, play_ = false;
    int line_ = 0;
    QString file_;
};

// A page on the stage, or made ready for it: its own copy of the page (the smooth page refers to
// it, and edits change it), the show time its page time counts from, and whether it is on air.
struct OnAir::Aired {
    Aired(int r, const PageImage& p, const ShowOptions& options, const platform::StageView& view,
          PlayControl& control)
        : row(r), page(p), waves(control),
          play(page, options, view, waves, std::nullopt, /*onAir=*/true) {}
    int row;
    PageImage page;
    Waves waves;
    std::int64_t origin = 0;
    bool live = true;
    SmoothPage play;
    // Each line's coverage, made for the strip it was made for (and the edit it followed).
    struct Cover {
        const std::uint8_t* of = nullptr;
        int edit = -1;
        StripCoverage alpha;
    };
    std::array<Cover, 3> covers;
    std::array<int, 3> edits{};
};

OnAir::OnAir(std::vector<QString> numbers, std::vector<PageImage> pages,
             const ShowOptions& options, const platform::StageView& view, PlayControl& control)
    : numbers_(std::move(numbers)), pages_(std::move(pages)), options_(options), view_(view),
      control_(control) {
    numbers_.resize(pages_.size());
    options_.leaders = false;
    if (!pages_.empty()) cue(0);
}

OnAir::~OnAir() = default;

RundownRow OnAir::row(int r) const {
    RundownRow row;
    if (r < 0 || r >= rows()) return row;
    row.number = numbers_[std::size_t(r)];
    for (int n = 0; n < 3; ++n)
        row.texts[std::size_t(n)] = pages_[std::size_t(r)].lines[std::size_t(n)].Text;
    return row;
}

int OnAir::rowOfNumber(const QString& typed) const {
    bool ok = false;
    const QString t = typed.trimmed();
    const int number = t.toInt(&ok);
    if (!ok || t.isEmpty() || t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+')))
        return -1;
    for (int r = 0; r < rows(); ++r)
        if (numbers_[std::size_t(r)].toInt() == number) return r;
    return -1;
}

void OnAir::cue(int r) {
    cued_ = r >= 0 && r < rows() ? r : -1;
    // Made now, its first strip drawn: the take only starts it.
    if (cued_ < 0) ready_.reset();
    else if (!ready_ || ready_->row != cued_)
        ready_ = std::make_unique<Aired>(cued_, pages_[std::size_t(cued_)], options_, view_, control_);
}

void OnAir::next() {
    const int from = cued_ >= 0 ? cued_ : onAir();
    if (from + 1 < rows()) cue(from + 1);
    else if (from < 0 && rows() > 0) cue(0);
}

int OnAir::onAir() const {
    if (aired_.empty() || !aired_.back()->live) return -1;
    return aired_.back()->row;
}

bool OnAir::moving() const {
    for (const auto& a : aired_)
        if (!a->live || !a->play.resting()) return true;
    return false;
}

void OnAir::retire(std::int64_t t, std::int64_t lead) {
    if (aired_.empty() || !aired_.back()->live) return;
    Aired& a = *aired_.back();
    a.live = false;
    a.play.takeOut(t - a.origin, lead);
}

void OnAir::take(std::int64_t t, std::int64_t lead) {
    if (cued_ < 0) return;
    lead = std::max<std::int64_t>(lead, 0);
    advanceTo(t);
    retire(t, lead);
    // More pages going out than the stage composes: the oldest is cut.
    while (int(aired_.size()) >= MaxPages)
        aired_.erase(aired_.begin());
    if (!ready_ || ready_->row != cued_) cue(cued_);
    ready_->origin = t - lead;
    ready_->waves.start();
    aired_.push_back(std::move(ready_));
    cue(cued_ + 1 < rows() ? cued_ + 1 : -1);
    ++changes_;
    advanceTo(t);
}

void OnAir::clear(std::int64_t t, std::int64_t lead) {
    if (onAir() < 0) return;
    advanceTo(t);
    retire(t, std::max<std::int64_t>(lead, 0));
    ++changes_;
    advanceTo(t);
}

void OnAir::cut(std::int64_t t) {
    if (aired_.empty()) return;
    for (auto& a : aired_)
        a->play.blackNow(t - a->origin);
    aired_.clear();
    ++changes_;
}

void OnAir::edit(int r, const PageImage& page) {
    if (r < 0 || r >= rows()) return;
    pages_[std::size_t(r)] = page;
    // The cued page is made again from the edit.
    if (ready_ && ready_->row == r) {
        ready_.reset();
        cue(r);
    }
    for (auto& a : aired_) {
        if (a->row != r) continue;
        for (int n = 1; n <= 3; ++n) {
            PageImage::Line& was = a->page.lines[std::size_t(n - 1)];
            const PageImage::Line& now = page.lines[std::size_t(n - 1)];
            if (was.Text == now.Text && was.FontStyle == now.FontStyle && was.attrs == now.attrs)
                continue;
            // A line on the stage keeps the place and paths its moves were made from; one that
            // was not in use takes the edit's.
            if (!was.attrs.InUse) was = now;
            was.Text = now.Text;
            was.FontStyle = now.FontStyle;
            was.attrs = now.attrs;
            a->play.lineEdited(n);
            ++a->edits[std::size_t(n - 1)];
            ++edits_;
            ++changes_;
        }
    }
}

void OnAir::advanceTo(std::int64_t t) {
    for (auto& a : aired_)
        a->play.advanceTo(t - a->origin);
    const auto gone = std::remove_if(aired_.begin(), aired_.end(),
                                     [](const auto& a) { return a->play.finished(); });
    if (gone != aired_.end()) {
        aired_.erase(gone, aired_.end());
        ++changes_;
    }
}

OnAir::Lines OnAir::linesAt(std::int64_t t) const {
    Lines lines{};
    std::size_t at = 0;
    for (const auto& a : aired_) {
        const SmoothPage::Frame f = a->play.frameAt(t - a->origin);
        if (f.picture != SmoothPage::Picture::Lines) continue;
        for (const FrameComposer::Line& l : composedLines(a->play, f))
            lines[at++] = l;
    }
    return lines;
}

OnAir::Lines OnAir::keyLinesAt(std::int64_t t) {
    Lines lines = linesAt(t);
    std::size_t at = 0;
    for (const auto& a : aired_) {
        const SmoothPage::Frame f = a->play.frameAt(t - a->origin);
        if (f.picture != SmoothPage::Picture::Lines) continue;
        for (int n = 1; n <= 3; ++n, ++at) {
            FrameComposer::Line& l = lines[at];
            if (l.picture.isEmpty()) continue;
            Aired::Cover& c = a->covers[std::size_t(n - 1)];
            if (c.of != l.picture.bits || c.edit != a->edits[std::size_t(n - 1)]) {
                const PageImage::Line& line = a->page.lines[std::size_t(n - 1)];
                c.alpha = renderTitleCoverage(stripInputOf(line, view_));
                // A picture covers its whole rectangle.
                if (c.alpha.isEmpty() || c.alpha.width != l.picture.width ||
                    c.alpha.height != l.picture.height) {
                    c.alpha.width = l.picture.width;
                    c.alpha.height = l.picture.height;
                    c.alpha.alpha.assign(std::size_t(l.picture.width) * l.picture.height, 255);
                }
                c.of = l.picture.bits;
                c.edit = a->edits[std::size_t(n - 1)];
            }
            l.picture = {c.alpha.alpha.data(), c.alpha.width, c.alpha.height, c.alpha.width, 1};
        }
    }
    return lines;
}

} // namespace velmora::live
