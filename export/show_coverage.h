#pragma once
#include <cstdint>
#include <QRect>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "player/strip.h"

// What a transparent export keeps of the show: how much of each pixel of the framebuffer what
// was drawn there covers. A black shadow is drawn as surely as a white text, and over video it
// must stay, so the black of the framebuffer alone cannot tell what is transparent.
namespace velmora {

class ShowCoverage {
public:
    ShowCoverage(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    // One byte a pixel, row after row, 0 (nothing drawn) to 255.
    const std::uint8_t* plane() const { return plane_.data(); }
    std::uint8_t at(int x, int y) const { return plane_[std::size_t(y) * width_ + x]; }
    // The plane to draw a composed frame's coverage into.
    std::uint8_t* bits() { return plane_.data(); }

    // The strip the copies that follow come from; none (a picture, or no strip known) leaves
    // what they copy to the black-is-transparent rule.
    void setStrip(const StripCoverage* strip) { strip_ = strip; }
    // Where copies can land: the stage's area on the frame (the canvas clips there too).
    void setClip(const QRect& r) { clip_ = r.intersected(QRect(0, 0, width_, height_)); }
    // The next copy is a fade's frame at k of 32 of the strip's strength.
    void setFadeLevel(int k) { fadeLevel_ = k; }
    // Follows one copy onto the framebuffer (the canvas observer's record): an ordinary copy of
    // the strip brings its coverage, faded as the fade fades its colours, stretched as the copy
    // is stretched and clipped as it is clipped; any other raster operation leaves no coverage
    // (its result means nothing as a coverage).
    void copied(const platform::CopyRecord& r);
    // Everything transparent (but while opaque): the framebuffer was cleared to black.
    void clear();
    // The leaders are opaque pictures, the black between them too, over the stage's area (the
    // clip; set it first). While opaque, copies change nothing; leaving it clears.
    void setOpaque(bool opaque);
    bool opaque() const { return opaque_; }

private:
    void fill(const QRect& r, std::uint8_t value);

    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> plane_;
    const StripCoverage* strip_ = nullptr;
    QRect clip_;
    static constexpr int FullLevel = 32;
    int fadeLevel_ = FullLevel;
    bool opaque_ = false;
};

// The frame's pixels in `r` as straight RGBA, four bytes a pixel, rows `stride` bytes apart,
// the rectangle's top-left pixel first. The alpha of a pixel is its coverage, but at least its
// brightest channel: the framebuffer holds the drawing over black, so a pixel brighter than its
// coverage (a gradient that recoloured a soft edge, the blur's doubling) must be as opaque as its
// brightness for the frame over black to stay what the screen showed. Without coverage (null)
// that is the black-is-transparent rule: the alpha is the brightest channel. The colour is the
// pixel divided by its alpha, rounded to the nearest.
void straightRgba(const platform::Bitmap& frame, const std::uint8_t* coverage, const QRect& r,
                  std::uint8_t* rgba, int stride);

} // namespace velmora
