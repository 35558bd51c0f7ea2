#pragma once
#include <cstdint>
#include <optional>
#include <QPoint>

#include "model/commands/page_command.h"

// The edits made on the align screen: a strip dragged, a path drawn, a path started afresh.
// Each keeps where its line stands before and after it twice: on the align screen, and where
// the line rests once the screen is left (its in path's end, or its strip's place). Undone or
// redone while the screen is up, a line goes to its place on the screen; afterwards, to where
// leaving put it.
namespace velmora {

struct LinePlace {
    QPoint screen; // the resting position while the align screen is up
    QPoint rest;   // the resting position once it is left

    bool operator==(const LinePlace&) const = default;
};

// A base for the align screen's commands on line n.
class AlignCommand : public PageCommand {
protected:
    AlignCommand(PageDocument& doc, const QString& text, int n);

    // Line n's place as it stands, its strip at `stripAt` (none: a line without a strip, which
    // leaving does not move).
    LinePlace placeNow(std::optional<QPoint> stripAt) const;
    // Line n to its place, as the align screen is up or not.
    void placeLine(const LinePlace& place);

    int n_;
    LinePlace before_;
    LinePlace after_;
};

// Line n's strip dragged from `stripFrom` to (x, y): its resting position. Always marks, also
// when dropped where it was. The moves of one drag (the same nonzero drag number) are one step.
class MoveTitleLine : public AlignCommand {
public:
    MoveTitleLine(PageDocument& doc, int n, QPoint to, int drag, QPoint stripFrom);
    int id() const override { return 3; }
    bool mergeWith(const QUndoCommand* other) override;
    void redo() override;
    void undo() override;

protected:
    bool apply(PageDocument& doc) override;
    bool changesMore() const override { return before_ != after_; }

private:
    QPoint to_;
    QPoint stripFrom_;
    int drag_;
    bool applied_ = false;
};

// One stroke of line n's in or out path: the path as drawn, and the line's resting position at
// the stroke's end; its strip, if it has one, stands at `stripAt`. Marks when a path's counter
// differs from the page as last loaded or saved.
class DrawPath : public AlignCommand {
public:
    DrawPath(PageDocument& doc, int n, bool in, const Path& drawn, QPoint restAfter,
             std::optional<QPoint> stripAt);
    void redo() override;
    void undo() override;

protected:
    bool apply(PageDocument& doc) override;
    bool changesMore() const override { return before_ != after_ || pathBefore_ != pathAfter_; }

private:
    Path& path() { return in_ ? doc_.inPath(n_) : doc_.outPath(n_); }

    bool in_;
    Path pathBefore_;
    Path pathAfter_;
    QPoint restAfter_;
    std::optional<QPoint> stripAt_;
    bool applied_ = false;
};

// Line n's in or out path started afresh: no points up to slot `keepFrom`. Always marks.
class ResetPath : public AlignCommand {
public:
    ResetPath(PageDocument& doc, int n, bool in, std::int32_t keepFrom,
              std::optional<QPoint> stripAt);
    void redo() override;
    void undo() override;

protected:
    bool apply(PageDocument& doc) override;
    bool changesMore() const override { return cleared_ && *cleared_ != Path(); }

private:
    bool in_;
    std::int32_t keepFrom_;
    std::optional<QPoint> stripAt_;
    std::optional<Path> cleared_;
};

} // namespace velmora
