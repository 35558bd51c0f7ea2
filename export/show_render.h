#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <QString>
#include <vector>

#include "export/changed_tiles.h"
#include "export/render_clock.h"
#include "model/page_record.h"
#include "model/project_file.h"
#include "model/show_project.h"
#include "platform/Bitmap.h"
#include "platform/StageView.h"

// A show played without a window onto a framebuffer, at the nominal pace, with its timeline
// recorded: what the video export renders frame by frame.
namespace velmora {

struct ShowRenderOptions {
    // The frame's size; 0 x 0 renders at the project's stage (resolvedFrameSize).
    int width = 0, height = 0;
    FrameRate rate;
    bool leaders = true; // colour bars and count down when the project has them
    std::int64_t manualHoldNanos = 3000000000; // a wait for the space bar lasts this long
    std::optional<int> firstPage, lastPage;    // page numbers; the whole show by default
    bool coverage = false; // follow how much of each pixel is drawn (a transparent export)
    std::optional<Motion> motion; // the project's motion unless given
};

// The largest frame a render takes by default: the video encoders' limit.
constexpr int MaxFrameWidth = 7680, MaxFrameHeight = 4320;

// The frame size a render takes: the one asked for, else the project's stage made even (video
// encoders want even sizes; the stage then keeps its scale of 1 and gains a black column or
// row) and, when larger than MaxFrameWidth x MaxFrameHeight, fitted into it at the stage's
// shape; else 1920 x 1080 for a project without a stage.
void resolveFrameSize(ShowRenderOptions& options, const ShowProject& project);
// The project's stage, or the frame itself for a project without one: it then renders as it
// always did. A frame that is the stage with at most one more column and row shows it at scale
// 1 from its corner.
platform::StageView stageOnFrame(const ShowProject& project, int frameWidth, int frameHeight);

// One moment of the show, in nanoseconds from its start.
struct ShowEvent {
    enum Kind {
        PageStart, // a page's wait before it
        PlayStart, // the page itself, after its wait (leaders first when it has them)
        MoveIn,    // a line starts moving in
        MoveInEnd,
        MoveOut, // a line starts moving out
        PageEnd, // the page's lines are gone; its wait after it follows
        ShowEnd,
    };
    Kind kind;
    std::int64_t time;
    int page = 0; // index into the project's pages
    int line = 0; // 1..3 for the moves
};

// A wave of a line, mixed in from the start of the line's move-in until it ends or the move-in
// does (the show stops a wave when its line is at rest).
struct ShowWave {
    QString file;
    std::int64_t start = 0, stop = 0;
};

struct ShowRun {
    std::int64_t duration = 0; // nanoseconds
    std::int64_t frames = 0;
    FrameRate rate;
    std::vector<ShowEvent> events;
    std::vector<ShowWave> waves;
    bool cancelled = false;
    QString error; // a wave that could not be opened
    // What the show left out, one line each, once: the project's omissions, then the titles and
    // pictures the player could not draw.
    std::vector<QString> omitted;
};

// One frame of the show as it is handed over.
struct ShowFrame {
    const platform::Bitmap& pixels; // the framebuffer, 32 bits a pixel
    // With ShowRenderOptions::coverage, how much of each pixel is drawn (one byte a pixel, row
    // after row, 0 to 255): text and shadow cover what they are drawn on whatever their colour,
    // with their soft edges and fades; pictures and raster operations other than a plain copy
    // cover nothing (their black is transparent); the leaders cover everything. Else null.
    const std::uint8_t* coverage;
    // Where the pixels (and the coverage) changed since the frame before; everywhere for the
    // first frame.
    const ChangedTiles& changed;
};

// Plays the project's pages in order onto a framebuffer of the options' size, as the show runs
// them: each page's pause before it, the page (the leaders before page 000), its pause after
// it; a wait for the space bar lasts the manual hold. `onFrame` gets every frame in order and
// returns false to stop; without it only the timeline is recorded.
using FrameFn = std::function<bool(std::int64_t frame, const ShowFrame&)>;
ShowRun renderShow(const ShowProject& project, const ShowRenderOptions& options,
                   const FrameFn& onFrame, const std::atomic<bool>* cancel = nullptr);

// The timeline as text: each page with its start, its lines' move-in, hold and move-out
// lengths, and the total.
QString timelineText(const ShowProject& project, const ShowRun& run);

} // namespace velmora
