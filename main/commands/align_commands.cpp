#include "main/commands/align_commands.h"

namespace velmora {

namespace {

QPoint restOf(const PageDocument& doc, int n) {
    return {doc.titleX(n), doc.titleY(n)};
}

} // namespace

MoveTitleLine::MoveTitleLine(PageDocument& doc, int n, QPoint to, int drag)
    : PageCommand(doc, QStringLiteral("Move Line %1").arg(n)), n_(n), to_(to), drag_(drag) {}

bool MoveTitleLine::apply(PageDocument& doc) {
    from_ = restOf(doc, n_);
    doc.setTitlePos(n_, to_.x(), to_.y());
    applied_ = true;
    return true;
}

void MoveTitleLine::redo() {
    if (applied_) doc_.setTitlePos(n_, to_.x(), to_.y());
    PageCommand::redo();
}

void MoveTitleLine::undo() {
    doc_.setTitlePos(n_, from_.x(), from_.y());
    PageCommand::undo();
}

bool MoveTitleLine::mergeWith(const QUndoCommand* other) {
    const auto* later = dynamic_cast<const MoveTitleLine*>(other);
    if (!later || later->n_ != n_ || drag_ == 0 || later->drag_ != drag_) return false;
    to_ = later->to_;
    takeResultOf(*later);
    return true;
}

DrawPath::DrawPath(PageDocument& doc, int n, bool in, const Path& drawn, QPoint restAfter)
    : PageCommand(doc, QStringLiteral("Draw Path")), n_(n), in_(in), after_(drawn),
      restAfter_(restAfter) {}

bool DrawPath::apply(PageDocument& doc) {
    before_ = path();
    restBefore_ = restOf(doc, n_);
    path() = after_;
    doc.setTitlePos(n_, restAfter_.x(), restAfter_.y());
    applied_ = true;
    return doc.pathsDifferFromBuffer();
}

void DrawPath::redo() {
    if (applied_) {
        path() = after_;
        doc_.setTitlePos(n_, restAfter_.x(), restAfter_.y());
    }
    PageCommand::redo();
}

void DrawPath::undo() {
    path() = before_;
    doc_.setTitlePos(n_, restBefore_.x(), restBefore_.y());
    PageCommand::undo();
}

ResetPath::ResetPath(PageDocument& doc, int n, bool in, std::int32_t keepFrom)
    : PageCommand(doc, QStringLiteral("Reset Path")), n_(n), in_(in), keepFrom_(keepFrom) {}

bool ResetPath::apply(PageDocument& doc) {
    cleared_ = in_ ? doc.inPath(n_) : doc.outPath(n_);
    doc.clearPath(n_, in_, keepFrom_);
    return true;
}

void ResetPath::redo() {
    if (cleared_) doc_.clearPath(n_, in_, keepFrom_);
    PageCommand::redo();
}

void ResetPath::undo() {
    if (cleared_) doc_.restorePath(n_, in_, *cleared_);
    PageCommand::undo();
}

} // namespace velmora
