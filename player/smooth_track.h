#pragma once
#include <cstdint>
#include <vector>

#include "model/page_record.h"

// Smooth motion: a line's move as a function of time. The move takes the path, the start, the
// end and the duration of the stepped move of the same direction code, but at any instant the
// line stands where the move puts it then, between two steps, not at the last step taken.
namespace velmora {

// Stage pixels in 1/65536.
using Fixed = std::int64_t;
constexpr Fixed FixedOne = 65536;
constexpr Fixed toFixed(std::int64_t pixels) { return pixels * FixedOne; }

// What a line shows at one instant.
struct LineState {
    bool visible = false;
    Fixed x = 0, y = 0;   // where the strip's top-left corner stands, in stage pixels
    int opacity = 256;    // its strength, of 256 (a fade)
    // A stretch (codes 9 and 10): the strip squeezed into `span` of its width, from its left edge
    // or from its right; `standing`: drawn over the whole strip.
    enum class Squeeze : std::uint8_t { None, FromLeft, FromRight };
    Squeeze squeeze = Squeeze::None;
    Fixed span = FixedOne; // of FixedOne
    bool standing = false;

    bool operator==(const LineState&) const = default;
};

// A point of a move: at `time` (nanoseconds from its start) the line stands at (x, y); between
// two knots it moves in a straight line at an even pace.
struct Knot {
    std::int64_t time;
    Fixed x, y;
};

// One move of one line.
class Track {
public:
    // A move of no length: the line stays as it is.
    static Track still(const LineState& state);

    std::int64_t duration() const { return duration_; }
    // The line at `t` nanoseconds into the move; before 0 as at 0, after the end as at the end.
    LineState at(std::int64_t t) const;
    LineState end() const { return at(duration_); }

    // What the stage needs to build a track.
    struct Stage {
        int width = 0, height = 0;   // the stage, in its pixels
        std::int32_t fadedelay = 0;  // the page's delay, in delay units (one microsecond each)
        bool easySlowdown = false;   // the move-in slows down near its resting place
    };
    // The move in of direction code `dir` of a strip `w` x `h` resting at (x, y).
    static Track moveIn(std::int32_t dir, int w, int h, int x, int y, const Stage& stage,
                        const Path* path);
    // The move out of direction code `dir` of a strip `w` x `h`, starting from `from` (its
    // resting state, or wherever it is when it is sent out early).
    static Track moveOut(std::int32_t dir, int w, int h, const LineState& from, const Stage& stage,
                         const Path* path);

private:
    enum class Kind : std::uint8_t { Still, Knots, Fade, Squeeze };
    Kind kind_ = Kind::Still;
    LineState base_;
    std::int64_t duration_ = 0;
    std::vector<Knot> knots_;         // Knots: at least one
    int fromOpacity_ = 0, toOpacity_ = 0; // Fade
    Fixed fromSpan_ = 0, toSpan_ = 0;      // Squeeze
    bool endsVisible_ = true;
};

// One delay unit, in nanoseconds; a fade waits fadedelay squared iterations of 10 nanoseconds
// after each of its 33 frames.
constexpr std::int64_t NanosPerDelayUnit = 1000;
std::int64_t fadeFrameNanos(std::int32_t fadedelay);

} // namespace velmora
