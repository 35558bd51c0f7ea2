#pragma once
#include <atomic>
#include <QDialog>

#include "export/exporter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velmora {

// The file the window proposes for a project: its name in the videos folder, or beside the
// project when there is no such folder.
QString proposedExportFile(const QString& projectFile, const QString& videosFolder);

// File > "Export Show...": where to and how the show is rendered (file, format, size, frame
// rate, transparency). OK renders the saved project with a progress window that can cancel it;
// the editor is left as it was.
class TExportDialog : public QDialog {
    Q_OBJECT

public:
    explicit TExportDialog(QWidget* parent = nullptr);

    QLineEdit* FileEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QComboBox* FormatBox = nullptr;
    QComboBox* SizeBox = nullptr;
    QComboBox* RateBox = nullptr;
    QCheckBox* AlphaBox = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // Asks for the export of the project (its file), then renders it. The result is told to
    // the user.
    void exportProject(const QString& projectFile);
    // The choices as export options.
    ExportOptions options(const QString& projectFile) const;
    // Renders with the progress window; what came of it.
    ExportResult render(const ExportOptions& options);

private:
    void formatChanged();
    void browse();
};

} // namespace velmora
