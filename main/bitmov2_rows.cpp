// Pages from rows of texts and back: File > "Import Pages..." and "Export Texts...". The work is
// the model's (main/page_rows, main/page_import); here the user is asked and told.
#include <QFileInfo>
#include <QLabel>

#include "main/bitmov2.h"
#include "model/page_import.h"
#include "platform/Dialogs.h"

namespace velmora {

using platform::Answer;
using platform::MsgButtons;
using platform::MsgKind;

namespace {

void tell(MsgKind kind, const QString& text) {
    platform::dialogs().message(kind, text, MsgButtons::OK);
}

QString pagesText(std::size_t n) {
    return n == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(n);
}

} // namespace

void TBitMovOptMain::ImportPages1Click() {
    const QString base = StripKVT(ProjectName);
    if (base.isEmpty()) {
        tell(MsgKind::Information, QStringLiteral("Open a Project or Save this project first."));
        return;
    }
    // The new pages end on screen, and the page on screen is their template as it stands.
    if (!pageMayBeReplaced()) return;
    const PageImage templ = pageFromEditor();
    const PageBuffer templateRecord = pageBuffer;

    platform::FileDialogOptions options;
    options.title = QStringLiteral("Import Pages");
    options.filter = QStringLiteral("Texts for pages (*.csv *.CSV *.tsv *.txt)");
    options.directory = dpath;
    options.mustExist = true;
    const std::optional<QString> file = platform::dialogs().openFile(options);
    if (!file) return;
    const QString shown = QFileInfo(*file).fileName();

    QString error;
    const std::optional<QByteArray> data = readRowsFile(*file, &error);
    PageRows rows;
    if (data) {
        rows = readPageRows(*data, [this](const QString& picture) {
            return QFileInfo(projectFile(picture)).isFile();
        });
        error = rows.error;
    }
    if (error.isEmpty() && rows.rows.empty()) error = QStringLiteral("no rows to make pages of");
    if (error.isEmpty()) error = roomForPages(dpath, base, int(rows.rows.size()));
    if (!error.isEmpty()) {
        tell(MsgKind::Error,
             shown + QStringLiteral(": ") + error + QStringLiteral(". No page was made."));
        return;
    }

    if (platform::dialogs().message(
            MsgKind::Confirmation,
            QStringLiteral("Make %1 from %2?").arg(pagesText(rows.rows.size()), shown),
            MsgButtons::YesNo) != Answer::Yes)
        return;
    const ImportResult made = writeRowPages(dpath, base, templ, templateRecord, rows.rows);
    if (!made.error.isEmpty()) {
        tell(MsgKind::Error, shown + QStringLiteral(": ") + made.error + QLatin1Char('.'));
        return;
    }
    updateNumberOPages(dpath + ProjectName, dpath, base);

    currentpage = made.numbers.front().toInt();
    CurPgNumber->setText(made.numbers.front());
    LoadPage(ProjectName);
    tell(MsgKind::Information,
         QStringLiteral("Made %1 from %2: %3.")
             .arg(pagesText(made.numbers.size()), shown, pageNumbersText(made.numbers)));
}

void TBitMovOptMain::ExportTexts1Click() {
    const QString base = StripKVT(ProjectName);
    if (base.isEmpty()) {
        tell(MsgKind::Information, QStringLiteral("Open a Project or Save this project first."));
        return;
    }
    // The texts are the project's files'.
    if (!pageMayBeReplaced()) return;

    platform::FileDialogOptions options;
    options.title = QStringLiteral("Export Texts");
    options.filter = QStringLiteral("CSV Files (*.csv *.CSV)");
    options.defaultSuffix = QStringLiteral("csv");
    options.directory = dpath + QFileInfo(ProjectName).completeBaseName() + QStringLiteral(".csv");
    const std::optional<QString> file = platform::dialogs().saveFile(options);
    if (!file) return;

    QString error;
    const std::optional<std::vector<ProjectPage>> pages = readProjectPages(dpath, base, &error);
    if (!pages) {
        tell(MsgKind::Error,
             QStringLiteral("Can not export the texts: ") + error + QLatin1Char('.'));
        return;
    }
    if (!writeRowsFile(*file, projectPagesCsv(*pages))) {
        tell(MsgKind::Error, QStringLiteral("Can not write ") + *file + QLatin1Char('.'));
        return;
    }
    tell(MsgKind::Information, QStringLiteral("Wrote the texts of %1 to %2.")
                                   .arg(pagesText(pages->size()), QFileInfo(*file).fileName()));
}

} // namespace velmora
