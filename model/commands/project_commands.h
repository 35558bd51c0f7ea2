#pragma once
#include <functional>
#include <QUndoCommand>

#include "model/project_file.h"

// The edits of the project that sit on the page's undo stack beside the page's own.
namespace velmora {

// The project's motion, Smooth or Stepped. It belongs to the project, not the page: doing,
// undoing or redoing it leaves the page's fields and its changed mark alone, and gives the motion
// to the project through `give`, which also writes it to the project file. Choosing the motion
// the project has is no step.
class SetMotion : public QUndoCommand {
public:
    SetMotion(Motion before, Motion after, std::function<void(Motion)> give);
    void redo() override;
    void undo() override;

private:
    Motion before_;
    Motion after_;
    std::function<void(Motion)> give_;
};

} // namespace velmora
