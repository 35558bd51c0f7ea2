#include "model/page_rows.h"

#include <algorithm>
#include <QRegularExpression>
#include <QStringDecoder>
#include <tuple>

#include "model/page_file.h"

namespace velmora {

namespace {

constexpr char Utf8Bom[] = "\xEF\xBB\xBF";
const QChar Quote = QLatin1Char('"');
const QChar Blank = QLatin1Char(' ');
constexpr char16_t Delimiters[3] = {u',', u';', u'\t'};
// The delimiter is told from this many lines: enough to see it, few enough for a large file.
constexpr int SniffedLines = 20;

// The file's lines as bytes, each with its row number; an empty last line is no line. Splitting
// stops one line past MaxRowsFileLines.
struct RawLine {
    int row;
    QByteArray bytes;
};

std::vector<RawLine> splitLines(const QByteArray& data) {
    std::vector<RawLine> lines;
    qsizetype start = 0;
    int row = 1;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c != '\n' && c != '\r') continue;
        lines.push_back({row++, data.mid(start, i - start)});
        if (lines.size() > std::size_t(MaxRowsFileLines)) return lines;
        if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < data.size()) lines.push_back({row, data.mid(start)});
    return lines;
}

// How one line splits at a delimiter: its fields, or where the split failed.
struct SplitLine {
    QStringList fields;
    int badColumn = 0;       // text after a closing quote in this column, or 0
    bool openQuote = false;  // a quote that does not close on the line
    bool strayQuote = false; // a quote inside an unquoted field
    bool ok() const { return badColumn == 0 && !openQuote; }
};

// Reads a quoted field whose opening quote is at `at`; returns the index after its closing
// quote, or -1 when the line ends inside it.
qsizetype readQuoted(const QString& line, qsizetype at, QString& value) {
    for (qsizetype k = at + 1; k < line.size(); ++k) {
        if (line[k] != Quote) {
            value += line[k];
        } else if (k + 1 < line.size() && line[k + 1] == Quote) {
            value += Quote;
            ++k;
        } else {
            return k + 1;
        }
    }
    return -1;
}

SplitLine splitLine(const QString& line, QChar delimiter) {
    SplitLine out;
    qsizetype i = 0;
    for (;;) {
        qsizetype j = i;
        while (j < line.size() && line[j] == Blank)
            ++j;
        if (j < line.size() && line[j] == Quote) {
            QString value;
            qsizetype k = readQuoted(line, j, value);
            if (k < 0) {
                out.openQuote = true;
                return out;
            }
            while (k < line.size() && line[k] == Blank)
                ++k;
            if (k < line.size() && line[k] != delimiter) {
                out.badColumn = int(out.fields.size()) + 1;
                return out;
            }
            out.fields << value;
            if (k >= line.size()) return out;
            i = k + 1;
            continue;
        }
        const qsizetype k = line.indexOf(delimiter, i);
        out.fields << line.mid(i, k < 0 ? -1 : k - i);
        out.strayQuote = out.strayQuote || out.fields.back().contains(Quote);
        if (k < 0) return out;
        i = k + 1;
    }
}

bool blankLine(const QString& line) {
    return trimBlanks(line).isEmpty();
}

// The delimiter told from the first lines. A quote standing inside an unquoted field, or one
// that does not close, means the quoted fields were split wrongly: a delimiter under which no
// line shows that comes first, so a quoted field holding another delimiter cannot mislead.
// Then the one that splits each line into the same number of fields, the most of them; then
// the one that splits them into the most fields; a comma when none splits any line.
// When more than one splits every line alike (on a single line: into as many fields), the
// lines cannot tell: "Müller, Hans;Keynote" is two fields at either. Those are the choices.
struct Sniffed {
    QChar delimiter;
    QString choices;
};

Sniffed sniffDelimiter(const std::vector<QString>& lines) {
    Sniffed out{QLatin1Char(','), {}};
    std::tuple<bool, bool, qsizetype, qsizetype> bestScore{false, false, 0, 0};
    std::vector<std::pair<QChar, qsizetype>> even; // splitting every line alike, and its fields
    int seen = 0;
    for (const char16_t d : Delimiters) {
        qsizetype total = 0;
        qsizetype first = -1;
        bool same = true;
        bool clean = true;
        seen = 0;
        for (const QString& line : lines) {
            if (blankLine(line)) continue;
            if (seen == SniffedLines) break;
            ++seen;
            const SplitLine s = splitLine(line, QChar(d));
            clean = clean && s.ok() && !s.strayQuote;
            const qsizetype n = s.ok() ? s.fields.size() - 1 : 0;
            if (first < 0) first = n;
            same = same && n == first;
            total += n;
        }
        const std::tuple<bool, bool, qsizetype, qsizetype> score{clean, same && first > 0,
                                                                 same ? first : 0, total};
        if (clean && same && first > 0) even.push_back({QChar(d), first});
        if (total > 0 && score > bestScore) {
            bestScore = score;
            out.delimiter = QChar(d);
        }
    }
    const qsizetype most = std::get<2>(bestScore);
    for (const auto& [d, fields] : even)
        if (seen > 1 || fields == most) out.choices += d;
    if (out.choices.size() < 2) out.choices.clear();
    return out;
}

QString rowText(int row) {
    return QStringLiteral("row %1").arg(row);
}

QString cellText(int row, int column) {
    return QStringLiteral("row %1, column %2").arg(row).arg(column);
}

} // namespace

CsvTable parseCsv(const QByteArray& input, std::optional<QChar> delimiter) {
    CsvTable table;
    if (input.size() > MaxRowsFileSize) {
        table.error = QStringLiteral("the file is larger than %1 MiB").arg(MaxRowsFileSize >> 20);
        return table;
    }
    const QByteArray data = input.startsWith(Utf8Bom) ? input.mid(3) : input;
    std::vector<RawLine> raw = splitLines(data);
    if (raw.size() > std::size_t(MaxRowsFileLines)) {
        table.error = QStringLiteral("the file has more than %1 lines").arg(MaxRowsFileLines);
        return table;
    }
    std::vector<QString> lines;
    lines.reserve(raw.size());
    for (const RawLine& r : raw) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf8.decode(r.bytes);
        if (utf8.hasError()) {
            table.error = rowText(r.row) + QStringLiteral(" is not UTF-8 text");
            return table;
        }
        // Files joined end to end (cat a.csv b.csv) bring each one's byte-order mark to the
        // start of a line; nobody means a zero-width no-break space there.
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        lines.push_back(std::move(text));
    }
    if (delimiter) {
        table.delimiter = *delimiter;
    } else {
        const Sniffed sniffed = sniffDelimiter(lines);
        table.delimiter = sniffed.delimiter;
        table.delimiterChoices = sniffed.choices;
        if (!table.delimiterChoices.isEmpty()) return table;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = raw[i].row;
        SplitLine s = splitLine(lines[i], table.delimiter);
        if (s.openQuote) {
            table.error = rowText(row) + QStringLiteral(": a quoted field runs past the end of "
                                                        "the line; a field cannot hold a line "
                                                        "break");
            return table;
        }
        if (s.badColumn) {
            table.error = cellText(row, s.badColumn) + QStringLiteral(": text after the closing "
                                                                      "quote");
            return table;
        }
        table.records.push_back({row, std::move(s.fields)});
    }
    return table;
}

QByteArray csvText(const std::vector<QStringList>& rows) {
    QByteArray out(Utf8Bom);
    for (const QStringList& fields : rows) {
        QStringList quoted;
        for (const QString& f : fields) {
            // A U+FEFF first would be taken for a joined file's mark at the start of a line.
            const bool needs =
                !f.isEmpty() && (f.front().unicode() <= 0x20 || f.back().unicode() <= 0x20 ||
                                 f.front() == QChar(0xFEFF) || f.contains(Quote) ||
                                 std::any_of(std::begin(Delimiters), std::end(Delimiters),
                                             [&](char16_t d) { return f.contains(QChar(d)); }) ||
                                 f.contains(QLatin1Char('\r')) || f.contains(QLatin1Char('\n')));
            if (!needs) {
                quoted << f;
                continue;
            }
            QString q = f;
            q.replace(Quote, QStringLiteral("\"\""));
            quoted << Quote + q + Quote;
        }
        out += quoted.join(QLatin1Char(',')).toUtf8();
        out += "\r\n";
    }
    return out;
}

// ---- Rows of page texts -------------------------------------------------------------------

namespace {

enum class Column { None, Page, Line, Picture, Wave, Pause };

struct ColumnRole {
    Column what = Column::None;
    int line = 0; // 0..2 for the line columns
};

// Names compare without regard to case or blanks: "line 1", "Line1" and "LINE 1" are one.
QString nameKey(const QString& name) {
    QString key;
    for (const QChar c : name)
        if (!c.isSpace()) key += c.toLower();
    return key;
}

std::optional<ColumnRole> roleNamed(const QString& name) {
    const QString key = nameKey(name);
    if (key == QLatin1String("page")) return ColumnRole{Column::Page, 0};
    if (key == QLatin1String("pause")) return ColumnRole{Column::Pause, 0};
    const struct {
        const char* prefix;
        Column what;
    } kinds[] = {{"line", Column::Line}, {"picture", Column::Picture}, {"wave", Column::Wave}};
    for (const auto& k : kinds) {
        const QString prefix = QLatin1String(k.prefix);
        if (key.size() != prefix.size() + 1 || !key.startsWith(prefix)) continue;
        const int n = key.back().unicode() - '1';
        if (n >= 0 && n < 3) return ColumnRole{k.what, n};
    }
    return std::nullopt;
}

bool hasControl(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

bool blankRecord(const CsvRecord& r) {
    return std::all_of(r.fields.begin(), r.fields.end(),
                       [](const QString& f) { return trimBlanks(f).isEmpty(); });
}

// Reads a header row into the roles of its columns; an empty string when it names them all.
QString readHeader(const CsvRecord& r, std::vector<ColumnRole>& roles) {
    bool namesALine = false;
    for (int c = 0; c < r.fields.size(); ++c) {
        const QString name = trimBlanks(r.fields[c]);
        ColumnRole role;
        if (!name.isEmpty()) {
            const std::optional<ColumnRole> found = roleNamed(name);
            if (!found)
                return cellText(r.row, c + 1) +
                       QStringLiteral(": \"%1\" names no column; the names are %2")
                           .arg(name, pageRowColumnNames().join(QStringLiteral(", ")));
            for (const ColumnRole& before : roles)
                if (before.what == found->what && before.line == found->line)
                    return cellText(r.row, c + 1) +
                           QStringLiteral(": the column \"%1\" is named twice").arg(name);
            role = *found;
            namesALine = namesALine || role.what == Column::Line || role.what == Column::Picture;
        }
        roles.push_back(role);
    }
    if (!namesALine)
        return rowText(r.row) + QStringLiteral(": the header names no line and no picture");
    return {};
}

// Words spreadsheets head their columns of people with, in the languages of the program's
// users. A row of speakers ("Ana Lima,Keynote,ACME") holds none of them.
bool headingWord(const QString& word) {
    static const QStringList words = {
        QStringLiteral("name"),         QStringLiteral("names"),
        QStringLiteral("firstname"),    QStringLiteral("lastname"),
        QStringLiteral("surname"),      QStringLiteral("vorname"),
        QStringLiteral("nachname"),     QStringLiteral("nom"),
        QStringLiteral("prénom"),       QStringLiteral("nombre"),
        QStringLiteral("apellido"),     QStringLiteral("role"),
        QStringLiteral("rolle"),        QStringLiteral("rôle"),
        QStringLiteral("rol"),          QStringLiteral("title"),
        QStringLiteral("titel"),        QStringLiteral("titre"),
        QStringLiteral("company"),      QStringLiteral("firma"),
        QStringLiteral("société"),      QStringLiteral("empresa"),
        QStringLiteral("organisation"), QStringLiteral("organization"),
        QStringLiteral("function"),     QStringLiteral("funktion"),
        QStringLiteral("fonction"),     QStringLiteral("position"),
        QStringLiteral("job"),          QStringLiteral("speaker"),
        QStringLiteral("sprecher"),     QStringLiteral("text"),
        QStringLiteral("caption"),      QStringLiteral("subtitle"),
        QStringLiteral("untertitel"),   QStringLiteral("affiliation"),
        QStringLiteral("department"),   QStringLiteral("abteilung"),
        QStringLiteral("city"),         QStringLiteral("ort"),
        QStringLiteral("country"),      QStringLiteral("land"),
        QStringLiteral("email"),        QStringLiteral("phone")};
    return words.contains(word.toLower());
}

// Whether a first row that names no known column may still be names, a spreadsheet's own
// header ("Name,Role,Company"): short cells without digits, one of them holding a heading word,
// none of them again in its column below, and rows below it.
bool looksLikeNames(const CsvRecord& first, const std::vector<CsvRecord>& records) {
    static const QRegularExpression notLetters(QStringLiteral("[^\\p{L}]+"));
    bool heading = false;
    for (int c = 0; c < first.fields.size(); ++c) {
        const QString name = trimBlanks(first.fields[c]);
        if (name.isEmpty()) continue;
        if (perceivedLength(name) > 40 ||
            std::any_of(name.begin(), name.end(), [](QChar ch) { return ch.isDigit(); }))
            return false;
        for (const CsvRecord& r : records)
            if (r.row > first.row && c < r.fields.size() && trimBlanks(r.fields[c]) == name)
                return false;
        const QStringList words = name.split(notLetters, Qt::SkipEmptyParts);
        heading = heading || std::any_of(words.begin(), words.end(), headingWord);
    }
    const bool rowsBelow = std::any_of(records.begin(), records.end(), [&](const CsvRecord& r) {
        return r.row > first.row && !blankRecord(r);
    });
    return heading && rowsBelow;
}

QString delimiterName(QChar d) {
    if (d == QLatin1Char(';')) return QStringLiteral("semicolons");
    if (d == QLatin1Char('\t')) return QStringLiteral("tabs");
    return QStringLiteral("commas");
}

class RowReader {
public:
    explicit RowReader(const RowOptions& options) : options_(options) {}

    // The row's fields by the columns' roles; an empty string when they are all good.
    QString read(const CsvRecord& r, const std::vector<ColumnRole>& roles, PageRow& out) const {
        out.row = r.row;
        // A row shorter than the header leaves its last columns blank.
        const int columns = std::max(int(r.fields.size()), int(roles.size()));
        for (int c = 0; c < columns; ++c) {
            const QString value = c < r.fields.size() ? trimBlanks(r.fields[c]) : QString();
            const ColumnRole role = c < int(roles.size()) ? roles[c] : ColumnRole{};
            if (role.what == Column::None && value.isEmpty()) continue;
            const QString where = cellText(r.row, c + 1);
            if (role.what == Column::None)
                return where + QStringLiteral(": a value in a column the header does not name");
            if (hasControl(value)) return where + QStringLiteral(": a control character");
            if (const QString e = take(role, value, out); !e.isEmpty()) return where + e;
        }
        for (int n = 0; n < 3; ++n)
            if (!out.texts[n].isEmpty() && out.pictures[n] && !out.pictures[n]->isEmpty())
                return rowText(r.row) +
                       QStringLiteral(": line %1 is given both a text and a picture").arg(n + 1);
        return {};
    }

private:
    QString take(const ColumnRole& role, const QString& value, PageRow& out) const {
        switch (role.what) {
        case Column::Line:
            // Characters as the title box counts them: an emoji or a letter typed with its
            // mark apart is one.
            if (const int n = perceivedLength(value); n > pagelayout::TextChars)
                return QStringLiteral(": the text has %1 characters; a title takes at most %2")
                    .arg(n)
                    .arg(pagelayout::TextChars);
            out.texts[role.line] = value;
            break;
        case Column::Picture:
            if (const QString e = outside(QStringLiteral("picture"), value); !e.isEmpty()) return e;
            if (!value.isEmpty() && options_.pictureFound && !options_.pictureFound(value))
                return QStringLiteral(": no picture \"%1\"").arg(value);
            out.pictures[role.line] = value;
            break;
        case Column::Wave:
            if (const QString e = outside(QStringLiteral("wave"), value); !e.isEmpty()) return e;
            out.waves[role.line] = value;
            break;
        case Column::Pause: {
            if (value.isEmpty()) break;
            static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
            const int seconds = digits.match(value).hasMatch() ? value.toInt() : -1;
            if (seconds < 0 || seconds > MaxPauseTime)
                return QStringLiteral(": the pause \"%1\" is not 0 to %2 seconds")
                    .arg(value)
                    .arg(MaxPauseTime);
            out.pause = seconds;
            break;
        }
        case Column::Page:
        case Column::None:
            break;
        }
        return {};
    }

    QString outside(const QString& what, const QString& name) const {
        if (name.isEmpty() || !options_.insideProject || options_.insideProject(name)) return {};
        return QStringLiteral(": the %1 \"%2\" is outside the project folder").arg(what, name);
    }

    const RowOptions& options_;
};

} // namespace

const QStringList& pageRowColumnNames() {
    static const QStringList names = {
        QStringLiteral("Page"),      QStringLiteral("Line 1"),    QStringLiteral("Line 2"),
        QStringLiteral("Line 3"),    QStringLiteral("Picture 1"), QStringLiteral("Picture 2"),
        QStringLiteral("Picture 3"), QStringLiteral("Wave 1"),    QStringLiteral("Wave 2"),
        QStringLiteral("Wave 3"),    QStringLiteral("Pause")};
    return names;
}

PageRows readPageRows(const QByteArray& data,
                      const std::function<bool(const QString&)>& pictureFound) {
    RowOptions options;
    options.pictureFound = pictureFound;
    return readPageRows(data, options);
}

PageRows readPageRows(const QByteArray& data, const RowOptions& options) {
    PageRows out;
    const CsvTable table = parseCsv(data, options.delimiter);
    if (!table.error.isEmpty()) {
        out.error = table.error;
        return out;
    }
    if (!table.delimiterChoices.isEmpty()) {
        out.delimiterChoices = table.delimiterChoices;
        QStringList names;
        for (const QChar d : table.delimiterChoices)
            names << QStringLiteral("by ") + delimiterName(d);
        const QString last = names.takeLast();
        out.error = QStringLiteral("the fields may be separated ") +
                    names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
        return out;
    }
    // Without a header the first three fields are the lines, whatever follows them.
    std::vector<ColumnRole> roles = {{Column::Line, 0}, {Column::Line, 1}, {Column::Line, 2}};
    bool headerSeen = false;
    const RowReader reader(options);
    for (const CsvRecord& r : table.records) {
        if (blankRecord(r)) continue;
        if (!headerSeen && options.skipFirstRow) {
            headerSeen = true;
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            out.header = std::any_of(r.fields.begin(), r.fields.end(), [](const QString& f) {
                return roleNamed(trimBlanks(f)).has_value();
            });
            out.firstRowMayBeNames = !out.header && looksLikeNames(r, table.records);
            if (out.firstRowMayBeNames)
                for (const QString& f : r.fields)
                    if (!trimBlanks(f).isEmpty()) out.firstRow << trimBlanks(f);
            if (out.header) {
                roles.clear();
                if (QString e = readHeader(r, roles); !e.isEmpty()) {
                    out.error = e;
                    return out;
                }
                continue;
            }
        }
        // Beyond the first three fields a file without a header has nothing to say.
        CsvRecord taken = r;
        if (!out.header && taken.fields.size() > 3) taken.fields = taken.fields.mid(0, 3);
        PageRow row;
        if (QString e = reader.read(taken, roles, row); !e.isEmpty()) {
            out.error = e;
            out.rows.clear();
            return out;
        }
        out.rows.push_back(std::move(row));
    }
    return out;
}

PageImage pageFromRow(const PageImage& templ, const PageRow& row) {
    PageImage page = templ;
    for (int n = 0; n < 3; ++n) {
        PageImage::Line& l = page.lines[n];
        l.Text = row.texts[n];
        if (row.pictures[n])
            l.attrs.BitmapFile = *row.pictures[n];
        else if (!l.Text.isEmpty())
            l.attrs.BitmapFile.clear();
        if (row.waves[n]) l.attrs.WaveFile = *row.waves[n];
        l.attrs.InUse = !l.Text.isEmpty() || !l.attrs.BitmapFile.isEmpty();
    }
    if (row.pause) page.settings.PauseTime = *row.pause;
    return page;
}

QStringList pageRowHeader() {
    return pageRowColumnNames();
}

QStringList pageRowFields(const QString& number, const PageImage& page) {
    QStringList fields = {number};
    for (const auto& l : page.lines)
        fields << l.Text;
    for (const auto& l : page.lines)
        fields << l.attrs.BitmapFile;
    for (const auto& l : page.lines)
        fields << l.attrs.WaveFile;
    fields << QString::number(page.settings.PauseTime);
    return fields;
}

} // namespace velmora
