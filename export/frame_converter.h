#pragma once
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "export/changed_tiles.h"
#include "platform/Bitmap.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

struct SwsContext;

// The show's frames in an encoder's pixels, converted only where they changed.
namespace velmora {

class FrameConverter {
public:
    // Frames of width x height into `target`; with `alpha`, from straight RGBA made of the
    // framebuffer and its coverage, else from the framebuffer's blue, green, red and unused byte.
    // YUV is made with BT.709's coefficients (`bt709`) or BT.601's, in the limited range.
    FrameConverter(int width, int height, AVPixelFormat target, bool alpha, bool bt709);
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // Converts the frame inside the changed tiles into `out`, whose other pixels are left as
    // they are: `out` then holds what converting the whole frame would give, when it held the
    // frame before (or any frame that differs from this one only inside the tiles). `coverage`
    // (one byte a pixel) is read with alpha only; null: black is transparent. False when a
    // conversion could not be set up.
    bool convert(const platform::Bitmap& frame, const std::uint8_t* coverage,
                 const ChangedTiles& changed, AVFrame* out);

private:
    SwsContext* contextFor(int width, int height);

    int width_, height_;
    AVPixelFormat target_;
    bool alpha_;
    bool bt709_;
    std::map<std::pair<int, int>, SwsContext*> contexts_;
    std::vector<std::uint8_t> rgba_; // with alpha: the frame's straight RGBA
};

} // namespace velmora
