#pragma once
#include <array>
#include <cstdint>
#include <QImage>
#include <QRect>
#include <span>
#include <vector>

#include "platform/StageView.h"
#include "player/smooth_track.h"

// Smooth frames: the lines drawn where they stand at one instant, over black, in line order.
namespace velmora {

// Pixels row after row: 4 bytes a pixel for colours, 1 for a coverage.
struct Plane {
    std::uint8_t* bits = nullptr;
    int width = 0, height = 0, stride = 0, bytesPerPixel = 4;
};
struct ConstPlane {
    const std::uint8_t* bits = nullptr;
    int width = 0, height = 0, stride = 0, bytesPerPixel = 4;
    bool isEmpty() const { return !bits || width <= 0 || height <= 0; }
};

// Draws `picture` with its top-left corner at (x256, y256) output pixels in 1/256, at `opacity`
// of 256, into the target inside `clip`: every pixel of the rectangle it covers is written (its
// own black beyond its edges). A whole-pixel place is a plain copy; between pixels each output
// pixel is the picture's interpolated linearly between its two (or four) nearest pixels, so
// the ink keeps its amount and its centre lands where the place says.
void drawAt(const Plane& target, const ConstPlane& picture, std::int64_t x256, std::int64_t y256,
            int opacity, const QRect& clip);
// The rectangle drawAt writes.
QRect coveredBy(const ConstPlane& picture, std::int64_t x256, std::int64_t y256);

class FrameComposer {
public:
    FrameComposer(const Plane& target, const platform::StageView& view);

    struct Line {
        ConstPlane picture; // made at the view's scale; none: nothing is drawn
        LineState state;
    };
    // The target as the lines stand: black, then each visible line in order (a page's three, or
    // two pages' six while one goes and the other comes). Only what differs from the last
    // composition is drawn again; the rectangles changed are returned.
    const std::vector<QRect>& compose(std::span<const Line> lines);
    // Something else drew on the target: the next composition draws everything.
    void reset() { fresh_ = true; }

    // Where a stage place lands on the target, in 1/256 of an output pixel.
    std::int64_t outX(Fixed x) const;
    std::int64_t outY(Fixed y) const;

private:
    struct Drawn {
        LineState state;
        const std::uint8_t* bits = nullptr;
        QRect rect; // what it covers, inside the stage's area
    };
    QRect rectOf(const Line& line) const;
    void drawLine(const Line& line, const QRect& clip);
    void clear(const QRect& r);
    ConstPlane squeezed(const ConstPlane& picture, int width);

    Plane target_;
    platform::StageView view_;
    QRect area_;
    bool fresh_ = true;
    std::vector<Drawn> last_;
    std::vector<QRect> changed_, rects_;
    // The last squeezed picture, kept while a stretch lasts.
    QImage squeezedImage_;
    const std::uint8_t* squeezedFrom_ = nullptr;
};

} // namespace velmora
