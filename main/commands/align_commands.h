#pragma once
#include <cstdint>
#include <optional>
#include <QPoint>

#include "main/commands/page_command.h"

// The edits made on the align screen: a strip dragged, a path drawn, a path started afresh.
namespace velmora {

// Line n's strip dragged to (x, y): its resting position. Always marks, also when dropped where
// it was. The moves of one drag (the same nonzero drag number) are one step.
class MoveTitleLine : public PageCommand {
public:
    MoveTitleLine(PageDocument& doc, int n, QPoint to, int drag);
    int id() const override { return 3; }
    bool mergeWith(const QUndoCommand* other) override;
    void redo() override;
    void undo() override;

protected:
    bool apply(PageDocument& doc) override;
    bool changesMore() const override { return from_ != to_; }

private:
    int n_;
    QPoint from_;
    QPoint to_;
    int drag_;
    bool applied_ = false;
};

// One stroke of line n's in or out path: the path as drawn, and the line's resting position at
// the stroke's end. Marks when a path's counter differs from the page as last loaded or saved.
class DrawPath : public PageCommand {
public:
    DrawPath(PageDocument& doc, int n, bool in, const Path& drawn, QPoint restAfter);
    void redo() override;
    void undo() override;

protected:
    bool apply(PageDocument& doc) override;
    bool changesMore() const override { return before_ != after_ || restBefore_ != restAfter_; }

private:
    Path& path() { return in_ ? doc_.inPath(n_) : doc_.outPath(n_); }

    int n_;
    bool in_;
    Path before_;
    Path after_;
    QPoint restBefore_;
    QPoint restAfter_;
    bool applied_ = false;
};

// Line n's in or out path started afresh: no points up to slot `keepFrom`. Always marks.
class ResetPath : public PageCommand {
public:
    ResetPath(PageDocument& doc, int n, bool in, std::int32_t keepFrom);
    void redo() override;
    void undo() override;

protected:
    bool apply(PageDocument& doc) override;
    bool changesMore() const override { return cleared_ && *cleared_ != Path(); }

private:
    int n_;
    bool in_;
    std::int32_t keepFrom_;
    std::optional<Path> cleared_;
};

} // namespace velmora
