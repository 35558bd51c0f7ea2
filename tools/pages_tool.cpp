#include "tools/pages_tool.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "model/editor_state.h"
#include "model/page_import.h"

namespace velmora::pagestool {

const char* const Usage =
    "usage: velmora-pages import PROJECT.kvt ROWS.csv [--template NNN] [--delimiter D]\n"
    "                            [--skip-first-row]\n"
    "       velmora-pages export PROJECT.kvt [-o FILE.csv]\n"
    "       velmora-pages list PROJECT.kvt\n"
    "\n"
    "import  makes a page of each row of ROWS.csv and writes them at the project's free page\n"
    "        numbers. Each page is the template page (NNN, else page 000, else a new page)\n"
    "        with the row's texts. ROWS.csv is UTF-8, with or without a byte-order mark, its\n"
    "        fields separated by commas, semicolons or tabs and quoted with \"; a row's first\n"
    "        three fields are the texts of lines 1 to 3, unless a first row names the columns:\n"
    "        Line 1, Line 2, Line 3, Picture 1, Picture 2, Picture 3, Wave 1, Wave 2, Wave 3,\n"
    "        Pause (0 to 60 seconds) and Page (not used). A title takes at most 80\n"
    "        characters, as a person counts them (an emoji is one). Pictures and waves must\n"
    "        lie in the project's folder. All or nothing: a bad row is reported and no page\n"
    "        is written.\n"
    "        --delimiter D     the fields are separated by D: \",\" (or comma), \";\" (or\n"
    "                          semicolon) or tab; needed when the rows split alike at more\n"
    "                          than one of them.\n"
    "        --skip-first-row  the first row is not a page: a row of column names other than\n"
    "                          the ones above (Name, Role, Company).\n"
    "export  writes the project's pages as CSV (UTF-8 with a byte-order mark, as spreadsheets\n"
    "        read it): a header, then one row per page with its number, the three texts, the\n"
    "        picture and wave names and the pause. To standard output without -o.\n"
    "list    prints one line per page: its number and its three texts, separated by tabs.\n"
    "\n"
    "An error is told in one line, and the exit status is 1.\n";

namespace {

struct Failure {
    QString why;
};

void print(QIODevice& to, const QString& text) {
    to.write(text.toUtf8());
}

// The command's arguments after the command's name: the positional ones in order, and the
// options that take a value.
struct Parsed {
    QStringList positional;
    std::optional<QString> templ;
    std::optional<QString> output;
    std::optional<QString> delimiter;
    bool skipFirstRow = false;
};

const QString SkipFirstRow = QStringLiteral("--skip-first-row");

Parsed parse(const QStringList& args, const QStringList& options) {
    Parsed p;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            if (!options.contains(a)) throw Failure{QStringLiteral("unknown option %1").arg(a)};
            if (a == SkipFirstRow) {
                p.skipFirstRow = true;
                continue;
            }
            if (i + 1 >= args.size()) throw Failure{QStringLiteral("%1 needs a value").arg(a)};
            std::optional<QString>& value = a == QLatin1String("--template")    ? p.templ
                                            : a == QLatin1String("--delimiter") ? p.delimiter
                                                                                : p.output;
            value = args[++i];
        } else {
            p.positional << a;
        }
    }
    return p;
}

void expectArguments(const Parsed& p, const QString& command, const QStringList& names) {
    if (p.positional.size() < names.size())
        throw Failure{QStringLiteral("%1 needs %2").arg(command, names.join(QStringLiteral(" ")))};
    if (p.positional.size() > names.size())
        throw Failure{QStringLiteral("%1 takes %2 only, not %3")
                          .arg(command, names.join(QStringLiteral(" ")), p.positional.last())};
}

ProjectPlace project(const QString& path) {
    QString error;
    const std::optional<ProjectPlace> place = locateProject(path, &error);
    if (!place) throw Failure{error};
    return *place;
}

std::vector<ProjectPage> pagesOf(const ProjectPlace& place) {
    QString error;
    std::optional<std::vector<ProjectPage>> pages =
        readProjectPages(place.dpath, place.base, &error);
    if (!pages) throw Failure{error};
    return *pages;
}

// The template page and its record: the page named, else page 000, else a new page.
std::pair<PageImage, PageBuffer> templatePage(const ProjectPlace& place,
                                              const std::optional<QString>& number) {
    int n = 0;
    if (number) {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
        if (!digits.match(*number).hasMatch())
            throw Failure{
                QStringLiteral("--template %1: a page number from 000 to 999").arg(*number)};
        n = number->toInt();
    }
    const QString file = pageFileName(place.dpath, place.base, *pageNumberText(n));
    PageImage page;
    PageBuffer buffer;
    switch (readPageFile(file, buffer)) {
    case PageReadResult::Ok:
        buffer.decode(page);
        break;
    case PageReadResult::Missing:
        if (number) throw Failure{QStringLiteral("no page file %1").arg(file)};
        break;
    case PageReadResult::NotRegular:
        throw Failure{QStringLiteral("the page file %1 is not a regular file").arg(file)};
    case PageReadResult::Unreadable:
        throw Failure{QStringLiteral("can not read the page file %1").arg(file)};
    }
    return {page, buffer};
}

std::optional<QChar> delimiterOf(const std::optional<QString>& given) {
    if (!given) return std::nullopt;
    const QString d = given->toLower();
    if (d == QLatin1String(",") || d == QLatin1String("comma")) return QLatin1Char(',');
    if (d == QLatin1String(";") || d == QLatin1String("semicolon")) return QLatin1Char(';');
    if (d == QLatin1String("\t") || d == QLatin1String("tab")) return QLatin1Char('\t');
    throw Failure{QStringLiteral("--delimiter %1: a comma, a semicolon or tab").arg(*given)};
}

int importRows(const Parsed& p, QIODevice& out) {
    expectArguments(p, QStringLiteral("import"),
                    {QStringLiteral("PROJECT.kvt"), QStringLiteral("ROWS.csv")});
    RowOptions options;
    options.delimiter = delimiterOf(p.delimiter);
    options.skipFirstRow = p.skipFirstRow;
    const ProjectPlace place = project(p.positional[0]);
    const auto [templ, record] = templatePage(place, p.templ);
    const QString rowsFile = p.positional[1];
    const QString shown = QFileInfo(rowsFile).fileName();

    QString error;
    const std::optional<QByteArray> data = readRowsFile(rowsFile, &error);
    if (!data) throw Failure{error};
    options.pictureFound = [&](const QString& picture) {
        return QFileInfo(projectFile(place.dpath, picture)).isFile();
    };
    options.insideProject = [&](const QString& name) {
        return insideProjectFolder(place.dpath, name);
    };
    const PageRows rows = readPageRows(*data, options);
    if (!rows.delimiterChoices.isEmpty())
        throw Failure{shown + QStringLiteral(": ") + rows.error +
                      QStringLiteral("; say which with --delimiter")};
    if (!rows.error.isEmpty()) throw Failure{shown + QStringLiteral(": ") + rows.error};
    if (rows.rows.empty()) throw Failure{shown + QStringLiteral(": no rows to make pages of")};
    const ImportResult made = writeRowPages(place.dpath, place.base, templ, record, rows.rows);
    if (!made.error.isEmpty()) throw Failure{shown + QStringLiteral(": ") + made.error};
    updateNumberOPages(place.file, place.dpath, place.base);
    print(out, QStringLiteral("made %1 %2 from %3: %4\n")
                   .arg(made.numbers.size())
                   .arg(made.numbers.size() == 1 ? QStringLiteral("page") : QStringLiteral("pages"))
                   .arg(shown, pageNumbersText(made.numbers)));
    if (made.laterFieldsLeftOut)
        print(out, QStringLiteral("fields a later version wrote into the template were left out "
                                  "of the pages: they did not fit beside the texts\n"));
    if (rows.firstRowMayBeNames)
        print(out, QStringLiteral("the first row (%1) may be column names: %2 leaves it out\n")
                       .arg(rows.firstRow.join(QStringLiteral(", ")), SkipFirstRow));
    return 0;
}

int exportRows(const Parsed& p, QIODevice& out) {
    expectArguments(p, QStringLiteral("export"), {QStringLiteral("PROJECT.kvt")});
    const QByteArray csv = projectPagesCsv(pagesOf(project(p.positional[0])));
    if (!p.output) {
        if (out.write(csv) != csv.size())
            throw Failure{QStringLiteral("can not write to the standard output")};
        return 0;
    }
    if (!writeRowsFile(*p.output, csv))
        throw Failure{QStringLiteral("can not write %1").arg(*p.output)};
    return 0;
}

int listPages(const Parsed& p, QIODevice& out) {
    expectArguments(p, QStringLiteral("list"), {QStringLiteral("PROJECT.kvt")});
    for (const ProjectPage& page : pagesOf(project(p.positional[0]))) {
        QStringList fields = {page.number};
        for (const auto& l : page.page.lines)
            fields << l.Text;
        print(out, fields.join(QLatin1Char('\t')) + QLatin1Char('\n'));
    }
    return 0;
}

} // namespace

int run(const QStringList& args, QIODevice& out, QIODevice& err) {
    try {
        if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
            out.write(Usage);
            return 0;
        }
        if (args.isEmpty()) throw Failure{QStringLiteral("no command given (see --help)")};
        const QString& command = args.front();
        if (command == QLatin1String("import"))
            return importRows(parse(args, {QStringLiteral("--template"),
                                           QStringLiteral("--delimiter"), SkipFirstRow}),
                              out);
        if (command == QLatin1String("export"))
            return exportRows(parse(args, {QStringLiteral("-o"), QStringLiteral("--output")}), out);
        if (command == QLatin1String("list")) return listPages(parse(args, {}), out);
        throw Failure{QStringLiteral("unknown command %1 (see --help)").arg(command)};
    } catch (const Failure& f) {
        // One line, whatever the reason held.
        QString why = f.why;
        why.replace(QLatin1Char('\n'), QLatin1Char(' '));
        print(err, QStringLiteral("velmora-pages: ") + why + QLatin1Char('\n'));
        return 1;
    }
}

} // namespace velmora::pagestool
