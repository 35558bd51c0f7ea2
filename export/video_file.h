#pragma once
#include <cstdint>
#include <memory>
#include <QString>
#include <vector>

#include "export/render_clock.h"
#include "export/show_render.h"
#include "platform/Bitmap.h"

// Writing rendered frames to a file: video through FFmpeg's libraries, or a numbered sequence
// of PNG pictures.
namespace velmora {

enum class VideoFormat { Mp4, Mov, Webm, Png };

// "mp4", "mov", "webm" or "png"; nothing for any other name.
std::optional<VideoFormat> videoFormatNamed(const QString& name);
QString videoFormatName(VideoFormat f);

// The audio track: 48 kHz stereo samples, interleaved, -1..1.
constexpr int AudioRate = 48000;
struct AudioTrack {
    std::vector<float> samples; // left, right, left, right...
    std::int64_t frames() const { return std::int64_t(samples.size() / 2); }
};

class FrameWriter {
public:
    virtual ~FrameWriter() = default;
    // Writes frame k of the show (frames come in order, none left out). With `alpha` the frame's
    // coverage gives its transparency (see straightRgba). A video is encoded on a thread of its
    // own while the show renders on: a failure of the encoder shows at a later frame. False on
    // failure, with the reason in error().
    virtual bool write(std::int64_t k, const ShowFrame& frame) = 0;
    // Writes what is buffered and closes the file; false on failure.
    virtual bool finish() = 0;
    // Once write or finish returned false, or after finish.
    QString error() const { return error_; }

protected:
    QString error_;
};

struct VideoSettings {
    VideoFormat format = VideoFormat::Mp4;
    int width = 1920, height = 1080;
    FrameRate rate;
    bool alpha = false;
    const AudioTrack* audio = nullptr; // none: no audio track
    // The bytes a video file may take, as a disk with that much room would (every write past
    // it fails); -1: as many as the disk takes.
    std::int64_t writeLimit = -1;
};

// The colours a video's pixels are converted with and tagged as: BT.709 for HD and larger,
// BT.601 (the PAL or NTSC primaries) for frames of 576 lines or fewer; always limited range.
struct VideoColours {
    int primaries, transfer, matrix; // FFmpeg's AVColorPrimaries, AVColorTransferCharacteristic,
                                     // AVColorSpace
    bool limitedRange = true;
};
VideoColours videoColoursFor(int width, int height);

// Opens the writer on `path` (the folder for a PNG sequence, which must exist). Nothing, with
// the reason in *error, when the format's encoder is missing or the file cannot be written.
// Every encoder works on all the processor's cores.
std::unique_ptr<FrameWriter> openFrameWriter(const QString& path, const VideoSettings& settings,
                                             QString* error);

} // namespace velmora
