#include "dialogs/stage_choice.h"

#include <algorithm>

#include "model/project_file.h"

namespace velmora {

QString stageText(StageSize stage) {
    return QStringLiteral("%1 x %2").arg(stage.width).arg(stage.height);
}

int presetOf(StageSize stage) {
    const auto at = std::find(StagePresets.begin(), StagePresets.end(), stage);
    return at == StagePresets.end() ? -1 : int(at - StagePresets.begin());
}

StageSize stageOfChoice(int preset, StageSize typed) {
    if (preset >= 0 && preset < int(StagePresets.size())) return StagePresets[preset];
    return {std::clamp(typed.width, MinStageSide, MaxStageSide),
            std::clamp(typed.height, MinStageSide, MaxStageSide)};
}

} // namespace velmora
