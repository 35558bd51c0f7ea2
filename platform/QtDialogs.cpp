#include "platform/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/FrontWindow.h"
#include "platform/Printer.h"

namespace velmora::platform {

namespace {
QtDialogs qtDialogs;
QPointer<QWidget> parentWidget;
} // namespace

void useQtDialogs() {
    setDefaultDialogs(&qtDialogs);
}
void setDialogParent(QWidget* parent) {
    parentWidget = parent;
}
// Over the align screen while it is up: a box under a full-screen window cannot be answered.
QWidget* dialogParent() {
    if (QWidget* f = frontWindow()) return f;
    return parentWidget.data();
}

Answer QtDialogs::message(MsgKind kind, const QString& text, MsgButtons buttons) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
    case MsgKind::Information:
        icon = QMessageBox::Information;
        break;
    case MsgKind::Warning:
        icon = QMessageBox::Warning;
        break;
    case MsgKind::Error:
        icon = QMessageBox::Critical;
        break;
    case MsgKind::Confirmation:
        icon = QMessageBox::Question;
        break;
    case MsgKind::Plain:
        break;
    }
    QMessageBox::StandardButtons std = QMessageBox::Ok;
    switch (buttons) {
    case MsgButtons::OK:
        std = QMessageBox::Ok;
        break;
    case MsgButtons::YesNo:
        std = QMessageBox::Yes | QMessageBox::No;
        break;
    case MsgButtons::YesNoCancel:
        std = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case MsgButtons::None:
        std = QMessageBox::NoButton;
        break;
    }
    QMessageBox box(icon, titleFor(kind), text, std, dialogParent());
    box.setAccessibleName(titleFor(kind));
    if (buttons == MsgButtons::None) {
        // A box without buttons is closed from its title bar.
        box.setStandardButtons(QMessageBox::NoButton);
        box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    }
    const int r = box.exec();
    switch (r) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        break;
    }
    return buttons == MsgButtons::YesNoCancel ? Answer::Cancel
           : buttons == MsgButtons::YesNo     ? Answer::No
                                              : Answer::OK;
}

static QFileDialog* makeFileDialog(const FileDialogOptions& options, bool save) {
    auto* d =
        new QFileDialog(dialogParent(), options.title, options.directory, options.filter);
    d->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d->setFileMode(save ? QFileDialog::AnyFile
                        : (options.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    if (!options.defaultSuffix.isEmpty()) d->setDefaultSuffix(options.defaultSuffix);
    if (!options.confirmOverwrite) d->setOption(QFileDialog::DontConfirmOverwrite, true);
    return d;
}

std::optional<QString> QtDialogs::openFile(const FileDialogOptions& options) {
    std::unique_ptr<QFileDialog> d(makeFileDialog(options, false));
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return std::nullopt;
    return d->selectedFiles().first();
}

std::optional<QString> QtDialogs::saveFile(const FileDialogOptions& options) {
    std::unique_ptr<QFileDialog> d(makeFileDialog(options, true));
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return std::nullopt;
    return d->selectedFiles().first();
}

std::optional<TColor> QtDialogs::chooseColor(TColor initial) {
    const QColor c = QColorDialog::getColor(
        QColor(redOf(initial), greenOf(initial), blueOf(initial)), dialogParent());
    if (!c.isValid()) return std::nullopt;
    return rgb(c.red(), c.green(), c.blue());
}

bool QtDialogs::printSetup() {
    // The printer and settings chosen here are those of every later print job.
    QPrintDialog d(&Printer::chosen(), dialogParent());
    return d.exec() == QDialog::Accepted;
}

int QtDialogs::runModal(QDialog& dialog) {
    return dialog.exec();
}

int ScriptedDialogs::runModal(QDialog& dialog) {
    modalWindows.push_back(dialog.windowTitle());
    if (onModal) onModal(dialog);
    if (modalResults.empty()) return QDialog::Rejected;
    const int r = modalResults.front();
    modalResults.pop_front();
    return r;
}

Answer ScriptedDialogs::message(MsgKind kind, const QString& text, MsgButtons buttons) {
    asked.push_back({kind, text, buttons});
    if (!answers.empty()) {
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MsgButtons::YesNoCancel ? Answer::Cancel
           : buttons == MsgButtons::YesNo     ? Answer::No
                                              : Answer::OK;
}

std::optional<QString> ScriptedDialogs::openFile(const FileDialogOptions& options) {
    fileDialogs.push_back(options);
    if (files.empty()) return std::nullopt;
    const bool chosen = files.front().has_value();
    const QString name = chosen ? *files.front() : QString();
    files.pop_front();
    if (!chosen) return std::nullopt;
    return name;
}

std::optional<QString> ScriptedDialogs::saveFile(const FileDialogOptions& options) {
    return openFile(options);
}

std::optional<TColor> ScriptedDialogs::chooseColor(TColor) {
    if (colors.empty()) return std::nullopt;
    auto c = colors.front();
    colors.pop_front();
    return c;
}

bool ScriptedDialogs::printSetup() {
    return false;
}

QStringList ScriptedDialogs::texts() const {
    QStringList l;
    for (const auto& a : asked)
        l << a.text;
    return l;
}

void ScriptedDialogs::clear() {
    asked.clear();
    answers.clear();
    files.clear();
    colors.clear();
    fileDialogs.clear();
    modalWindows.clear();
    modalResults.clear();
}

} // namespace velmora::platform
