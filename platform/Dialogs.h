#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/Color.h"

class QDialog;
class QWidget;

namespace velmora::platform {

enum class MsgKind { Information, Warning, Error, Confirmation, Plain };
enum class MsgButtons { OK, YesNo, YesNoCancel, None };
enum class Answer { OK, Yes, No, Cancel };

struct FileDialogOptions {
    QString title;
    QString filter;        // Qt form: "Bitmaps (*.bmp)"
    QString defaultSuffix; // without the dot
    QString directory;
    bool mustExist = false; // open: the file must exist
    bool confirmOverwrite = true;
};

// Every message box and common dialog of the program goes through here, so tests can answer
// them without a human.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(MsgKind kind, const QString& text, MsgButtons buttons) = 0;
    virtual std::optional<QString> openFile(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> saveFile(const FileDialogOptions& options) = 0;
    virtual std::optional<TColor> chooseColor(TColor initial) = 0;
    virtual bool printSetup() = 0;
    // Runs a modal window; returns its result code.
    virtual int runModal(QDialog& dialog) = 0;
};

// A scripted answerer for tests: records every question, answers from its queues, and falls
// back to a default answer (OK / Cancel / nothing chosen) when a queue is empty. It comes
// with Qt's dialogs (platform/QtDialogs.cpp).
class ScriptedDialogs : public Dialogs {
public:
    struct Asked {
        MsgKind kind;
        QString text;
        MsgButtons buttons;
    };

    Answer message(MsgKind kind, const QString& text, MsgButtons buttons) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    std::optional<TColor> chooseColor(TColor initial) override;
    bool printSetup() override;
    int runModal(QDialog& dialog) override;

    std::vector<Asked> asked;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<TColor>> colors;
    std::vector<FileDialogOptions> fileDialogs;
    std::vector<QString> modalWindows; // window titles of the modal runs
    std::deque<int> modalResults;
    // Called with each modal window before its result is returned (to look at or drive it).
    std::function<void(QDialog&)> onModal;

    QStringList texts() const;
    void clear();
};

Dialogs& dialogs();
// Installs a dialog provider (tests); nullptr restores the default one.
void setDialogs(Dialogs* d);
// The provider used when none is installed: Qt's dialogs once the program has windows
// (useQtDialogs), else one that writes messages to the error output and chooses nothing.
void setDefaultDialogs(Dialogs* d);

// Message box titles, as the user sees them.
QString titleFor(MsgKind kind);

} // namespace velmora::platform
