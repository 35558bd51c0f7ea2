#include "main/commands/page_command.h"

namespace velmora {

PageCommand::PageCommand(PageDocument& doc, const QString& text) : doc_(doc) {
    setText(text);
}

void PageCommand::redo() {
    if (done_) {
        doc_.restore(after_);
        doc_.setsav(markAfter_);
        return;
    }
    before_ = doc_.edited();
    markBefore_ = doc_.changed();
    if (apply(doc_)) doc_.setsav(true);
    after_ = doc_.edited();
    markAfter_ = doc_.changed();
    done_ = true;
    setObsolete(after_ == before_ && markAfter_ == markBefore_);
}

void PageCommand::undo() {
    doc_.restore(before_);
    doc_.setsav(markBefore_ && doc_.differsFromBuffer());
}

void PageCommand::takeResultOf(const PageCommand& later) {
    after_ = later.after_;
    markAfter_ = later.markAfter_;
    setObsolete(after_ == before_ && markAfter_ == markBefore_);
}

} // namespace velmora
