// Hand-drawn paths on the align screen: recorded from the mouse one pixel a move, shown as
// crawling dotted lines in their line's colour, started afresh from the path buttons.
#include <algorithm>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "model/commands/align_commands.h"
#include "platform/Pump.h"
#include "player/align_drawing.h"
#include "playback/bitmcan.h"

namespace velmora {

namespace {

// The paths in the order they are shown: line 1 in, line 1 out, line 2 in, and so on.
constexpr struct {
    int line;
    bool in;
} ShowOrder[6] = {{1, true}, {1, false}, {2, true}, {2, false}, {3, true}, {3, false}};

bool leftAlone(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    return buttons == Qt::LeftButton && modifiers == Qt::NoModifier;
}

} // namespace

int TCan::downPathLine(bool* in) const {
    for (int i = 0; i < 6; ++i)
        if (pathButtons_[i]->isChecked()) {
            *in = i % 2 == 0;
            return i / 2 + 1;
        }
    return 0;
}

void TCan::resetPath(int n, bool in) {
    const Batch batch(*this);
    const Path& path = pagePath(n, in);
    const std::int32_t keep = std::clamp(maxPathIndex(), 0, MaxPathPoints);
    ClearPath(canvas_, path, keep);
    document_.undoStack().push(new ResetPath(document_, n, in, keep, stripPlace(n)));
    stroke_.reset();
}

void TCan::FormMouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int X, int Y) {
    Timer1.stop();
    if (!alignMode() || !leftAlone(buttons, modifiers)) return;
    const QPoint at = toStage({X, Y});
    X = at.x();
    Y = at.y();
    const Batch batch(*this);
    bool in = true;
    const int down = downPathLine(&in);
    // The copy left at the end of the last stroke goes.
    canvas_.copyMode = platform::CopyMode::Blackness;
    if (down && document_.line(down).InUse && strips_[down - 1])
        canvas_.draw(PenX, PenY, strips_[down - 1]->strip.picture);
    canvas_.copyMode = platform::CopyMode::SrcCopy;
    if (!down) return;
    canvas_.moveTo(X, Y);
    stroke_ = Stroke{down, in, pagePath(down, in)};
}

void TCan::FormMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int X, int Y) {
    bool in = true;
    const int n = downPathLine(&in);
    if (!alignMode() || !n) return;
    canvas_.pen.width = 1;
    const std::int32_t N = std::min(maxPathIndex(), std::int32_t(MaxPathPoints - 1));
    const TitleLine& line = document_.line(n);
    if (!(in ? line.InPathArmed : line.OutPathArmed) || !leftAlone(buttons, modifiers)) return;
    if (!stroke_ || stroke_->line != n || stroke_->in != in)
        stroke_ = Stroke{n, in, pagePath(n, in)};
    Path& path = stroke_->path;
    if (path.LastIndex >= N) return;
    // The pointer may leave the window while the button is held; a slot holds stage pixels.
    const QPoint at = toStage({X, Y});
    X = std::clamp(at.x(), 0, std::max(0, canvas_.stageWidth() - 1));
    Y = std::clamp(at.y(), 0, std::max(0, canvas_.stageHeight() - 1));

    const Batch batch(*this);
    switch (advancePath(path, N)) {
    case PathMove::First:
        canvas_.moveTo(X, Y);
        path.Points[0] = {std::uint16_t(X), std::uint16_t(Y)};
        break;
    case PathMove::Step:
        canvas_.pen.color = lineColor(n);
        path.Points[path.LastIndex] = SetXY(X, Y, path.Points[path.LastIndex - 1]);
        Label2->setText(QString::number(path.LastIndex));
        gauge1->setValue(path.LastIndex);
        break;
    case PathMove::Full: // the counter stays at its limit and nothing is stored
        break;
    }
}

PathPoint TCan::SetXY(int X, int Y, PathPoint previous) {
    const PathPoint next = stepToward(previous, X, Y);
    canvas_.lineTo(next.x, next.y);
    PenX = next.x;
    PenY = next.y;
    return next;
}

void TCan::FormMouseUp(int /*X*/, int /*Y*/) {
    const Batch batch(*this);
    bool in = true;
    const int down = downPathLine(&in);
    QPoint rest = down ? QPoint(titleX(down), titleY(down)) : QPoint();
    if (down) {
        const TitleLine& line = document_.line(down);
        Tbmp* s = strips_[down - 1];
        // A line without a strip (not in use) has nothing to leave at the stroke's end.
        if ((line.InPathArmed || line.OutPathArmed) && line.InUse && s) {
            canvas_.copyMode = platform::CopyMode::Blackness;
            canvas_.draw(s->strip.Left, s->strip.Top, s->strip.picture);
            canvas_.copyMode = platform::CopyMode::SrcCopy;
            canvas_.draw(PenX, PenY, s->strip.picture);
            // The copy at the stroke's end is paint only: the line stays where its strip stands,
            // where an undo or redo puts the strip and from where leaving places the line.
            rest = s->stagePos();
        }
    }
    // A press and release without a recorded move leaves the path as it was: no step to undo.
    if (stroke_ && stroke_->path.LastIndex != pagePath(stroke_->line, stroke_->in).LastIndex)
        document_.undoStack().push(new DrawPath(document_, stroke_->line, stroke_->in,
                                                stroke_->path, rest, stripPlace(stroke_->line)));
    stroke_.reset();
    Timer1.start();
}

void TCan::ShowAllPaths() {
    const Batch batch(*this);
    for (const auto& p : ShowOrder) {
        const Path& path = pagePath(p.line, p.in);
        if (!pathShown(path) || !document_.line(p.line).InUse) continue;
        canvas_.pen.color = lineColor(p.line);
        drawPathLines(canvas_, path);
    }
}

void TCan::Timer1Timer() {
    {
        const Batch batch(*this);
        MarqueePhase = !MarqueePhase;
        canvas_.pen.width = 1;
        for (const auto& p : ShowOrder) {
            const Path& path = pagePath(p.line, p.in);
            if (!pathShown(path) || !document_.line(p.line).InUse) continue;
            PaintMarquee(canvas_, path, path.LastIndex, MarqueePhase, lineColor(p.line));
        }
        canvas_.pen.color = platform::clBlack;
        if (CheckBox1->isChecked()) Showgrid1(true);
        if (CheckBox2->isChecked()) Showgrid2(true);
    }
    platform::pump();
}

} // namespace velmora
