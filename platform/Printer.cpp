#include "platform/Printer.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include "platform/Dialogs.h"

namespace velmora::platform {

namespace {
QString pdfFolderOverride;
} // namespace

QPrinter& Printer::chosen() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

bool Printer::havePrinter() {
    return pdfFolderOverride.isEmpty() && !QPrinterInfo::availablePrinterNames().isEmpty();
}

void Printer::setPdfFolder(const QString& folder) {
    pdfFolderOverride = folder;
}

QString Printer::freePdfPath(const QString& folder, const QString& title) {
    QString base = title.trimmed();
    // A title may hold what a file name cannot.
    base.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (base.isEmpty()) base = QStringLiteral("Printout");
    const QDir dir(folder);
    QString path = dir.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).pdf").arg(base).arg(n));
    return path;
}

Printer::Printer() = default;

Printer::~Printer() {
    if (painter_ && painter_->isActive()) painter_->end();
}

void Printer::begin(const QString& title) {
    if (painter_) throw PrintError("A print job is already running.");
    QPrinter* target = nullptr;
    if (havePrinter()) {
        target = &chosen();
        target->setDocName(title);
    } else {
        QString folder = pdfFolderOverride;
        if (folder.isEmpty())
            folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir().mkpath(folder))
            throw PrintError(QStringLiteral("There is no printer, and no documents folder to "
                                            "write the printout into (%1).")
                                 .arg(folder)
                                 .toStdString());
        pdf_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        pdf_->setOutputFormat(QPrinter::PdfFormat);
        pdf_->setPageLayout(chosen().pageLayout());
        pdf_->setDocName(title);
        pdfFile_ = freePdfPath(folder, title);
        pdf_->setOutputFileName(pdfFile_);
        target = pdf_.get();
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(target)) {
        painter_.reset();
        const QString where = pdfFile_.isEmpty() ? QStringLiteral("the printer ") + target->printerName()
                                                 : pdfFile_;
        pdf_.reset();
        pdfFile_.clear();
        throw PrintError(QStringLiteral("Can not start printing on %1.").arg(where).toStdString());
    }
    // The font starts as the application's, at the device's resolution.
    painter_->setFont(QFont(painter_->font(), target));
    page_ = 1;
}

void Printer::end() {
    if (!painter_) return;
    const bool ok = painter_->end();
    painter_.reset();
    const QString file = pdfFile_;
    pdf_.reset();
    if (!ok) throw PrintError("The printout could not be finished.");
    if (!file.isEmpty())
        dialogs().message(MsgKind::Information,
                          QStringLiteral("There is no printer on this machine. The printout was "
                                         "saved as\n") +
                              QDir::toNativeSeparators(file),
                          MsgButtons::OK);
}

int Printer::pageWidth() const {
    return painter_ ? painter_->device()->width() : 0;
}

int Printer::pageHeight() const {
    return painter_ ? painter_->device()->height() : 0;
}

void Printer::setFontName(const QString& face) {
    if (!painter_) return;
    QFont f = painter_->font();
    f.setFamily(face);
    painter_->setFont(f);
}

void Printer::setFontSize(int points) {
    if (!painter_) return;
    QFont f = painter_->font();
    f.setPointSize(qMax(1, points));
    painter_->setFont(f);
}

int Printer::textHeight(const QString&) const {
    if (!painter_) return 0;
    return QFontMetrics(painter_->font(), painter_->device()).height();
}

void Printer::textOut(int x, int y, const QString& text) {
    if (!painter_) return;
    const QFontMetrics fm(painter_->font(), painter_->device());
    painter_->drawText(x, y + fm.ascent(), text);
}

void Printer::newPage() {
    if (!painter_) return;
    QPrinter* printer = static_cast<QPrinter*>(painter_->device());
    if (!printer->newPage()) throw PrintError("The printer could not start a new sheet.");
    ++page_;
}

} // namespace velmora::platform
