#include "platform/Dialogs.h"

#include <cstdio>
#include <QCoreApplication>

namespace velmora::platform {

namespace {

// Where no window can ask: messages go to the error output, questions get the answer that
// changes nothing, and no file is chosen.
class StderrDialogs : public Dialogs {
public:
    Answer message(MsgKind kind, const QString& text, MsgButtons buttons) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(titleFor(kind)), qPrintable(text));
        switch (buttons) {
        case MsgButtons::YesNo:
            return Answer::No;
        case MsgButtons::YesNoCancel:
            return Answer::Cancel;
        default:
            return Answer::OK;
        }
    }
    std::optional<QString> openFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<TColor> chooseColor(TColor) override { return std::nullopt; }
    bool printSetup() override { return false; }
    int runModal(QDialog&) override { return 0; }
};

StderrDialogs stderrDialogs;
Dialogs* fallback = &stderrDialogs;
Dialogs* current = nullptr;

} // namespace

Dialogs& dialogs() {
    return current ? *current : *fallback;
}
void setDialogs(Dialogs* d) {
    current = d;
}
void setDefaultDialogs(Dialogs* d) {
    fallback = d ? d : &stderrDialogs;
}

QString titleFor(MsgKind kind) {
    switch (kind) {
    case MsgKind::Information:
        return QStringLiteral("Information");
    case MsgKind::Warning:
        return QStringLiteral("Warning");
    case MsgKind::Error:
        return QStringLiteral("Error");
    case MsgKind::Confirmation:
        return QStringLiteral("Confirm");
    case MsgKind::Plain:
        break;
    }
    return QCoreApplication::applicationName();
}

} // namespace velmora::platform
