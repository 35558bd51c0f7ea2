#pragma once
#include "platform/Dialogs.h"

class QWidget;

namespace velmora::platform {

// The real dialogs, Qt's own.
class QtDialogs : public Dialogs {
public:
    Answer message(MsgKind kind, const QString& text, MsgButtons buttons) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    std::optional<TColor> chooseColor(TColor initial) override;
    bool printSetup() override;
    int runModal(QDialog& dialog) override;
};

// Makes Qt's dialogs the default provider.
void useQtDialogs();
// The window message boxes are parented to; set by the main window.
void setDialogParent(QWidget* parent);
// The window the dialogs open over: the front window while it is shown, else the one set above.
QWidget* dialogParent();

} // namespace velmora::platform
