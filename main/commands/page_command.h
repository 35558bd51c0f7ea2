#pragma once
#include <QString>
#include <QUndoCommand>

#include "main/page_document.h"
#include "main/page_record.h"

namespace velmora {

// One edit of the page on the document's undo stack. The first time it is done it makes its
// change and decides from its own rule whether the page counts as changed; afterwards undo and
// redo put back the fields and the changed mark as they stood. An undo back to the page as last
// loaded or saved leaves the page unmarked. A command that changed nothing is dropped.
class PageCommand : public QUndoCommand {
public:
    void redo() override;
    void undo() override;

protected:
    PageCommand(PageDocument& doc, const QString& text);

    // Makes the change; true when it marks the page changed.
    virtual bool apply(PageDocument& doc) = 0;
    // For mergeWith: takes over the later command's result.
    void takeResultOf(const PageCommand& later);

    PageDocument& doc_;

private:
    EditedPage before_;
    EditedPage after_;
    bool markBefore_ = false;
    bool markAfter_ = false;
    bool done_ = false;
};

} // namespace velmora
