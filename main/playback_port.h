#pragma once
#include <QString>
#include <cstdint>

namespace velmora {

// What the main window needs of the playback window. The playback window implements it; the
// program entry connects the two.
class PlaybackPort {
public:
    virtual ~PlaybackPort() = default;

    // Resting positions of the title lines (line 1..3).
    virtual std::int32_t titleX(int line) const = 0;
    virtual std::int32_t titleY(int line) const = 0;
    virtual void setTitlePos(int line, std::int32_t x, std::int32_t y) = 0;
    // Clears the line's in or out path (marks the page changed).
    virtual void clearPath(int line, bool inPath) = 0;
};

} // namespace velmora
