#include "model/commands/project_commands.h"

#include <utility>

namespace velmora {

SetMotion::SetMotion(Motion before, Motion after, std::function<void(Motion)> give)
    : before_(before), after_(after), give_(std::move(give)) {
    setText(QStringLiteral("Motion"));
}

void SetMotion::redo() {
    give_(after_);
    setObsolete(after_ == before_);
}

void SetMotion::undo() {
    give_(before_);
}

} // namespace velmora
