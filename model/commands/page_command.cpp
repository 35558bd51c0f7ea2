#include "model/commands/page_command.h"

namespace velmora {

PageCommand::PageCommand(PageDocument& doc, const QString& text) : doc_(doc) {
    setText(text);
}

void PageCommand::redo() {
    if (done_) {
        doc_.restore(after_);
        doc_.setsav(savedSince() ? doc_.differsFromBuffer() : markAfter_);
        return;
    }
    storedCount_ = doc_.storedCount();
    before_ = doc_.edited();
    markBefore_ = doc_.changed();
    if (apply(doc_)) doc_.setsav(true);
    after_ = doc_.edited();
    markAfter_ = doc_.changed();
    done_ = true;
    setObsolete(after_ == before_ && markAfter_ == markBefore_ && !changesMore());
}

// The mark goes back to what it was before the command: a copy or a new page equals the record
// buffer and is still unsaved. Only a save since then makes the file the measure.
void PageCommand::undo() {
    doc_.restore(before_);
    doc_.setsav(savedSince() ? doc_.differsFromBuffer() : markBefore_);
}

bool PageCommand::savedSince() const {
    return doc_.storedCount() != storedCount_;
}

void PageCommand::takeResultOf(const PageCommand& later) {
    after_ = later.after_;
    markAfter_ = later.markAfter_;
    setObsolete(after_ == before_ && markAfter_ == markBefore_ && !changesMore());
}

} // namespace velmora
