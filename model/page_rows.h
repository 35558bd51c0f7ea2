#pragma once
#include <array>
#include <functional>
#include <optional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "model/page_record.h"

// Rows of texts for pages, as spreadsheets write them: CSV files, read into the rows that become
// pages, and pages written back as rows. No files are touched here; page_import does that.
namespace velmora {

// The largest rows file read. A thousand pages of three titles and their names take far less.
constexpr qsizetype MaxRowsFileSize = 4 << 20;
// The most lines a rows file may have, blank ones included: a file of short lines holds far more
// than any project has pages, and each costs memory to split.
constexpr int MaxRowsFileLines = 20000;

// One line of a CSV file, split into its fields. `row` is the line's number in the file,
// counted from 1, as a spreadsheet numbers its rows.
struct CsvRecord {
    int row = 0;
    QStringList fields;

    bool operator==(const CsvRecord&) const = default;
};

// A CSV file split into records; `error` is empty when it was read.
struct CsvTable {
    QChar delimiter = QLatin1Char(',');
    std::vector<CsvRecord> records;
    QString error;
    // The delimiters that split every line alike, in the order comma, semicolon, tab, when more
    // than one does: the lines cannot tell which is meant, and no record is read.
    QString delimiterChoices;
};

// Splits UTF-8 text, with or without a byte-order mark, into records. Lines end in CR LF, LF or
// CR; an empty last line is no record; a U+FEFF that starts a line (the mark of a file joined
// on) is dropped. The delimiter (comma, semicolon or tab) is the one given, else told from the
// first lines: the one that splits them without breaking a quoted field, alike on every line,
// into the most fields. When several split every line alike (one line: into as many fields),
// they are the table's delimiterChoices and it holds no records.
// A field whose first character (after blanks) is a double quote runs to the next lone quote; a
// doubled quote inside it is one quote, and blanks around it are dropped. A quote that does not
// close on its own line, text after a closing quote and bytes that are not UTF-8 are errors,
// reported with the row; so is a file larger than MaxRowsFileSize or of more than
// MaxRowsFileLines lines.
CsvTable parseCsv(const QByteArray& data, std::optional<QChar> delimiter = {});

// The CSV text of the rows: UTF-8 with a byte-order mark (what spreadsheets read as UTF-8),
// comma-separated, CR LF line ends. A field is quoted when it holds a delimiter, a quote or a
// line break, or starts or ends with a blank or starts with U+FEFF, so every field reads back
// as written.
QByteArray csvText(const std::vector<QStringList>& rows);

// What one row gives a page. A line's text is always the row's (empty when the row has none);
// a picture, a wave or the pause only when the file has that column.
struct PageRow {
    int row = 0; // the row's number in the file
    std::array<QString, 3> texts;
    std::array<std::optional<QString>, 3> pictures;
    std::array<std::optional<QString>, 3> waves;
    std::optional<std::int32_t> pause;

    bool operator==(const PageRow&) const = default;
};

// The rows of a file, or why they cannot be taken ("row 7, column 2: ...").
struct PageRows {
    std::vector<PageRow> rows;
    bool header = false; // the first row named the columns
    QString error;
    QString delimiterChoices; // as CsvTable's; then `error` says so and no row is read
    // The first row names no known column yet looks like names of the file's own ("Name,Role,
    // Company"); it was read as a row, and may be skipped (RowOptions::skipFirstRow).
    bool firstRowMayBeNames = false;
    QStringList firstRow; // then: its fields that are not blank
};

// How a rows file is read beyond what it tells itself.
struct RowOptions {
    std::optional<QChar> delimiter; // given: no guess is made
    bool skipFirstRow = false;      // the first row that is not blank is no row, nor a header
    // Whether a picture is there (when given); whether a picture or wave name leads inside the
    // project's folder (when given).
    std::function<bool(const QString&)> pictureFound;
    std::function<bool(const QString&)> insideProject;
};

// The names a first row may give its columns, as the export writes them. "Page" is read and
// not used: imported pages take the project's free numbers.
const QStringList& pageRowColumnNames();

// Reads the rows of a CSV file. Without a header, a row's first three fields are the texts of
// lines 1 to 3 and any further fields are not read. A first row that holds one of the column
// names is a header; then each of its cells must be one of them, once, and every field is read
// by its column's name. Blank fields and rows are nothing; fields lose their surrounding blanks.
// Refused, with the row and column: a text longer than a title box takes (in characters as a
// person counts them), a control character in a text, a line given both a text and a picture,
// a pause that is not 0 to 60 seconds, a value in a column the header does not name, a picture
// or wave name that leads outside the project's folder and a picture that is not found (as the
// options tell).
PageRows readPageRows(const QByteArray& data, const RowOptions& options);
PageRows readPageRows(const QByteArray& data,
                      const std::function<bool(const QString&)>& pictureFound = {});

// The page a row makes of the template: the template as it stands, with the row's texts and
// whatever else the row gives. A line given a text shows it instead of the template's picture,
// as typing into a title box does; a line given nothing keeps the template's picture.
PageImage pageFromRow(const PageImage& templ, const PageRow& row);

// The export's first row, and a page's row under it: number, the three texts, picture and wave
// names, pause.
QStringList pageRowHeader();
QStringList pageRowFields(const QString& number, const PageImage& page);

} // namespace velmora
