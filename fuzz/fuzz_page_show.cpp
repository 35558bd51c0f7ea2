// One page file taken through all the program does with it on the screen without a person:
// read and decoded into the page document as the program loads a page; played with its leaders
// onto a small screen under a clock that counts instead of waiting, once with the file's
// direction codes and once with codes of the harness's choosing (every code 0..13 in turn over
// the runs); then shown on the align screen, without its window: the strips rendered and
// framed, the paths drawn and crawling, the grids, a strip dragged, a stroke recorded as the screen
// records mouse moves, a path started afresh, the edits undone and redone, the resting places
// taken on leaving, and the edits undone and redone once more after leaving; and played
// smoothly, with its course changed at one of its changes. Every path counter
// stays in -1..999, every strip within its limits.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <tuple>
#include <QPoint>
#include <QRect>

#include "fuzz/fuzz_support.h"
#include "model/commands/align_commands.h"
#include "model/editor_state.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/Pump.h"
#include "platform/Screen.h"
#include "player/align_drawing.h"
#include "player/page_player.h"
#include "player/smooth_page.h"
#include "player/show_clock.h"
#include "player/strip.h"
#include "render/effects.h"

using namespace velmora;
using fuzzsupport::require;
using platform::Bitmap;
using platform::Canvas;
using platform::PixelFormat;

namespace {

// Where the choices lie in the reserved field (see fuzzsupport::Choices).
enum ChoiceAt {
    Switches = 0,    // bit 0, 1: play A, B accept waves; 2: B in align mode; 3: easy slow down;
                     // 4, 5: grid 1, 2 shown; 6: the path is started afresh; 7: every path armed
    Raster = 1,      // "Effects ?": 0..7 (7 is outside the slider's range)
    ScreenW = 2,     // 1..128 pixels
    ScreenH = 3,     // 1..96 pixels
    Depth = 4,       // bits 0, 1: 8, 16, 24 or 32 bits a pixel; bits 2..7: colour bar seconds
    Codes = 5,       // 5..10: play B's IN codes of lines 1..3, then the OUT codes, each mod 14
    StrokeLine = 11, // bits 0, 1: the path button down (0: the first armed path); bit 2: out
    Moves = 12,      // mouse moves of the stroke, 1..256
    Limit = 13,      // how far drawing may fill a path: 999 unless 240 or more
    StopAfter = 14,  // bits 0..2: play B stops after this many fixed points (0: never); bits
                     // 3..5: what the smooth play is told at its change "Moves" (see playSmooth)
    Ticks = 15,      // bits 0, 1: marquee ticks, 0..3; bits 2, 3: the strip dragged (0: none)
    Pointer = 16,    // 16..63: the pointer's positions, x and y, relative to the window
};

constexpr std::uint64_t FramePeriod = 16666667; // a 60 Hz display

// The framebuffer's changes as a window would collect them; presenting just takes them.
class Presenter : public FrameTarget {
public:
    explicit Presenter(Canvas& canvas) {
        canvas.setPresenter([this](const QRect& r) { dirty_ |= r; });
    }
    bool hasChanges() const override { return !dirty_.isEmpty(); }
    void present() override { dirty_ = QRect(); }

private:
    QRect dirty_;
};

// What the player asks of the playback window: the space bar is pressed at once; a wave opens
// or is refused as a missing file is; the show may be stopped at a fixed point.
class Control : public PlayControl {
public:
    Control(bool acceptWaves, int stopAfter) : accept_(acceptWaves), stopAfter_(stopAfter) {}

    bool stopped() const override { return stopAfter_ > 0 && pumps_ >= stopAfter_; }
    void pump() override {
        ++pumps_;
        if (clock) clock->flush();
        platform::pump();
    }
    void holdForSpaceBar(bool) override {}
    bool openWave(int line, const QString&) override {
        require(line >= 1 && line <= 3 && line > lastWaveLine, "waves open in line order");
        lastWaveLine = line;
        if (!accept_) {
            platform::dialogs().message(platform::MsgKind::Error, QStringLiteral("no wave"),
                                        platform::MsgButtons::OK);
            refusedLine = line;
        }
        return accept_;
    }
    void playWave() override {}
    void closeWave() override {}

    ShowClock* clock = nullptr;
    int lastWaveLine = 0;
    int refusedLine = 0;

private:
    bool accept_;
    int stopAfter_;
    int pumps_ = 0;
};

struct Screen {
    int width, height, depth;
    ShowOptions options;
};

Screen screenOf(const fuzzsupport::Choices& c) {
    static constexpr int Depths[4] = {8, 16, 24, 32};
    Screen s{1 + c.byte(ScreenW) % 128, 1 + c.byte(ScreenH) % 96, Depths[c.byte(Depth) & 3], {}};
    ShowOptions& o = s.options;
    o.leaders = true;
    o.useColorBars = true;
    o.useCountDown = true;
    o.holdTime = (c.byte(Depth) >> 2) % 4;
    o.easySlowdown = c.bit(Switches, 3);
    o.rasterEffect = std::int16_t(c.byte(Raster) % 8);
    // As the playback window sets them from the screen's depth.
    o.screenBits = std::int8_t(s.depth);
    o.stripFormat = s.depth == 32 ? PixelFormat::Bits32 : PixelFormat::Bits24;
    return s;
}

void requireStripWithinLimits(const Strip& strip, StripResult result) {
    const Bitmap& p = strip.picture;
    if (result == StripResult::TooLarge || result == StripResult::BitmapFailed) {
        require(p.isEmpty(), "a refused strip holds no picture");
        return;
    }
    require(!p.isEmpty(), "a rendered strip holds a picture");
    require(!StripTooLarge(p.width(), p.height(), platform::Screen::width(),
                          platform::Screen::height()), "a rendered strip is within four screens");
}

// Plays the page as the playback window does: names resolved in the project's folder, the
// show clock over the counting clock, and what the play changed written back to the document.
PlayOutcome play(PageDocument& doc, const PageImage& asPlayed, const ShowOptions& options,
                 Canvas& canvas, Control& control, const fuzzsupport::ProjectFolder& folder) {
    PageImage page = asPlayed;
    folder.resolveNames(page);
    const int w = canvas.width(), h = canvas.height();
    PlayOutcome outcome;
    {
        Presenter presenter(canvas);
        ShowClock clock(platform::clock(), presenter, FramePeriod);
        const ClockScope scope(clock);
        control.clock = &clock;
        outcome = playPage(page, options, canvas, control);
        clock.flush();
        control.clock = nullptr;
        canvas.setPresenter({});
    }
    require(canvas.width() == w && canvas.height() == h &&
                canvas.bitmap().pixelFormat() == PixelFormat::Bits32,
            "the framebuffer keeps its size and format");
    for (int n = 1; n <= 3; ++n) {
        const auto& l = page.lines[n - 1];
        if (!l.attrs.InUse)
            require(outcome.restX[n - 1] == l.PosX && outcome.restY[n - 1] == l.PosY &&
                        !outcome.bitmapFailed[n - 1] && !outcome.waveFailed[n - 1],
                    "a line not in use keeps its place and its names");
        if (outcome.bitmapFailed[n - 1])
            require(QFileInfo(l.attrs.BitmapFile).isFile(),
                    "only a picture file that is there can fail to be read");
        require(outcome.waveFailed[n - 1] == (control.refusedLine == n),
                "a wave refused is reported for its line only");
    }
    if (control.refusedLine)
        require(control.lastWaveLine == control.refusedLine,
                "the page ends at the wave that was refused");
    // As the playback window does after every play.
    for (int n = 1; n <= 3; ++n) {
        if (outcome.bitmapFailed[n - 1]) doc.line(n).BitmapFile.clear();
        if (outcome.waveFailed[n - 1]) doc.line(n).WaveFile.clear();
        doc.setTitlePos(n, outcome.restX[n - 1], outcome.restY[n - 1]);
    }
    return outcome;
}

// The page played smoothly onto the canvas, as the playback window plays a Smooth project, a
// few frames drawn in every phase; at one of its changes it is sent out, cut to black, held
// and let go, or its space-bar wait released. It always ends, every line's state is one a
// frame can draw, and the margins stay black.
void playSmooth(const PageImage& asPlayed, const ShowOptions& options, Canvas& canvas,
                const fuzzsupport::ProjectFolder& folder, const fuzzsupport::Choices& c) {
    PageImage page = asPlayed;
    folder.resolveNames(page);
    Control control(true, 0);
    SmoothPage played(page, options, canvas.view(), control, std::nullopt);
    SmoothPicture picture(canvas, canvas.bitmap());
    const int command = (c.byte(StopAfter) >> 3) & 7, at = c.byte(Moves) % 16;
    std::int64_t now = 0;
    for (int change = 0; !played.finished(); ++change) {
        require(change < 64, "a smooth page ends after a few changes");
        std::int64_t next = played.nextChange();
        if (next == SmoothPage::Never) {
            require(played.waitingForSpaceBar() || played.held(), "only a wait has no end");
            played.held() ? played.goOn(now + 1000000) : played.releaseSpaceBar(now);
            continue;
        }
        require(next >= now, "the page's changes come in order");
        for (int k = 0; k < 3; ++k) {
            const std::int64_t t = now + (next - now) / 3 * k;
            picture.draw(played, t);
            for (const LineState& l : played.frameAt(t).lines)
                require(l.opacity >= 0 && l.opacity <= 256 && l.span >= 0 && l.span <= FixedOne,
                        "a line's state is one a frame can draw");
        }
        if (change == at && command == 1) played.takeOut(now);
        if (change == at && command == 2) played.blackNow(now);
        if (change == at && command == 3) played.hold(now);
        if (!played.finished() && played.nextChange() != SmoothPage::Never) {
            now = played.nextChange();
            played.advanceTo(now);
        }
    }
    picture.draw(played, now);
    const Bitmap& out = canvas.bitmap();
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            require(canvas.view().area().contains(x, y) || (out.pixel(x, y) & 0xFFFFFF) == 0,
                    "the margins outside the stage stay black");
}

// The align screen without its window: what TCan does from StartAlign to ExitAlignClick, with
// the same calls into the document, the drawing and the strips.
class AlignScreen {
public:
    AlignScreen(PageDocument& doc, Canvas& canvas, const fuzzsupport::ProjectFolder& folder,
                const fuzzsupport::Choices& choices)
        : doc_(doc), canvas_(canvas), folder_(folder), c_(choices) {
        maxPathIndex_ = c_.byte(Limit) >= 240 ? c_.byte(Limit) - 240 : 999;
    }

    void open() {
        doc_.setAligning(true);
        canvas_.bitmap().fill(platform::clBlack);
        forEachShownPath([this](int n, const Path& path) {
            canvas_.pen.color = lineColor(n);
            drawPathLines(canvas_, path);
        });
        for (int n = 1; n <= 3; ++n) {
            if (!doc_.line(n).InUse || !setupStrip(n)) continue;
            canvas_.draw(doc_.titleX(n), doc_.titleY(n), strips_[n - 1]->picture);
        }
    }

    void ticks() {
        for (int t = 0; t < c_.byte(Ticks) % 4; ++t) {
            marqueePhase_ = !marqueePhase_;
            canvas_.pen.width = 1;
            forEachShownPath([this](int n, const Path& path) {
                PaintMarquee(canvas_, path, path.LastIndex, marqueePhase_, lineColor(n));
            });
            canvas_.pen.color = platform::clBlack;
            if (c_.bit(Switches, 4)) drawGrid(false);
            if (c_.bit(Switches, 5)) drawGrid(true);
            platform::pump();
        }
    }

    // One strip dragged over two pointer positions, as TCan::CanDragOver takes each: one step
    // on the undo stack, the strip kept where its corner stays on the screen.
    void drag() {
        const int n = (c_.byte(Ticks) >> 2) & 3;
        if (n == 0 || !strips_[n - 1]) return;
        for (int k = 0; k < 2; ++k) {
            const QPoint at = pointer(23 - k) * 2;
            const int left = std::clamp(at.x(), 0, std::max(0, platform::Screen::width() - 1));
            const int top = std::clamp(at.y(), 0, std::max(0, platform::Screen::height() - 1));
            const QPoint from = stripAt(n);
            strips_[n - 1]->setPos(left, top);
            const int before = doc_.undoStack().count();
            doc_.undoStack().push(new MoveTitleLine(doc_, n, QPoint(left, top), 1, from));
            require(doc_.titleX(n) == left && doc_.titleY(n) == top,
                    "a dragged strip's line stands where it was dropped");
            require(doc_.undoStack().count() == std::max(before, 1),
                    "the moves of one drag are one step");
        }
    }

    // One stroke with the left button: down, the moves, up.
    void stroke() {
        int line = c_.byte(StrokeLine) & 3;
        bool in = !c_.bit(StrokeLine, 2);
        if (line == 0) {
            // The first path that records, as a user would pick it.
            for (int n = 1; n <= 3 && !line; ++n)
                for (const bool i : {true, false})
                    if (!line && armed(n, i)) std::tie(line, in) = std::pair(n, i);
            if (!line) line = 1;
        }
        mouseDown(line, in, pointer(0));
        for (int k = 0; k <= c_.byte(Moves); ++k)
            mouseMove(line, in, pointer(k).x(), pointer(k).y());
        mouseUp(line);
        if (c_.bit(Switches, 6)) resetPath(line, in);
        requireStripsWhereTheLinesStand();
    }

    // On the screen a line stands where its strip stands: that is where an undo or redo puts
    // the strip, and from where leaving places the line.
    void requireStripsWhereTheLinesStand() const {
        for (int n = 1; n <= 3; ++n)
            if (strips_[n - 1])
                require(stripAt(n) == QPoint(doc_.titleX(n), doc_.titleY(n)),
                        "on the align screen a line stands where its strip stands");
    }

    // Every edit undone gives the paths as they stood before the screen opened; redone, as
    // the edits left them.
    void undoAndRedo(const PageImage& before) {
        QUndoStack& stack = doc_.undoStack();
        PageImage edited = doc_.page();
        while (stack.canUndo())
            stack.undo();
        for (int n = 1; n <= 3; ++n)
            require(doc_.inPath(n) == before.lines[n - 1].InPath &&
                        doc_.outPath(n) == before.lines[n - 1].OutPath &&
                        doc_.titleX(n) == before.lines[n - 1].PosX &&
                        doc_.titleY(n) == before.lines[n - 1].PosY,
                    "undoing every edit of the align screen gives back the paths and places");
        while (stack.canRedo())
            stack.redo();
        // An undo or redo puts the strips where the page now has its lines.
        for (int n = 1; n <= 3; ++n) {
            if (strips_[n - 1]) strips_[n - 1]->setPos(doc_.titleX(n), doc_.titleY(n));
            require(doc_.inPath(n) == edited.lines[n - 1].InPath &&
                        doc_.outPath(n) == edited.lines[n - 1].OutPath,
                    "redoing every edit gives the paths as drawn");
        }
    }

    // TCan::ExitAlignClick; returns where the lines were left.
    std::array<QPoint, 3> exit() {
        doc_.setAligning(false);
        for (int n = 1; n <= 3; ++n) {
            if (!doc_.line(n).InUse || !strips_[n - 1]) continue;
            const QPoint at = stripAt(n);
            const Path& in = doc_.inPath(n);
            const QPoint rest = restingPlace(in, at);
            if (in.LastIndex > 0 && in.LastIndex <= MaxPathPoints)
                require(rest ==
                            QPoint(in.Points[in.LastIndex - 1].x, in.Points[in.LastIndex - 1].y),
                        "a line rests on the last point its in path uses");
            else
                require(rest == at, "a line without an in path rests where its strip stands");
            doc_.setTitlePos(n, rest.x(), rest.y());
        }
        if (doc_.pathsDifferFromBuffer()) doc_.setsav(true);
        std::array<QPoint, 3> left;
        for (int n = 1; n <= 3; ++n) {
            strips_[n - 1].reset();
            left[n - 1] = QPoint(doc_.titleX(n), doc_.titleY(n));
        }
        return left;
    }

    // Undone and redone once the screen is left, the edits put each line where leaving put it.
    void undoAndRedoAfterLeaving(const std::array<QPoint, 3>& left) {
        QUndoStack& stack = doc_.undoStack();
        while (stack.canUndo())
            stack.undo();
        while (stack.canRedo())
            stack.redo();
        for (int n = 1; n <= 3; ++n)
            require(QPoint(doc_.titleX(n), doc_.titleY(n)) == left[n - 1],
                    "after leaving, the align screen's edits redone put a line where leaving did");
    }

private:
    // The window's drawing surface has the screen's size.
    int width() const { return canvas_.width(); }
    int height() const { return canvas_.height(); }
    const Path& path(int n, bool in) const { return in ? doc_.inPath(n) : doc_.outPath(n); }
    bool armed(int n, bool in) const {
        return in ? doc_.line(n).InPathArmed : doc_.line(n).OutPathArmed;
    }
    QPoint stripAt(int n) const { return {strips_[n - 1]->Left, strips_[n - 1]->Top}; }
    // The paths the screen shows, each with its line's number.
    template <typename F> void forEachShownPath(F f) {
        for (int n = 1; n <= 3; ++n)
            for (const bool in : {true, false})
                if (pathShown(path(n, in)) && doc_.line(n).InUse) f(n, path(n, in));
    }

    QPoint pointer(int k) const {
        const int at = Pointer + 2 * (k % 24);
        return {int(c_.byte(at)) - 64, int(c_.byte(at + 1)) - 64};
    }

    bool setupStrip(int n) {
        strips_[n - 1].emplace(stripFormat());
        Strip& strip = *strips_[n - 1];
        TitleLine line = doc_.line(n);
        line.BitmapFile = folder_.resolve(line.BitmapFile);
        StripInput in;
        in.text = doc_.text(n).left(255);
        in.fontStyle = doc_.fontStyle(n);
        in.line = &line;
        in.alignMode = true;
        in.stripFormat = stripFormat();
        in.view = platform::StageView::fit(platform::Screen::width(), platform::Screen::height(),
                                           platform::Screen::width(), platform::Screen::height());
        in.restX = doc_.titleX(n);
        in.restY = doc_.titleY(n);
        in.alignColor = alignFrameColor(n);
        in.drawalign = drawalign;
        const StripResult result = renderTitleStrip(strip, in);
        requireStripWithinLimits(strip, result);
        if (result == StripResult::Text) {
            require(strip.Left == in.restX && strip.Top == in.restY,
                    "a strip stands at its line's resting place");
            require((strip.picture.pixel(0, 0) & 0xFFFFFF) == (alignFrameColor(n) & 0xFFFFFF),
                    "a text strip on the align screen is framed in its line's colour");
        }
        if (result == StripResult::BitmapFailed) doc_.line(n).BitmapFile.clear();
        if (result == StripResult::BitmapFailed || result == StripResult::TooLarge) {
            strips_[n - 1].reset();
            return false;
        }
        return true;
    }

    PixelFormat stripFormat() const {
        return platform::Screen::depth() == 32 ? PixelFormat::Bits32 : PixelFormat::Bits24;
    }

    void drawGrid(bool grid2) {
        canvas_.pen.width = 1;
        canvas_.pen.style = platform::PenStyle::Solid;
        canvas_.pen.color = GridColor;
        auto draw = [this](const auto& lines) {
            for (const QLine& l : lines) {
                canvas_.moveTo(l.x1(), l.y1());
                canvas_.lineTo(l.x2(), l.y2());
            }
        };
        if (grid2)
            draw(grid2Lines(platform::Screen::width(), platform::Screen::height(), width(),
                            height()));
        else
            draw(grid1Lines(width(), height()));
    }

    void mouseDown(int n, bool in, QPoint at) {
        canvas_.copyMode = platform::CopyMode::Blackness;
        if (doc_.line(n).InUse && strips_[n - 1])
            canvas_.draw(penX_, penY_, strips_[n - 1]->picture);
        canvas_.copyMode = platform::CopyMode::SrcCopy;
        canvas_.moveTo(at.x(), at.y());
        stroke_ = std::make_unique<Stroke>(Stroke{n, in, path(n, in)});
    }

    // TCan::FormMouseMove with the left button held alone.
    void mouseMove(int n, bool in, int X, int Y) {
        canvas_.pen.width = 1;
        const std::int32_t N = std::min(maxPathIndex_, std::int32_t(MaxPathPoints - 1));
        if (!armed(n, in)) return;
        if (!stroke_ || stroke_->line != n || stroke_->in != in)
            stroke_ = std::make_unique<Stroke>(Stroke{n, in, path(n, in)});
        Path& drawn = stroke_->path;
        if (drawn.LastIndex >= N) return;
        X = std::clamp(X, 0, std::max(0, width() - 1));
        Y = std::clamp(Y, 0, std::max(0, height() - 1));

        switch (advancePath(drawn, N)) {
        case PathMove::First:
            require(drawn.LastIndex == 0, "a first point goes to slot 0");
            canvas_.moveTo(X, Y);
            drawn.Points[0] = {std::uint16_t(X), std::uint16_t(Y)};
            break;
        case PathMove::Step: {
            require(drawn.LastIndex >= 1 && drawn.LastIndex < std::max(N, 1),
                    "a step goes to a slot after the first, below the limit");
            canvas_.pen.color = lineColor(n);
            const PathPoint previous = drawn.Points[drawn.LastIndex - 1];
            const PathPoint next = stepToward(previous, X, Y);
            canvas_.lineTo(next.x, next.y);
            penX_ = next.x;
            penY_ = next.y;
            require(std::abs(int(next.x) - int(previous.x)) <= 1 &&
                        std::abs(int(next.y) - int(previous.y)) <= 1,
                    "a step moves one pixel at most");
            drawn.Points[drawn.LastIndex] = next;
            break;
        }
        case PathMove::Full:
            break;
        }
        require(fuzzsupport::counterInRange(drawn), "a recorded path's counter stays in -1..999");
    }

    void mouseUp(int n) {
        QPoint rest(doc_.titleX(n), doc_.titleY(n));
        const TitleLine& line = doc_.line(n);
        if ((line.InPathArmed || line.OutPathArmed) && line.InUse && strips_[n - 1]) {
            const Strip& s = *strips_[n - 1];
            canvas_.copyMode = platform::CopyMode::Blackness;
            canvas_.draw(s.Left, s.Top, s.picture);
            canvas_.copyMode = platform::CopyMode::SrcCopy;
            canvas_.draw(penX_, penY_, s.picture);
            rest = QPoint(s.Left, s.Top);
        }
        if (stroke_) {
            const Path drawn = stroke_->path;
            const Path& page = path(stroke_->line, stroke_->in);
            if (drawn.LastIndex != page.LastIndex) {
                doc_.undoStack().push(new DrawPath(doc_, stroke_->line, stroke_->in, drawn, rest,
                                                   stripPlace(stroke_->line)));
                require(page == drawn, "a stroke leaves the path as drawn");
            }
            stroke_.reset();
        }
    }

    std::optional<QPoint> stripPlace(int n) const {
        if (!doc_.line(n).InUse || !strips_[n - 1]) return std::nullopt;
        return stripAt(n);
    }

    // TCan::resetPath: the points wiped from the screen, the path started afresh.
    void resetPath(int n, bool in) {
        const std::int32_t keep = std::clamp(maxPathIndex_, 0, MaxPathPoints);
        ClearPath(canvas_, path(n, in), keep);
        doc_.undoStack().push(new ResetPath(doc_, n, in, keep, stripPlace(n)));
        require(path(n, in).LastIndex == -1, "a path started afresh has no points");
        stroke_.reset();
    }

    struct Stroke {
        int line;
        bool in;
        Path path;
    };

    PageDocument& doc_;
    Canvas& canvas_;
    const fuzzsupport::ProjectFolder& folder_;
    const fuzzsupport::Choices& c_;
    std::int32_t maxPathIndex_ = 999;
    std::array<std::optional<Strip>, 3> strips_;
    std::unique_ptr<Stroke> stroke_;
    bool marqueePhase_ = false;
    std::int32_t penX_ = 0, penY_ = 0;
};

} // namespace

FUZZ_START_GUI_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzsupport::ProjectFolder folder;
    const fuzzsupport::Choices choices(data, size);
    fuzzsupport::QuietDialogsScope quiet;
    platform::CountingClock counting;
    const ClockScope clockScope(counting);

    PageDocument doc;
    PageImage loaded;
    if (!fuzzsupport::loadPage(folder.writePage(data, size, choices), size, doc, loaded)) return 0;
    // The path buttons of the lines whose code is 11 are armed, as choosing the code arms
    // them; a document keeps them armed from pages before, which the last switch stands for.
    for (int n = 1; n <= 3; ++n) {
        TitleLine& l = doc.line(n);
        l.InPathArmed = l.InDirection == 11 || choices.bit(Switches, 7);
        l.OutPathArmed = l.OutDirection == 11 || choices.bit(Switches, 7);
    }

    const Screen screen = screenOf(choices);
    platform::Screen::setVirtual(screen.width, screen.height, screen.depth);
    Bitmap frame(screen.width, screen.height, PixelFormat::Bits32);
    Canvas canvas(frame);

    auto playOn = [&](Canvas& on, const PageImage& page, const ShowOptions& options,
                      bool acceptWaves, int stopAfter) {
        // Where the leaders clear the playback window, they clear the framebuffer.
        effects::setInvalidateHook([&on] { on.bitmap().fill(platform::clBlack); });
        Control control(acceptWaves, stopAfter);
        play(doc, page, options, on, control, folder);
    };
    // Play A: the page as the file has it.
    playOn(canvas, doc.page(), screen.options, choices.bit(Switches, 0), 0);
    // Play B: every line's IN and OUT code of the harness's choosing.
    PageImage forced = doc.page();
    for (int n = 0; n < 3; ++n) {
        forced.lines[n].attrs.InDirection = choices.byte(Codes + n) % 14;
        forced.lines[n].attrs.OutDirection = choices.byte(Codes + 3 + n) % 14;
    }
    ShowOptions options = screen.options;
    options.alignMode = choices.bit(Switches, 2);
    playOn(canvas, forced, options, choices.bit(Switches, 1), choices.byte(StopAfter) % 8);
    // Play C: the page's stage drawn scaled onto an output of another size and shape; nothing
    // lands in the black margins.
    Bitmap out(1 + (choices.byte(ScreenW) * 7) % 256, 1 + (choices.byte(ScreenH) * 5) % 192,
               PixelFormat::Bits32);
    Canvas scaled(out);
    scaled.setView(
        platform::StageView::fit(screen.width, screen.height, out.width(), out.height()));
    playOn(scaled, doc.page(), screen.options, choices.bit(Switches, 0), 0);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            require(scaled.view().area().contains(x, y) || (out.pixel(x, y) & 0xFFFFFF) == 0,
                    "the margins outside the stage stay black");
    // Play D: the page played smoothly on the scaled output, with the harness's codes.
    out.fill(platform::clBlack);
    playSmooth(forced, options, scaled, folder, choices);
    effects::setInvalidateHook([&frame] { frame.fill(platform::clBlack); });
    fuzzsupport::requireCountersInRange(doc.page(), "play leaves every path counter in -1..999");

    // The align screen.
    doc.forgetEdits();
    const PageImage beforeAlign = doc.page();
    AlignScreen align(doc, canvas, folder, choices);
    align.open();
    align.ticks();
    align.drag();
    align.stroke();
    align.ticks();
    align.undoAndRedo(beforeAlign);
    align.undoAndRedoAfterLeaving(align.exit());
    fuzzsupport::requireCountersInRange(doc.page(),
                                        "the align screen leaves every path counter in -1..999");

    effects::setInvalidateHook({});
    platform::Screen::clearVirtual();
    return 0;
}
