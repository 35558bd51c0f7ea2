#include "model/page_rows.h"

#include <functional>
#include <gtest/gtest.h>
#include <QFile>
#include <vector>

#include "model/page_file.h"
#include "model_support.h"

using namespace velmora;
using modeltest::styledTemplate;

namespace {

struct CsvCase {
    const char* name;
    QByteArray input;
    QChar delimiter;
    std::vector<CsvRecord> records;
};

CsvRecord rec(int row, QStringList fields) {
    return {row, std::move(fields)};
}

const QByteArray Bom("\xEF\xBB\xBF");
const char* const Unclosed2 =
    "row 2: a quoted field runs past the end of the line; a field cannot hold a line break";

// `n` blank rows, then one holding `last`.
std::vector<CsvRecord> blankRows(int n, const QString& last) {
    std::vector<CsvRecord> out;
    for (int i = 1; i <= n; ++i)
        out.push_back(rec(i, {""}));
    out.push_back(rec(n + 1, {last}));
    return out;
}

std::vector<CsvCase> csvCases() {
    const QChar comma(','), semi(';'), tab('\t');
    return {
        // clang-format off
        {"comma", "a,b,c\nd,e,f\n", comma, {rec(1, {"a", "b", "c"}), rec(2, {"d", "e", "f"})}},
        {"byte-order mark dropped", Bom + "a,b\n", comma, {rec(1, {"a", "b"})}},
        {"the marks of files joined end to end dropped, one inside a line kept",
         Bom + "a,b\n" + Bom + "c,d\r\n" + Bom + "e,f\xEF\xBB\xBF\n", comma,
         {rec(1, {"a", "b"}), rec(2, {"c", "d"}), rec(3, {"e", "f\uFEFF"})}},
        {"CR LF line ends", "a,b\r\nc,d\r\n", comma, {rec(1, {"a", "b"}), rec(2, {"c", "d"})}},
        {"CR line ends", "a,b\rc,d", comma, {rec(1, {"a", "b"}), rec(2, {"c", "d"})}},
        {"no line end at the end", "a,b\nc,d", comma, {rec(1, {"a", "b"}), rec(2, {"c", "d"})}},
        {"empty lines stay rows, an empty last line is none", "a\r\n\r\nb\r\n\r\n", comma,
         {rec(1, {"a"}), rec(2, {""}), rec(3, {"b"}), rec(4, {""})}},
        {"empty file", "", comma, {}},
        {"as many lines as are read", QByteArray(MaxRowsFileLines - 1, '\n') + "x", comma,
         blankRows(MaxRowsFileLines - 1, "x")},
        {"byte-order mark alone", Bom, comma, {}},
        {"semicolons", "a;b,c;d\ne;f;g\n", semi,
         {rec(1, {"a", "b,c", "d"}), rec(2, {"e", "f", "g"})}},
        {"tabs", "a b\tc,d\te\n", tab, {rec(1, {"a b", "c,d", "e"})}},
        {"commas in quotes do not count", "\"Smith, John\";Keynote\n\"Lee, Ann\";Chair\n", semi,
         {rec(1, {"Smith, John", "Keynote"}), rec(2, {"Lee, Ann", "Chair"})}},
        {"the delimiter on every line wins over the most frequent",
         "Müller, Anna, Dr.;Keynote\nLee;Chair\n", semi,
         {rec(1, {"Müller, Anna, Dr.", "Keynote"}), rec(2, {"Lee", "Chair"})}},
        {"one column", "Ana\nBen\n", comma, {rec(1, {"Ana"}), rec(2, {"Ben"})}},
        {"tabs inside a quoted field after an empty one", ",\"a\tb\tc\td\"\n", comma,
         {rec(1, {"", "a\tb\tc\td"})}},
        {"semicolons inside quoted fields, commas between",
         "x,\"a;b;c\",\"d;e\"\ny,\"f;g;h\",\"i;j\"\n", comma,
         {rec(1, {"x", "a;b;c", "d;e"}), rec(2, {"y", "f;g;h", "i;j"})}},
        {"quotes inside unquoted fields of a semicolon file",
         "Dwayne \"The Rock\" Johnson;Actor\nAna;Chair\n", semi,
         {rec(1, {"Dwayne \"The Rock\" Johnson", "Actor"}), rec(2, {"Ana", "Chair"})}},
        {"doubled quotes", "\"say \"\"hi\"\"\",x\n", comma, {rec(1, {"say \"hi\"", "x"})}},
        {"an empty quoted field", "\"\",x\n", comma, {rec(1, {"", "x"})}},
        {"blanks around a quoted field dropped", "a, \"b, c\" ,d\n", comma,
         {rec(1, {"a", "b, c", "d"})}},
        {"a quote inside an unquoted field is a quote", "5\" screen,x\n", comma,
         {rec(1, {"5\" screen", "x"})}},
        {"a trailing delimiter makes an empty field", "a,b,\n", comma, {rec(1, {"a", "b", ""})}},
        {"texts in other scripts", "Иван,محمد,王芳,प्रिया\n", comma,
         {rec(1, {"Иван", "محمد", "王芳", "प्रिया"})}},
        // clang-format on
    };
}

// Files refused, with what is said of them.
const struct {
    const char* name;
    QByteArray input;
    const char* error;
} csvErrors[] = {
    {"a line break inside quotes", "a,b\n\"c\nd\",e\n", Unclosed2},
    {"an unclosed quote on the last line", "a,b\nc,\"d", Unclosed2},
    {"text after a closing quote", "a,\"b\"c,d\n", "row 1, column 2: text after the closing quote"},
    {"bytes that are not UTF-8", "a,b\nc,d\nM\xFCller,e\n", "row 3 is not UTF-8 text"},
    {"UTF-16",
     QByteArray("\xFF\xFE"
                "a\0,\0b\0",
                8),
     "row 1 is not UTF-8 text"},
    {"too large", QByteArray(MaxRowsFileSize + 1, 'a'), "the file is larger than 4 MiB"},
    {"too many lines", QByteArray(MaxRowsFileLines + 1, '\n'),
     "the file has more than 20000 lines"},
    {"too many lines, the last without its line end", QByteArray(MaxRowsFileLines, '\n') + "x",
     "the file has more than 20000 lines"},
};

TEST(ParseCsv, Cases) {
    for (const CsvCase& c : csvCases()) {
        SCOPED_TRACE(c.name);
        const CsvTable t = parseCsv(c.input);
        EXPECT_EQ(t.error, QString());
        EXPECT_EQ(t.delimiter, c.delimiter);
        ASSERT_EQ(t.records.size(), c.records.size());
        for (std::size_t i = 0; i < c.records.size(); ++i) {
            EXPECT_EQ(t.records[i].row, c.records[i].row) << i;
            EXPECT_EQ(t.records[i].fields, c.records[i].fields) << i;
        }
    }
    for (const auto& c : csvErrors) {
        SCOPED_TRACE(c.name);
        const CsvTable t = parseCsv(c.input);
        EXPECT_EQ(t.error, c.error);
    }
}

// Every row holds commas, as a German spreadsheet's semicolon file does: commas and semicolons
// split every row alike, so the choice is the user's; told the delimiter, the rows are read.
TEST(ParseCsv, AnEvenChoiceOfDelimitersIsLeftToTheUser) {
    const QByteArray german = "Müller, Hans;Keynote;ACME GmbH, Berlin\n"
                              "Lee, Ann;Chair;Globex, Paris\n";
    const CsvTable asked = parseCsv(german);
    EXPECT_EQ(asked.delimiterChoices, QString(",;"));
    EXPECT_TRUE(asked.records.empty());
    EXPECT_TRUE(asked.error.isEmpty());
    const CsvTable told = parseCsv(german, QChar(';'));
    EXPECT_TRUE(told.delimiterChoices.isEmpty());
    ASSERT_EQ(told.records.size(), 2u);
    EXPECT_EQ(told.records[0].fields,
              QStringList({"Müller, Hans", "Keynote", "ACME GmbH, Berlin"}));
    EXPECT_EQ(told.records[1].fields, QStringList({"Lee, Ann", "Chair", "Globex, Paris"}));
    // One line is no evidence but its fields: as many at each delimiter is a choice too.
    EXPECT_EQ(parseCsv("a,b;c\n").delimiterChoices, QString(",;"));
    EXPECT_EQ(parseCsv("a,b;c,d\n").delimiterChoices, QString());
    const PageRows rows = readPageRows(german);
    EXPECT_EQ(rows.delimiterChoices, QString(",;"));
    EXPECT_EQ(rows.error, "the fields may be separated by commas or by semicolons");
    RowOptions semi;
    semi.delimiter = QChar(';');
    EXPECT_EQ(readPageRows(german, semi).rows.size(), 2u);
}

// What csvText writes reads back field for field, whatever the fields hold; so do the records
// of an input the fuzz target found, once read back as split at tabs.
TEST(CsvText, ReadsBackAsWritten) {
    const std::vector<QStringList> rows = {
        {"Page", "Line 1", "Line 2"},     {"000", "Smith, John", "say \"hi\""},
        {"001", "a;b", "tab\there"},      {"002", " leading", "trailing "},
        {"003", "", "Zoë – 王芳 – محمد"}, {"004", "\"", ","},
        {"", "a\tb\tc\td", "x;y;z;w"},    {QStringLiteral("\uFEFFfirst"), QStringLiteral("\uFEFF")},
    };
    const QByteArray text = csvText(rows);
    EXPECT_TRUE(text.startsWith(Bom));
    EXPECT_TRUE(text.contains("\r\n001,\"a;b\",\"tab\there\"\r\n"));
    EXPECT_TRUE(text.endsWith("\r\n"));
    QFile f(VELMORA_SOURCE_DIR "/tests/data/fuzz/fuzz_page_rows/tabs-in-a-quoted-field.csv");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const CsvTable found = parseCsv(f.readAll());
    ASSERT_TRUE(found.error.isEmpty()) << found.error.toStdString();
    std::vector<QStringList> foundFields;
    for (const CsvRecord& r : found.records)
        foundFields.push_back(r.fields);
    for (const auto& fields : {rows, foundFields}) {
        const CsvTable back = parseCsv(csvText(fields));
        ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
        EXPECT_EQ(back.delimiter, QChar(','));
        ASSERT_EQ(back.records.size(), fields.size());
        for (std::size_t i = 0; i < fields.size(); ++i)
            EXPECT_EQ(back.records[i].fields, fields[i]) << i;
    }
}

// ---- Rows of page texts -------------------------------------------------------------------

struct RowsCase {
    const char* name;
    QByteArray input;
    std::vector<PageRow> rows;
    bool header = false;
};

struct RowsError {
    const char* name;
    QByteArray input;
    QString error;
};

PageRow texts(int row, QString a, QString b = {}, QString c = {}) {
    PageRow r;
    r.row = row;
    r.texts = {a, b, c};
    return r;
}

PageRow with(PageRow r, std::function<void(PageRow&)> change) {
    change(r);
    return r;
}

std::vector<RowsCase> rowsCases() {
    const QString long80(80, QChar(0x0416));
    QString emoji80, decomposed80;
    for (int i = 0; i < 80; ++i) {
        emoji80 += QString::fromUcs4(U"\U0001F600");
        decomposed80 += QStringLiteral("e\u0301");
    }
    return {
        // clang-format off
        {"three columns, no header", "Ana Lima,Keynote,ACME\nBen Ode,Chair,Globex\n",
         {texts(1, "Ana Lima", "Keynote", "ACME"), texts(2, "Ben Ode", "Chair", "Globex")}},
        {"ragged rows: short rows leave lines empty, fields past the third are not read",
         "Ana\nBen,Chair\nCy,Host,Initech,cy@example.org,x\n",
         {texts(1, "Ana"), texts(2, "Ben", "Chair"), texts(3, "Cy", "Host", "Initech")}},
        {"blanks around fields dropped, blank rows skipped, rows keep their numbers",
         "  Ana  ,\t Keynote \n\n , ,\nBen\n", {texts(1, "Ana", "Keynote"), texts(4, "Ben")}},
        {"an empty file", "", {}},
        {"a header alone", "Line 1,Line 2,Line 3\r\n", {}, true},
        {"named columns in any order", "Line 3;Pause;Line 1\nACME;5;Ana\n;;Ben\n",
         {with(texts(2, "Ana", "", "ACME"), [](PageRow& r) { r.pause = 5; }), texts(3, "Ben")},
         true},
        {"names without regard to case and blanks",
         "line1,LINE 2, Picture  3 \nAna,Keynote,logo.bmp\n",
         {with(texts(2, "Ana", "Keynote"), [](PageRow& r) { r.pictures[2] = "logo.bmp"; })}, true},
        {"the header after blank lines", "\n,,\nLine 2\nKeynote\n", {texts(4, "", "Keynote")},
         true},
        {"a picture column given nothing clears the line's picture",
         "Line 1,Picture 1,Wave 1\nAna,,\n",
         {with(texts(2, "Ana"), [](PageRow& r) { r.pictures[0] = ""; r.waves[0] = ""; })}, true},
        {"the export's own columns, Page not read",
         "Page,Line 1,Line 2,Line 3,Picture 1,Picture 2,Picture 3,Wave 1,Wave 2,Wave 3,Pause\n"
         "007,Ana,,,,,,a.wav,,,0\n",
         {with(texts(2, "Ana"), [](PageRow& r) {
             r.pictures = {QString(), QString(), QString()};
             r.waves = {QString("a.wav"), QString(), QString()};
             r.pause = 0;
         })}, true},
        {"a short row under a header leaves its last columns blank", "Line 1,Picture 2\nAna\n",
         {with(texts(2, "Ana"), [](PageRow& r) { r.pictures[1] = ""; })}, true},
        {"an empty header cell over empty fields", "Line 1,,Line 2\nAna,,Keynote\n",
         {texts(2, "Ana", "Keynote")}, true},
        {"pause at its ends", "Line 1,Pause\nA,0\nB,60\nC,\n",
         {with(texts(2, "A"), [](PageRow& r) { r.pause = 0; }),
          with(texts(3, "B"), [](PageRow& r) { r.pause = 60; }), texts(4, "C")}, true},
        {"a text of 80 characters of any script", long80.toUtf8() + "\n", {texts(1, long80)}},
        {"80 characters as a person counts them: emoji, letters with marks apart",
         emoji80.toUtf8() + "," + decomposed80.toUtf8() + "\n", {texts(1, emoji80, decomposed80)}},
        // clang-format on
    };
}

// Files refused, with what is said of them; nothing is taken from a file with a bad row.
std::vector<RowsError> rowsErrors() {
    const QByteArray long81 = QString(81, QChar(0x0416)).toUtf8();
    QString emoji81;
    for (int i = 0; i < 80; ++i)
        emoji81 += QString::fromUcs4(U"\U0001F600");
    emoji81 += QString::fromUcs4(U"\U0001F3AC");
    const QString tooLong = ": the text has 81 characters; a title takes at most 80";
    const QString notNamed = ": a value in a column the header does not name";
    auto badPause = [](const char* p) {
        return QStringLiteral(", column 2: the pause \"%1\" is not 0 to 60 seconds").arg(p);
    };
    return {
        {"81 emoji are 81 characters", "Ana," + emoji81.toUtf8() + "\n",
         "row 1, column 2" + tooLong},
        {"a text longer than a title takes", "Ana,Keynote\nBen," + long81 + "\n",
         "row 2, column 2" + tooLong},
        {"a long text under a header, by its own column", "Pause,Line 1\n3,Ana\n4," + long81 + "\n",
         "row 3, column 2" + tooLong},
        {"an unknown column name", "Line 1,Line 2,Email\nAna,Keynote,a@b.org\n",
         "row 1, column 3: \"Email\" names no column; the names are Page, Line 1, Line 2, Line 3, "
         "Picture 1, Picture 2, Picture 3, Wave 1, Wave 2, Wave 3, Pause"},
        {"a column named twice", "Line 1,line 1\n",
         "row 1, column 2: the column \"line 1\" is named twice"},
        {"a header without a line", "Page,Pause\n1,2\n",
         "row 1: the header names no line and no picture"},
        {"a value in a column the header does not name",
         "Line 1,Line 2\nAna,Keynote,\nBen,Chair,ACME\n", "row 3, column 3" + notNamed},
        {"a value under an empty header cell", "Line 1,,Line 2\nAna,x,Keynote\n",
         "row 2, column 2" + notNamed},
        {"a pause beyond 60", "Line 1,Pause\nA,5\nB,61\n", "row 3" + badPause("61")},
        {"a negative pause", "Line 1,Pause\nA,-1\n", "row 2" + badPause("-1")},
        {"a pause that is no number", "Line 1,Pause\nA,five\n", "row 2" + badPause("five")},
        {"a pause with a fraction", "Line 1,Pause\nA,2.5\n", "row 2" + badPause("2.5")},
        {"a control character", "Ana,Key\x01note\n", "row 1, column 2: a control character"},
        {"a line given a text and a picture", "Line 1,Line 2,Picture 2\nAna,Keynote,logo.bmp\n",
         "row 2: line 2 is given both a text and a picture"},
        {"a broken file", "Ana\n\"Ben\n", Unclosed2},
    };
}

TEST(ReadPageRows, Cases) {
    for (const RowsCase& c : rowsCases()) {
        SCOPED_TRACE(c.name);
        const PageRows r = readPageRows(c.input);
        EXPECT_EQ(r.error, QString());
        EXPECT_EQ(r.header, c.header);
        ASSERT_EQ(r.rows.size(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            const PageRow& got = r.rows[i];
            const PageRow& want = c.rows[i];
            EXPECT_EQ(got.row, want.row) << i;
            for (int n = 0; n < 3; ++n) {
                EXPECT_EQ(got.texts[n], want.texts[n]) << i << " line " << n + 1;
                EXPECT_EQ(got.pictures[n], want.pictures[n]) << i << " picture " << n + 1;
                EXPECT_EQ(got.waves[n], want.waves[n]) << i << " wave " << n + 1;
            }
            EXPECT_EQ(got.pause, want.pause) << i;
        }
    }
    for (const RowsError& c : rowsErrors()) {
        SCOPED_TRACE(c.name);
        const PageRows r = readPageRows(c.input);
        EXPECT_EQ(r.error, c.error);
        EXPECT_TRUE(r.rows.empty());
    }
}

TEST(ReadPageRows, PicturesAreLookedFor) {
    QStringList asked;
    auto found = [&](const QString& name) {
        asked << name;
        return name == "logo.bmp";
    };
    const QByteArray csv = "Line 1,Picture 2\nAna,logo.bmp\nBen,\nCy,missing.bmp\n";
    const PageRows r = readPageRows(csv, found);
    EXPECT_EQ(r.error, "row 4, column 2: no picture \"missing.bmp\"");
    EXPECT_EQ(asked, QStringList({"logo.bmp", "missing.bmp"})); // an empty name is no picture
    EXPECT_TRUE(readPageRows("Line 1,Picture 2\nAna,logo.bmp\n", found).error.isEmpty());
}

// A first row of names the import does not know is offered for skipping; rows of texts, a known
// header or a file of one row are not.
TEST(ReadPageRows, AFirstRowOfOtherNamesMayBeSkipped) {
    const QByteArray csv = "Name,Role,Company\nAna Lima,Keynote,ACME\nBen Ode,Chair,ACME\n";
    PageRows r = readPageRows(csv);
    EXPECT_TRUE(r.firstRowMayBeNames);
    EXPECT_EQ(r.rows.size(), 3u);
    RowOptions skip;
    skip.skipFirstRow = true;
    r = readPageRows("\n" + csv, skip);
    EXPECT_FALSE(r.firstRowMayBeNames);
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0].row, 3);
    EXPECT_EQ(r.rows[0].texts[0], "Ana Lima");
    for (const char* notNames :
         {"Ana Lima,Keynote,ACME\nBen Ode,Chair,Globex\n", "Name,Role\nName,Keynote\n",
          "Line 1,Line 2\nAna,Keynote\n", "Name,Role\n", "Talk 1,Keynote\nTalk 2,Chair\n"})
        EXPECT_FALSE(readPageRows(notNames).firstRowMayBeNames) << notNames;
}

TEST(ReadPageRows, NamesOutsideTheProjectFolderAreRefused) {
    RowOptions options;
    options.insideProject = [](const QString& name) { return !name.startsWith("../"); };
    const struct {
        QByteArray csv;
        QString error;
    } cases[] = {
        {"Line 1,Picture 2,Wave 3\nAna,logo.bmp,in.wav\n", ""},
        {"Line 1,Picture 2\nAna,logo.bmp\nBen,../../../../etc/passwd\n",
         "row 3, column 2: the picture \"../../../../etc/passwd\" is outside the project folder"},
        {"Wave 1,Line 1\n../x.wav,Ana\n",
         "row 2, column 1: the wave \"../x.wav\" is outside the project folder"},
    };
    for (const auto& c : cases) {
        const PageRows r = readPageRows(c.csv, options);
        EXPECT_EQ(r.error, c.error) << c.csv.constData();
        EXPECT_EQ(r.rows.empty(), !c.error.isEmpty());
    }
}

// ---- A page from a row ---------------------------------------------------------------------

TEST(PageFromRow, TheTemplateWithTheRowsTexts) {
    const PageImage t = styledTemplate();
    const PageImage p = pageFromRow(t, texts(2, "Ana Lima", "Keynote"));
    PageImage expected = t;
    expected.lines[0].Text = "Ana Lima";
    expected.lines[1].Text = "Keynote";
    for (auto& l : expected.lines)
        l.attrs.InUse = true;
    // Line 3, given nothing, keeps the template's picture.
    EXPECT_EQ(p, expected);

    // A text given to a line with a picture shows instead of it, as typing does.
    const PageImage q = pageFromRow(t, texts(2, "Ana", "", "ACME"));
    EXPECT_EQ(q.lines[2].Text, "ACME");
    EXPECT_TRUE(q.lines[2].attrs.BitmapFile.isEmpty());
    EXPECT_TRUE(q.lines[1].Text.isEmpty()); // the template's text is not kept
    EXPECT_FALSE(q.lines[1].attrs.InUse);

    // Pictures, waves and the pause when the row gives them.
    PageRow r = texts(3, "Ana");
    r.pictures = {QString(), QString("badge.bmp"), QString()};
    r.waves[0] = "";
    r.waves[1] = "fanfare.wav";
    r.pause = 0;
    const PageImage s = pageFromRow(t, r);
    EXPECT_EQ(s.lines[1].attrs.BitmapFile, "badge.bmp");
    EXPECT_TRUE(s.lines[2].attrs.BitmapFile.isEmpty());
    EXPECT_TRUE(s.lines[0].attrs.WaveFile.isEmpty());
    EXPECT_EQ(s.lines[1].attrs.WaveFile, "fanfare.wav");
    EXPECT_EQ(s.lines[2].attrs.WaveFile, "whoosh.wav");
    EXPECT_EQ(s.settings.PauseTime, 0);
    EXPECT_EQ(s.settings.fadedelay, 4000);
    EXPECT_TRUE(s.settings.mpause);
}

TEST(PageRowFields, NumberTextsNamesPause) {
    PageImage p = styledTemplate();
    EXPECT_EQ(pageRowHeader(),
              QStringList({"Page", "Line 1", "Line 2", "Line 3", "Picture 1", "Picture 2",
                           "Picture 3", "Wave 1", "Wave 2", "Wave 3", "Pause"}));
    EXPECT_EQ(pageRowFields("012", p),
              QStringList({"012", "template 1", "template 2", "", "", "", "logo.bmp", "whoosh.wav",
                           "whoosh.wav", "whoosh.wav", "7"}));
}

} // namespace
