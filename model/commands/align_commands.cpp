#include "model/commands/align_commands.h"

namespace velmora {

AlignCommand::AlignCommand(PageDocument& doc, const QString& text, int n)
    : PageCommand(doc, text), n_(n) {}

LinePlace AlignCommand::placeNow(std::optional<QPoint> stripAt) const {
    const QPoint screen(doc_.titleX(n_), doc_.titleY(n_));
    if (!stripAt) return {screen, screen};
    return {screen, restingPlace(doc_.inPath(n_), *stripAt)};
}

void AlignCommand::placeLine(const LinePlace& place) {
    const QPoint at = doc_.aligning() ? place.screen : place.rest;
    doc_.setTitlePos(n_, at.x(), at.y());
}

MoveTitleLine::MoveTitleLine(PageDocument& doc, int n, QPoint to, int drag, QPoint stripFrom)
    : AlignCommand(doc, QStringLiteral("Move Line %1").arg(n), n), to_(to), stripFrom_(stripFrom),
      drag_(drag) {}

bool MoveTitleLine::apply(PageDocument& doc) {
    before_ = placeNow(stripFrom_);
    doc.setTitlePos(n_, to_.x(), to_.y());
    after_ = placeNow(to_);
    applied_ = true;
    return true;
}

void MoveTitleLine::redo() {
    if (applied_) placeLine(after_);
    PageCommand::redo();
}

void MoveTitleLine::undo() {
    placeLine(before_);
    PageCommand::undo();
}

bool MoveTitleLine::mergeWith(const QUndoCommand* other) {
    const auto* later = dynamic_cast<const MoveTitleLine*>(other);
    if (!later || later->n_ != n_ || drag_ == 0 || later->drag_ != drag_) return false;
    to_ = later->to_;
    after_ = later->after_;
    takeResultOf(*later);
    return true;
}

DrawPath::DrawPath(PageDocument& doc, int n, bool in, const Path& drawn, QPoint restAfter,
                   std::optional<QPoint> stripAt)
    : AlignCommand(doc, QStringLiteral("Draw Path"), n), in_(in), pathAfter_(drawn),
      restAfter_(restAfter), stripAt_(stripAt) {}

bool DrawPath::apply(PageDocument& doc) {
    pathBefore_ = path();
    before_ = placeNow(stripAt_);
    path() = pathAfter_;
    doc.setTitlePos(n_, restAfter_.x(), restAfter_.y());
    after_ = placeNow(stripAt_);
    applied_ = true;
    return doc.pathsDifferFromBuffer();
}

void DrawPath::redo() {
    if (applied_) {
        path() = pathAfter_;
        placeLine(after_);
    }
    PageCommand::redo();
}

void DrawPath::undo() {
    path() = pathBefore_;
    placeLine(before_);
    PageCommand::undo();
}

ResetPath::ResetPath(PageDocument& doc, int n, bool in, std::int32_t keepFrom,
                     std::optional<QPoint> stripAt)
    : AlignCommand(doc, QStringLiteral("Reset Path"), n), in_(in), keepFrom_(keepFrom),
      stripAt_(stripAt) {}

bool ResetPath::apply(PageDocument& doc) {
    cleared_ = in_ ? doc.inPath(n_) : doc.outPath(n_);
    before_ = placeNow(stripAt_);
    doc.clearPath(n_, in_, keepFrom_);
    after_ = placeNow(stripAt_);
    return true;
}

void ResetPath::redo() {
    if (cleared_) {
        doc_.clearPath(n_, in_, keepFrom_);
        placeLine(after_);
    }
    PageCommand::redo();
}

void ResetPath::undo() {
    if (cleared_) {
        doc_.restorePath(n_, in_, *cleared_);
        placeLine(before_);
    }
    PageCommand::undo();
}

} // namespace velmora
