#pragma once
// What the stage window decides, without its widgets.
#include <array>
#include <QString>

namespace velmora {

// A stage's width and height in pixels.
struct StageSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const StageSize&, const StageSize&) = default;
};

// The sizes offered by name, in the order the window lists them; any other is typed.
inline constexpr std::array<StageSize, 4> StagePresets{
    {{1920, 1080}, {1280, 720}, {3840, 2160}, {1024, 768}}};

// "1920 x 1080".
QString stageText(StageSize stage);
// The index of the offered size that is exactly this one; -1 for a size of its own.
int presetOf(StageSize stage);
// The stage a choice gives: the offered size at `preset`, or with none (-1) the size typed,
// each side brought within what a stage may have.
StageSize stageOfChoice(int preset, StageSize typed);

} // namespace velmora
