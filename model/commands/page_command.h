#pragma once
#include <QString>
#include <QUndoCommand>

#include "model/page_document.h"
#include "model/page_record.h"

namespace velmora {

// One edit of the page on the document's undo stack. The first time it is done it makes its
// change and decides from its own rule whether the page counts as changed; afterwards undo and
// redo put back the fields and the changed mark as they stood before and after it, so a copied or
// new page stays unsaved; once the page has been saved since the command was done, the mark says
// whether the page differs from what was saved. A command that changed nothing is dropped.
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
    // Whether the command changed what the edited fields leave out (positions, paths), so that
    // it is kept even when the fields and the mark are as before.
    virtual bool changesMore() const { return false; }

    PageDocument& doc_;

private:
    bool savedSince() const;

    EditedPage before_;
    EditedPage after_;
    bool markBefore_ = false;
    bool markAfter_ = false;
    bool done_ = false;
    int storedCount_ = 0; // the document's saves when the command was done
};

} // namespace velmora
