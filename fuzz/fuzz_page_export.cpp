// One page file exported: the page 000 of a project of its own, loaded as the export loads a
// show (loadShowProject), run once for its timeline and once more onto a small framebuffer
// that hands over every frame, as exportShow runs it; the frames are looked at, no encoder is
// involved. Both runs agree on the show's length, frames and events, the frames come in order
// and at the show's size, and a wave that is not there ends the export before any frame. The
// same page is then played live: taken, edited on air, taken again over itself, cleared half way
// and cut, its frames composed as the live show composes them.
#include <cstdint>
#include <optional>
#include <QFileInfo>

#include "export/render_clock.h"
#include "export/show_render.h"
#include "fuzz/fuzz_support.h"
#include "live/on_air.h"
#include "live/rundown.h"
#include "model/project_file.h"

using namespace velmora;
using fuzzsupport::require;

namespace {

// Where the choices lie in the reserved field (see fuzzsupport::Choices).
enum ChoiceAt {
    Leaders = 0, // bit 0: colour bars; bit 1: count down; bits 2..7: colour bar seconds, 0..3
    Width = 1,   // 1..128 pixels
    Height = 2,  // 1..96 pixels
    Rate = 3,    // the frame rate, one of four
    Cap = 4,     // bits 0..2: the frames the writer takes before it refuses one (0: all);
                 // bit 3: the coverage followed; bit 4: the project moves smoothly
    Hold = 5,    // how long a wait for the space bar lasts, in tenths of a second
};

bool sameEvents(const ShowRun& a, const ShowRun& b) {
    if (a.events.size() != b.events.size()) return false;
    for (std::size_t i = 0; i < a.events.size(); ++i) {
        const ShowEvent& x = a.events[i];
        const ShowEvent& y = b.events[i];
        if (x.kind != y.kind || x.time != y.time || x.page != y.page || x.line != y.line)
            return false;
    }
    return true;
}

// The page on air: every command at frames the fuzzer's bytes choose, each frame composed.
void playLive(const ShowProject& project, int width, int height, const fuzzsupport::Choices& c) {
    platform::Bitmap frame(width, height, platform::PixelFormat::Bits32);
    const platform::StageView view = stageOnFrame(project, width, height);
    FrameComposer composer({frame.bits(), width, height, frame.stride(), 4}, view);
    velmora::live::SilentControl silent;
    live::OnAir air(project.pageNames, project.pages, ShowOptions{}, view, silent);
    constexpr std::int64_t Frame = 16666666;
    std::int64_t t = 0;
    auto frames = [&](int n) {
        for (int i = 0; i < n; ++i, t += Frame) {
            air.advanceTo(t);
            composer.compose(air.linesAt(t));
        }
    };
    const int step = 1 + c.byte(Hold) % 64;
    air.take(t, c.byte(Rate) % 2 ? Frame / 2 : 0);
    require(air.onAir() == 0 && air.cued() == -1, "the one page is on air, nothing cued");
    frames(step);
    PageImage edited = project.pages.front();
    for (auto& l : edited.lines) {
        l.Text = l.Text.isEmpty() ? QStringLiteral("on air") : l.Text + l.Text.left(3);
        l.attrs.InUse = true;
        l.attrs.FontSize = 1 + c.byte(Width) % 200;
    }
    air.edit(0, edited);
    frames(step);
    air.cue(0);
    air.take(t);
    frames(step);
    air.clear(t, Frame / 3);
    require(air.onAir() == -1, "cleared, nothing is on air");
    frames(step);
    air.cut(t);
    require(!air.anythingShown(), "cut, nothing is on the stage");
    frames(1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            require(frame.pixel(x, y) == 0, "after the cut the frame is black");
    const platform::Bitmap rest = live::pictureAtRest(edited, ShowOptions{}, view.stageWidth,
                                                      view.stageHeight, width, height);
    require(rest.width() == width && rest.height() == height, "the picture at rest has its size");
}

} // namespace

FUZZ_START_GUI_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzsupport::ProjectFolder folder;
    const fuzzsupport::Choices c(data, size);
    fuzzsupport::QuietDialogsScope quiet;

    // The program reads the page as the editor does too: the reader's promises hold first.
    PageDocument doc;
    PageImage loaded;
    if (!fuzzsupport::loadPage(folder.writePage(data, size, c), size, doc, loaded)) return 0;

    const QString projectFile = folder.file(QStringLiteral("FUZZ.KVT"));
    require(writeProjectFile(projectFile, QStringLiteral("Velmora-32"), QStringLiteral("1.30"),
                             QStringLiteral("FUZZ.KVT"), QStringLiteral("2026-12-07 10:00:00"),
                             QStringLiteral("000"), c.bit(Leaders, 0), c.bit(Leaders, 1),
                             (c.byte(Leaders) >> 2) % 4, 32, 0),
            "the project file written");
    QString error;
    std::optional<ShowProject> project = loadShowProject(projectFile, &error);
    require(project && project->pages.size() == 1 && project->pageNames.front() == "000",
            "the project of one page loads");
    folder.resolveNames(project->pages.front());

    static constexpr FrameRate Rates[4] = {{25, 1}, {30000, 1001}, {1, 1}, {60, 1}};
    ShowRenderOptions options;
    options.width = 1 + c.byte(Width) % 128;
    options.height = 1 + c.byte(Height) % 96;
    options.rate = Rates[c.byte(Rate) % 4];
    options.manualHoldNanos = std::int64_t(c.byte(Hold) % 50) * 100000000;

    // The timeline first, as the export runs it.
    const ShowRun timeline = renderShow(*project, options, {});
    require(!timeline.cancelled, "a run without frames is never cancelled");
    bool anyWave = false;
    for (const auto& l : project->pages.front().lines)
        anyWave = anyWave || (l.attrs.InUse && !l.attrs.WaveFile.isEmpty());
    // None of the files the folder holds is a wave.
    require(timeline.error.isEmpty() == !anyWave, "a wave that is not there ends the show");
    require(!timeline.events.empty() && timeline.events.front().kind == ShowEvent::PageStart &&
                timeline.events.back().kind == ShowEvent::ShowEnd,
            "the timeline runs from the page's start to the show's end");
    for (std::size_t i = 1; i < timeline.events.size(); ++i)
        require(timeline.events[i].time >= timeline.events[i - 1].time,
                "the timeline's events are in time order");
    require(timeline.duration >= 0 &&
                timeline.frames == options.rate.framesBefore(timeline.duration) + 1,
            "the show's frames reach the first at or after its end");
    require(!timelineText(*project, timeline).isEmpty(), "the timeline has its text");
    // Smooth or stepped, a show keeps its timeline: every move as long as its steps.
    ShowRenderOptions other = options;
    other.motion = Motion::Smooth;
    require(sameEvents(renderShow(*project, other, {}), timeline),
            "a smooth show has the stepped show's timeline");
    playLive(*project, options.width, options.height, c);
    if (!timeline.error.isEmpty()) return 0; // the export stops here
    if (c.bit(Cap, 4)) options.motion = Motion::Smooth;

    // Then the frames.
    const int cap = c.byte(Cap) % 8;
    // Half the runs follow the coverage, as a transparent export does.
    options.coverage = (c.byte(Cap) >> 3) & 1;
    std::int64_t handed = 0;
    const ShowRun run = renderShow(*project, options, [&](std::int64_t k, const ShowFrame& f) {
        require(k == handed, "the frames come in order, none left out");
        require(f.pixels.width() == options.width && f.pixels.height() == options.height &&
                    f.pixels.pixelFormat() == platform::PixelFormat::Bits32,
                "every frame has the show's size at 32 bits a pixel");
        require(k > 0 || f.changed.isAll(), "the first frame counts as changed everywhere");
        require((f.coverage != nullptr) == options.coverage,
                "a frame has its coverage exactly when it is followed");
        ++handed;
        return cap == 0 || handed < cap;
    });
    if (cap == 0 || timeline.frames < cap) {
        require(!run.cancelled && run.error.isEmpty(), "a show all of whose frames are taken runs");
        require(run.duration == timeline.duration && run.frames == timeline.frames &&
                    sameEvents(run, timeline),
                "the frames' run is the timeline's run");
        require(handed == run.frames, "every frame of the show is handed over");
    } else {
        // A frame refused during the show cancels it; the last one, handed over at its end, no
        // longer can.
        require(handed == cap && (run.cancelled || handed == run.frames),
                "a refused frame ends the run");
    }
    return 0;
}
