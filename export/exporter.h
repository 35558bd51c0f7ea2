#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <QString>

#include "export/show_render.h"
#include "export/video_file.h"

// Rendering a whole show to a file: what `velmora-render` and File > "Export Show..." do.
namespace velmora {

struct ExportOptions {
    QString project; // the project file
    QString output;  // the video file, or the folder of a PNG sequence
    VideoFormat format = VideoFormat::Mp4;
    ShowRenderOptions show;
    bool alpha = false;
};

// Frames written so far, of the total.
using ExportProgress = std::function<void(std::int64_t frame, std::int64_t total)>;

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    QString error; // one line naming the cause
    ShowRun run;
};

// Mixes the show's waves into one 48 kHz stereo track as long as the show: each from its start
// until it ends or is stopped. Nothing, with the reason, when a wave cannot be read.
std::optional<AudioTrack> mixWaves(const std::vector<ShowWave>& waves, std::int64_t duration,
                                   QString* error);

// The format named by the output's extension ("mp4", "mov", "webm"; no extension: "png").
std::optional<VideoFormat> formatOfOutput(const QString& output);

// Renders the show into the output: written under a temporary name beside it and renamed at the
// end, so a failed or cancelled export leaves no file behind (and an existing output as it was).
ExportResult exportShow(const ExportOptions& options, const ExportProgress& progress = {},
                        const std::atomic<bool>* cancel = nullptr);

} // namespace velmora
