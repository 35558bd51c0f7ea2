#include "export/frame_converter.h"

#include "export/show_coverage.h"

#include <algorithm>

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace velmora {

FrameConverter::FrameConverter(int width, int height, AVPixelFormat target, bool alpha, bool bt709)
    : width_(width), height_(height), target_(target), alpha_(alpha), bt709_(bt709) {
    if (alpha_) rgba_.resize(std::size_t(width_) * std::size_t(height_) * 4);
}

FrameConverter::~FrameConverter() {
    for (auto& [size, c] : contexts_)
        sws_freeContext(c);
}

SwsContext* FrameConverter::contextFor(int width, int height) {
    SwsContext*& c = contexts_[{width, height}];
    if (!c) {
        c = sws_getContext(width, height, alpha_ ? AV_PIX_FMT_RGBA : AV_PIX_FMT_BGR0, width, height,
                           target_, SWS_POINT, nullptr, nullptr, nullptr);
        // swscale's own choice is BT.601 whatever the size.
        const int* table = sws_getCoefficients(bt709_ ? SWS_CS_ITU709 : SWS_CS_ITU601);
        if (c) sws_setColorspaceDetails(c, table, 1, table, 0, 0, 1 << 16, 1 << 16);
    }
    return c;
}

namespace {

// The rows the parts cover, as bands of whole rows, top to bottom, none overlapping.
std::vector<QRect> wholeRows(std::vector<QRect> parts, int width) {
    std::sort(parts.begin(), parts.end(),
              [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    std::vector<QRect> bands;
    for (const QRect& r : parts) {
        if (!bands.empty() && r.top() <= bands.back().bottom() + 1) {
            QRect& last = bands.back();
            last.setBottom(std::max(last.bottom(), r.bottom()));
        } else {
            bands.push_back(QRect(0, r.top(), width, r.height()));
        }
    }
    return bands;
}

} // namespace

bool FrameConverter::convert(const platform::Bitmap& frame, const std::uint8_t* coverage,
                             const ChangedTiles& changed, AVFrame* out) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(target_);
    if (!desc || frame.width() != width_ || frame.height() != height_) return false;
    // Halved chroma cannot be cut on an odd row or column: an odd frame is converted whole.
    std::vector<QRect> parts;
    if ((width_ | height_) & 1) {
        parts = {QRect(0, 0, width_, height_)};
    } else {
        parts = changed.rects();
        // swscale's vector loops read and write past the right edge of a narrow part. Inside
        // the frame that is harmless, but the narrow part a frame's right edge leaves when the
        // tiles do not fill its width reaches beyond the buffers' ends on its last row: such
        // frames are converted in bands of whole rows, which swscale handles as whole frames.
        if (width_ % ChangedTiles::TileWidth) parts = wholeRows(parts, width_);
    }
    // Every part is its own picture to swscale, so the contexts are kept by size; a show
    // brings few sizes, but a runaway set is let go.
    if (contexts_.size() > 64) {
        for (auto& [size, c] : contexts_)
            sws_freeContext(c);
        contexts_.clear();
    }
    const int bytesPerSample = desc->comp[0].step;
    for (const QRect& r : parts) {
        const std::uint8_t* src[1];
        int srcStride[1];
        if (alpha_) {
            const int stride = width_ * 4;
            std::uint8_t* at = rgba_.data() + std::size_t(r.top()) * stride + r.left() * 4;
            straightRgba(frame, coverage, r, at, stride);
            src[0] = at;
            srcStride[0] = stride;
        } else {
            src[0] = frame.scanLine(r.top()) + std::ptrdiff_t(r.left()) * frame.bytesPerPixel();
            srcStride[0] = frame.stride();
        }
        std::uint8_t* dst[4] = {};
        int dstStride[4] = {};
        for (int i = 0; i < 4 && out->data[i]; ++i) {
            const bool chroma = i == 1 || i == 2;
            const int sx = chroma ? desc->log2_chroma_w : 0, sy = chroma ? desc->log2_chroma_h : 0;
            dst[i] = out->data[i] + std::ptrdiff_t(r.top() >> sy) * out->linesize[i] +
                     std::ptrdiff_t(r.left() >> sx) * bytesPerSample;
            dstStride[i] = out->linesize[i];
        }
        SwsContext* c = contextFor(r.width(), r.height());
        if (!c) return false;
        sws_scale(c, src, srcStride, 0, r.height(), dst, dstStride);
    }
    return true;
}

} // namespace velmora
