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

QString delimiterName(QChar d) {
    if (d == QLatin1Char(';')) return QStringLiteral("semicolons");
    if (d == QLatin1Char('\t')) return QStringLiteral("tabs");
    return QStringLiteral("commas");
}

// Which of the delimiters that split every row alike the file means, asked from the last (a
// comma is the usual, so a file that splits alike at another most likely means that one);
// nothing when the user cancels.
std::optional<QChar> askDelimiter(const QString& shown, QString choices) {
    while (choices.size() > 1) {
        const QChar asked = choices.back();
        choices.chop(1);
        QStringList others;
        for (qsizetype i = choices.size() - 1; i >= 0; --i)
            others << QStringLiteral("by ") + delimiterName(choices[i]);
        const Answer a = platform::dialogs().message(
            MsgKind::Confirmation,
            QStringLiteral("Are the fields of %1 separated by %2? No: %3.")
                .arg(shown, delimiterName(asked), others.join(QStringLiteral(" or "))),
            MsgButtons::YesNoCancel);
        if (a == Answer::Yes) return asked;
        if (a != Answer::No) return std::nullopt;
    }
    return choices.front();
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
        RowOptions options;
        options.pictureFound = [this](const QString& picture) {
            return QFileInfo(projectFile(picture)).isFile();
        };
        options.insideProject = [this](const QString& name) {
            return insideProjectFolder(dpath, name);
        };
        rows = readPageRows(*data, options);
        if (!rows.delimiterChoices.isEmpty()) {
            options.delimiter = askDelimiter(shown, rows.delimiterChoices);
            if (!options.delimiter) return;
            rows = readPageRows(*data, options);
        }
        if (rows.error.isEmpty() && rows.firstRowMayBeNames) {
            const Answer skip = platform::dialogs().message(
                MsgKind::Confirmation,
                QStringLiteral("The first row of %1 reads \"%2\". Is it column names, to be "
                               "left out?")
                    .arg(shown, rows.firstRow.join(QStringLiteral(", "))),
                MsgButtons::YesNoCancel);
            if (skip == Answer::Cancel) return;
            options.skipFirstRow = skip == Answer::Yes;
            if (options.skipFirstRow) rows = readPageRows(*data, options);
        }
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
                 .arg(pagesText(made.numbers.size()), shown, pageNumbersText(made.numbers)) +
             (made.laterFieldsLeftOut
                  ? QStringLiteral(" Fields a later version wrote into this page were left out: "
                                   "they did not fit beside the texts.")
                  : QString()));
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
