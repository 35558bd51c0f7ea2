#include "dialogs/exportdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>

#include "platform/Dialogs.h"
#include "platform/Pump.h"

namespace velmora {

namespace {

struct FormatChoice {
    const char* caption;
    VideoFormat format;
    const char* suffix;
    bool alpha; // can keep transparency
};
constexpr FormatChoice Formats[] = {
    {"MP4 video (H.264), for delivery", VideoFormat::Mp4, ".mp4", false},
    {"MOV video (ProRes 4444), for compositing", VideoFormat::Mov, ".mov", true},
    {"WebM video (VP9), for compositing", VideoFormat::Webm, ".webm", true},
    {"PNG pictures, one a frame", VideoFormat::Png, "", true},
};
constexpr struct {
    const char* caption;
    int w, h;
} Sizes[] = {{"1920 x 1080", 1920, 1080},
             {"1280 x 720", 1280, 720},
             {"3840 x 2160", 3840, 2160},
             {"720 x 576", 720, 576},
             // 0 x 0: the size the project's pages are laid out in.
             {"The project's stage", 0, 0}};
constexpr struct {
    const char* caption;
    FrameRate rate;
} Rates[] = {{"25", {25, 1}}, {"30", {30, 1}},          {"24", {24, 1}}, {"29.97", {30000, 1001}},
             {"50", {50, 1}}, {"59.94", {60000, 1001}}, {"60", {60, 1}}};

QComboBox* combo(QWidget* parent, const QString& name) {
    auto* c = new QComboBox(parent);
    c->setAccessibleName(name);
    return c;
}

} // namespace

QString proposedExportFile(const QString& projectFile, const QString& videosFolder) {
    const QFileInfo project(projectFile);
    const QString folder = !videosFolder.isEmpty() && QFileInfo(videosFolder).isDir()
                               ? videosFolder
                               : project.absolutePath();
    return QDir(folder).filePath(project.completeBaseName());
}

TExportDialog::TExportDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Export Show"));
    setObjectName(QStringLiteral("ExportDialog"));
    auto* form = new QFormLayout(this);

    FileEdit = new QLineEdit(this);
    FileEdit->setAccessibleName(QStringLiteral("File"));
    FileEdit->setMinimumWidth(320);
    BrowseButton = new QPushButton(QStringLiteral("Browse..."), this);
    BrowseButton->setAccessibleName(QStringLiteral("Browse for the file"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FileEdit, 1);
    fileRow->addWidget(BrowseButton);
    auto* fileLabel = new QLabel(QStringLiteral("&File:"), this);
    fileLabel->setBuddy(FileEdit);
    form->addRow(fileLabel, fileRow);

    FormatBox = combo(this, QStringLiteral("Format"));
    for (const FormatChoice& f : Formats)
        FormatBox->addItem(QString::fromLatin1(f.caption));
    form->addRow(QStringLiteral("F&ormat:"), FormatBox);
    SizeBox = combo(this, QStringLiteral("Frame size"));
    for (const auto& s : Sizes)
        SizeBox->addItem(QString::fromLatin1(s.caption));
    form->addRow(QStringLiteral("&Size:"), SizeBox);
    RateBox = combo(this, QStringLiteral("Frames a second"));
    for (const auto& r : Rates)
        RateBox->addItem(QString::fromLatin1(r.caption));
    form->addRow(QStringLiteral("Frames a seco&nd:"), RateBox); // Alt+E is Export
    AlphaBox = new QCheckBox(QStringLiteral("&Transparent background (for compositing)"), this);
    AlphaBox->setAccessibleName(QStringLiteral("Transparent background"));
    form->addRow(AlphaBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setText(QStringLiteral("&Export"));
    OkButton->setAccessibleName(QStringLiteral("Export"));
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    CancelButton->setAccessibleName(QStringLiteral("Cancel"));
    form->addRow(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(BrowseButton, &QPushButton::clicked, this, &TExportDialog::browse);
    connect(FormatBox, &QComboBox::currentIndexChanged, this, &TExportDialog::formatChanged);
    connect(FileEdit, &QLineEdit::textChanged, this,
            [this] { OkButton->setEnabled(!FileEdit->text().trimmed().isEmpty()); });
    formatChanged();
}

void TExportDialog::formatChanged() {
    const FormatChoice& f = Formats[std::max(0, FormatBox->currentIndex())];
    AlphaBox->setEnabled(f.alpha);
    if (!f.alpha) AlphaBox->setChecked(false);
    // The file's extension follows the format.
    QString name = FileEdit->text().trimmed();
    if (name.isEmpty()) return;
    const QFileInfo info(name);
    if (!info.suffix().isEmpty()) name.chop(info.suffix().size() + 1);
    FileEdit->setText(name + QLatin1String(f.suffix));
}

void TExportDialog::browse() {
    platform::FileDialogOptions o;
    o.title = QStringLiteral("Export Show");
    const FormatChoice& f = Formats[std::max(0, FormatBox->currentIndex())];
    o.filter = *f.suffix ? QStringLiteral("Video (*%1)").arg(QLatin1String(f.suffix))
                         : QStringLiteral("Folder of pictures (*)");
    o.defaultSuffix = QString::fromLatin1(f.suffix).mid(1);
    o.directory = QFileInfo(FileEdit->text()).absolutePath();
    if (const std::optional<QString> file = platform::dialogs().saveFile(o))
        FileEdit->setText(*file);
}

ExportOptions TExportDialog::options(const QString& projectFile) const {
    ExportOptions o;
    o.project = projectFile;
    o.output = FileEdit->text().trimmed();
    o.format = Formats[std::max(0, FormatBox->currentIndex())].format;
    const auto& size = Sizes[std::max(0, SizeBox->currentIndex())];
    o.show.width = size.w;
    o.show.height = size.h;
    o.show.rate = Rates[std::max(0, RateBox->currentIndex())].rate;
    o.alpha = AlphaBox->isEnabled() && AlphaBox->isChecked();
    return o;
}

ExportResult TExportDialog::render(const ExportOptions& options) {
    QProgressDialog progress(QStringLiteral("Rendering the show..."), QStringLiteral("Cancel"), 0,
                             100, parentWidget());
    progress.setWindowTitle(QStringLiteral("Export Show"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAccessibleName(QStringLiteral("Export progress"));
    std::atomic<bool> cancel{false};
    const ExportResult r = exportShow(
        options,
        [&](std::int64_t frame, std::int64_t total) {
            if (frame % 8 && frame != total) return;
            progress.setMaximum(int(std::min<std::int64_t>(total, 1 << 30)));
            progress.setValue(int(frame));
            progress.setLabelText(
                QStringLiteral("Rendering the show: frame %1 of %2").arg(frame).arg(total));
            platform::pump();
            if (progress.wasCanceled()) cancel = true;
        },
        &cancel);
    progress.reset();
    return r;
}

void TExportDialog::exportProject(const QString& projectFile) {
    if (FileEdit->text().isEmpty()) {
        FileEdit->setText(proposedExportFile(
            projectFile, QStandardPaths::writableLocation(QStandardPaths::MoviesLocation)));
        formatChanged();
    }
    // "No" to replacing a file brings the window back, its choices kept, for another name.
    ExportOptions o;
    for (;;) {
        if (platform::dialogs().runModal(*this) != QDialog::Accepted) return;
        o = options(projectFile);
        const QFileInfo existing(o.output);
        if (o.format == VideoFormat::Png || !existing.isFile() || existing.isSymLink() ||
            !outputRefused(o.output, o.format).isEmpty() ||
            platform::dialogs().message(
                platform::MsgKind::Confirmation,
                QStringLiteral("%1 is there already. Replace it?").arg(o.output),
                platform::MsgButtons::YesNo) == platform::Answer::Yes)
            break;
    }
    const ExportResult r = render(o);
    if (r.ok) {
        QString text =
            QStringLiteral("The show was written to %1 (%2 %3, %4 s).")
                .arg(o.output)
                .arg(r.run.frames)
                .arg(r.run.frames == 1 ? QStringLiteral("frame") : QStringLiteral("frames"))
                .arg(QString::number(double(r.run.duration) / 1e9, 'f', 1));
        for (const QString& left : r.run.omitted)
            text += QStringLiteral("\nLeft out: ") + left;
        platform::dialogs().message(r.run.omitted.empty() ? platform::MsgKind::Information
                                                          : platform::MsgKind::Warning,
                                    text, platform::MsgButtons::OK);
    } else if (!r.cancelled) {
        platform::dialogs().message(platform::MsgKind::Error,
                                    QStringLiteral("The show could not be exported: ") + r.error,
                                    platform::MsgButtons::OK);
    }
}

} // namespace velmora
