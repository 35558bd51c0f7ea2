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
    std::int64_t writeLimit = -1; // see VideoSettings::writeLimit
};

// Frames written so far, of the total.
using ExportProgress = std::function<void(std::int64_t frame, std::int64_t total)>;

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    QString error; // one line naming the cause
    ShowRun run;   // with what the show had to leave out (the export is still ok)
};

// Mixes the show's waves into one 48 kHz stereo track as long as the show: each from its start
// until it ends or is stopped. Nothing, with the reason, when a wave cannot be read.
std::optional<AudioTrack> mixWaves(const std::vector<ShowWave>& waves, std::int64_t duration,
                                   QString* error);

// The format named by the output's extension ("mp4", "mov", "webm"; no extension: "png").
std::optional<VideoFormat> formatOfOutput(const QString& output);

// Why the output may not be written over, or nothing: a project or page file (a .kvt, or
// NAME.000 to NAME.999 beside a project NAME.kvt) and, for a video, anything that is not a
// regular file (a link, a device, a pipe, a folder). A picture sequence takes a new or an empty
// folder.
QString outputRefused(const QString& output, VideoFormat format);

// The name the output is written under until it is complete: hidden beside it, with the
// writer's process id.
QString partialFileName(const QString& output, qint64 pid);
// Removes the partial files of the output that processes no longer alive left (a render killed
// or crashed); those of running renders stay.
void removeStalePartials(const QString& output);

// Renders the show into the output: written under a temporary name beside it and renamed at the
// end, so a failed or cancelled export leaves no file behind (and an existing output as it was).
ExportResult exportShow(const ExportOptions& options, const ExportProgress& progress = {},
                        const std::atomic<bool>* cancel = nullptr);

} // namespace velmora
