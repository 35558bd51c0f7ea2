// velmora-pages: import, export and list, run in-process; and the program itself once, for its
// exit status and output streams.
#include <gtest/gtest.h>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <sys/stat.h>

#include "model/page_file.h"
#include "model/page_rows.h"
#include "model/project_file.h"
#include "test_support.h"
#include "tools/pages_tool.h"

using namespace velmora;

namespace {

// Fourteen speakers: name, role, company; names in as many scripts and ways of writing.
const QStringList Speakers[14] = {
    {"Zoë Ångström", "Keynote", "Nordlicht AB"},
    {"Łukasz Żółć", "Workshop", "Politechnika Gdańska"},
    {"Ханна Иванова", "Доклад", "Яндекс"},
    {"محمد الأحمد", "متحدث", "جامعة القاهرة"},
    {"王芳", "主讲人", "清华大学"},
    {"प्रिया शर्मा", "वक्ता", "भारतीय प्रौद्योगिकी संस्थान"},
    {"Νίκος Καζαντζάκης", "Ομιλητής", "Πανεπιστήμιο Αθηνών"},
    {"דוד בן-גוריון", "מרצה", "האוניברסיטה העברית"},
    {"山田 太郎", "講演者", "東京大学"},
    {"김민준", "발표자", "서울대학교"},
    {"สมชาย ใจดี", "วิทยากร", "จุฬาลงกรณ์มหาวิทยาลัย"},
    {"Smith, John", "says \"hello\"", "ACME; Inc."},
    {"Ṣàngó Adébáyọ̀", "Closing", "University of Lagos"},
    {"Nguyễn Văn Anh", "Diễn giả", "Đại học Quốc gia Hà Nội"},
};

class PagesToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dpath = dir.path() + "/";
        ASSERT_TRUE(writeProjectFile(dpath + "talks.kvt", "Velmora-32", "1.30", "talks.kvt", "now",
                                     "NEW", true, true, 10, 32, 0));
    }

    // Runs velmora-pages with the arguments; keeps what it printed.
    int run(const QStringList& args) {
        QBuffer o, e;
        o.open(QIODevice::WriteOnly);
        e.open(QIODevice::WriteOnly);
        const int status = pagestool::run(args, o, e);
        out = o.data();
        err = QString::fromUtf8(e.data());
        return status;
    }

    QString write(const QString& name, const QByteArray& bytes) {
        EXPECT_TRUE(testsupport::writeFile(dpath + name, bytes));
        return dpath + name;
    }

    QString page(int n) const { return pageFileName(dpath, "TALKS", *pageNumberText(n)); }

    PageImage stored(int n) const {
        PageBuffer b;
        EXPECT_EQ(readPageFile(page(n), b), PageReadResult::Ok) << n;
        PageImage p;
        b.decode(p);
        return p;
    }

    // A styled page 000 of the project: the template.
    PageImage templatePage(int n = 0) {
        PageImage t;
        for (int i = 0; i < 3; ++i) {
            auto& l = t.lines[i];
            l.Text = "placeholder";
            l.PosX = 80;
            l.PosY = 200 + 120 * i;
            l.attrs.FontName = "Noto Sans";
            l.attrs.FontSize = 60 - 15 * i;
            l.attrs.FontColor = 0x20C0F0;
            l.attrs.ShadowOn = true;
            l.attrs.GradientOn = i == 0;
            l.attrs.InDirection = 1 + i;
            l.attrs.OutDirection = 4 + i;
        }
        t.settings = {800, 3, false};
        PageBuffer b;
        b.encode(t, *pageNumberText(n));
        EXPECT_TRUE(writePageFile(page(n), b));
        return t;
    }

    QByteArray speakersCsv() const {
        std::vector<QStringList> rows;
        for (const QStringList& s : Speakers)
            rows.push_back(s);
        return csvText(rows);
    }

    QStringList pageFiles() const {
        return QDir(dpath).entryList({"TALKS.*"}, QDir::Files | QDir::Dirs | QDir::CaseSensitive,
                                     QDir::Name);
    }

    testsupport::TempDir dir;
    QString dpath;
    QByteArray out;
    QString err;
};

// Fourteen speakers imported onto a styled template: fourteen pages, each the template with its
// row's texts; the export gives back the same texts.
TEST_F(PagesToolTest, ImportThenExportGivesBackTheTexts) {
    const PageImage templ = templatePage();
    const QString rows = write("speakers.csv", speakersCsv());
    ASSERT_EQ(run({"import", dpath + "talks.kvt", rows}), 0) << err.toStdString();
    EXPECT_EQ(out, "made 14 pages from speakers.csv: 001 to 014\n");
    EXPECT_TRUE(err.isEmpty());
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        PageImage expected = templ;
        for (int n = 0; n < 3; ++n)
            expected.lines[n].Text = Speakers[i][n];
        EXPECT_EQ(stored(i + 1), expected);
    }
    EXPECT_EQ(readProjectFile(dpath + "talks.kvt").NumberOPages, "014");

    ASSERT_EQ(run({"export", dpath + "talks.kvt"}), 0) << err.toStdString();
    const PageRows back = readPageRows(out);
    ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
    EXPECT_TRUE(back.header);
    ASSERT_EQ(back.rows.size(), 15u);
    for (int i = 0; i < 14; ++i)
        for (int n = 0; n < 3; ++n)
            EXPECT_EQ(back.rows[i + 1].texts[n], Speakers[i][n]) << i << " line " << n + 1;

    // Written to a file with -o, the same bytes.
    const QByteArray printed = out;
    ASSERT_EQ(run({"export", dpath + "talks.kvt", "-o", dpath + "texts.csv"}), 0);
    EXPECT_TRUE(out.isEmpty());
    QFile f(dpath + "texts.csv");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), printed);
}

// The same rows separated by semicolons or tabs, with CR LF or LF: the same pages.
TEST_F(PagesToolTest, EveryDelimiterAndLineEndGivesTheSamePages) {
    const struct {
        const char* name;
        char delimiter;
        const char* lineEnd;
    } kinds[] = {{"semicolon.csv", ';', "\r\n"}, {"tab.tsv", '\t', "\n"}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        QByteArray bytes;
        for (const QStringList& s : Speakers) {
            QStringList quoted;
            for (QString f : s)
                quoted << "\"" + f.replace("\"", "\"\"") + "\"";
            bytes += quoted.join(QChar(k.delimiter)).toUtf8() + k.lineEnd;
        }
        for (const QString& f : pageFiles())
            QFile::remove(dpath + f);
        ASSERT_EQ(run({"import", dpath + "talks.kvt", write(k.name, bytes)}), 0)
            << err.toStdString();
        for (int i = 0; i < 14; ++i)
            for (int n = 0; n < 3; ++n)
                EXPECT_EQ(stored(i).lines[n].Text, Speakers[i][n]) << i;
    }
}

TEST_F(PagesToolTest, ABadRowWritesNoPage) {
    templatePage();
    const struct {
        QByteArray rows;
        const char* err;
    } cases[] = {
        {speakersCsv() + "Ana,Keynote,\"ACME\nEurope\"\r\n",
         "row 15: a quoted field runs past the end of the line; a field cannot hold a line break"},
        {"Line 1,Line 2\nAna,Keynote\n" + QByteArray(90, 'x') + ",x\n",
         "row 3, column 1: the text has 90 characters; a title takes at most 80"},
        {"Line 1,Picture 2\nAna,\nBen,../../../../etc/passwd\n",
         "row 3, column 2: the picture \"../../../../etc/passwd\" is outside the project folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        ASSERT_EQ(run({"import", dpath + "talks.kvt", write("bad.csv", c.rows)}), 1);
        EXPECT_EQ(err, QString("velmora-pages: bad.csv: ") + c.err + "\n");
        EXPECT_TRUE(out.isEmpty());
        EXPECT_EQ(pageFiles(), QStringList({"TALKS.000"}));
        EXPECT_EQ(readProjectFile(dpath + "talks.kvt").NumberOPages, "NEW");
    }
}

// A semicolon file whose every row holds commas, and a file under a row of names of its own:
// the user says how the one is separated and whether the other's first row is a page.
TEST_F(PagesToolTest, TheDelimiterAndTheFirstRowAreTheUsersToSay) {
    const QString german = write("german.csv", "Müller, Hans;Keynote;ACME GmbH, Berlin\n"
                                               "Lee, Ann;Chair;Globex, Paris\n");
    ASSERT_EQ(run({"import", dpath + "talks.kvt", german}), 1);
    EXPECT_EQ(err, "velmora-pages: german.csv: the fields may be separated by commas or by "
                   "semicolons; say which with --delimiter\n");
    EXPECT_TRUE(pageFiles().isEmpty());
    ASSERT_EQ(run({"import", dpath + "talks.kvt", german, "--delimiter", "x"}), 1);
    EXPECT_EQ(err, "velmora-pages: --delimiter x: a comma, a semicolon or tab\n");
    ASSERT_EQ(run({"import", dpath + "talks.kvt", german, "--delimiter", ";"}), 0)
        << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(out), "made 2 pages from german.csv: 000 to 001\n");
    EXPECT_EQ(stored(0).lines[0].Text, "Müller, Hans");
    EXPECT_EQ(stored(1).lines[2].Text, "Globex, Paris");

    const QString named = write("named.csv", "Name,Role,Company\nAna,Keynote,ACME\n");
    ASSERT_EQ(run({"import", dpath + "talks.kvt", named}), 0) << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(out),
              "made 2 pages from named.csv: 002 to 003\n"
              "the first row (Name, Role, Company) may be column names: --skip-first-row leaves "
              "it out\n");
    ASSERT_EQ(run({"import", dpath + "talks.kvt", named, "--skip-first-row"}), 0)
        << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(out), "made 1 page from named.csv: 004\n");
    EXPECT_EQ(stored(4).lines[0].Text, "Ana");
    ASSERT_EQ(run({"--help"}), 0);
    for (const char* word : {"--delimiter", "--skip-first-row"})
        EXPECT_TRUE(out.contains(word)) << word;
}

TEST_F(PagesToolTest, TheTemplateIsThePageNamedElse000ElseANewPage) {
    // No page at all: a new page's look.
    ASSERT_EQ(run({"import", dpath + "talks.kvt", write("one.csv", "Ana\n")}), 0);
    PageImage fresh;
    fresh.lines[0].Text = "Ana";
    EXPECT_EQ(stored(0), fresh);

    templatePage(1); // page 001, styled
    ASSERT_EQ(run({"import", dpath + "talks.kvt", write("two.csv", "Ben\n"), "--template", "1"}),
              0);
    EXPECT_EQ(stored(2).lines[0].Text, "Ben");
    EXPECT_EQ(stored(2).lines[0].attrs.FontName, "Noto Sans");
    ASSERT_EQ(run({"import", dpath + "talks.kvt", write("three.csv", "Cy\n")}), 0);
    EXPECT_EQ(stored(3).lines[0].attrs.FontName, "Arial"); // page 000's

    EXPECT_EQ(run({"import", dpath + "talks.kvt", dpath + "three.csv", "--template", "007"}), 1);
    EXPECT_EQ(err, "velmora-pages: no page file " + page(7) + "\n");
    EXPECT_EQ(run({"import", dpath + "talks.kvt", dpath + "three.csv", "--template", "1000"}), 1);
    EXPECT_EQ(err, "velmora-pages: --template 1000: a page number from 000 to 999\n");
    EXPECT_EQ(pageFiles().size(), 4);
}

TEST_F(PagesToolTest, ListPrintsEachPagesNumberAndTexts) {
    templatePage();
    ASSERT_EQ(run({"import", dpath + "talks.kvt", write("s.csv", "Ana,Keynote\nИван,,ACME\n")}), 0);
    ASSERT_EQ(run({"list", dpath + "talks.kvt"}), 0);
    EXPECT_EQ(QString::fromUtf8(out), "000\tplaceholder\tplaceholder\tplaceholder\n"
                                      "001\tAna\tKeynote\t\n"
                                      "002\tИван\t\tACME\n");

    // A FIFO in the pages' run is told, not waited on.
    ASSERT_EQ(mkfifo(QFile::encodeName(page(3)).constData(), 0600), 0);
    ASSERT_EQ(run({"list", dpath + "talks.kvt"}), 1);
    EXPECT_EQ(err, "velmora-pages: can not read the page file " + page(3) +
                       ": it is not a regular file\n");
}

TEST_F(PagesToolTest, MistakesAreOneLineAndStatus1) {
    const struct {
        QStringList args;
        QString err;
    } cases[] = {
        {{}, "no command given (see --help)"},
        {{"make"}, "unknown command make (see --help)"},
        {{"import", dpath + "talks.kvt"}, "import needs PROJECT.kvt ROWS.csv"},
        {{"list", dpath + "talks.kvt", "extra"}, "list takes PROJECT.kvt only, not extra"},
        {{"export", dpath + "talks.kvt", "-o"}, "-o needs a value"},
        {{"export", dpath + "talks.kvt", "--quiet"}, "unknown option --quiet"},
        {{"import", dpath + "talks.kvt", dpath + "s.csv", "-o", "x.csv"}, "unknown option -o"},
        {{"list", dpath + "talks.kvt", "--template", "000"}, "unknown option --template"},
        {{"list", dpath + "none.kvt"}, "no project file " + dpath + "none.kvt"},
        {{"import", dpath + "talks.kvt", dpath + "none.csv"}, "can not read " + dpath + "none.csv"},
        {{"export", dpath + "talks.kvt", "-o", dpath + "no/such/folder/x.csv"},
         "can not write " + dpath + "no/such/folder/x.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(run(c.args), 1);
        EXPECT_EQ(err, "velmora-pages: " + c.err + "\n");
        EXPECT_TRUE(out.isEmpty());
    }
    ASSERT_EQ(run({"--help"}), 0);
    EXPECT_EQ(out, QByteArray(pagestool::Usage));
    for (const char* word :
         {"import PROJECT.kvt ROWS.csv [--template NNN]", "export PROJECT.kvt [-o FILE.csv]",
          "list PROJECT.kvt", "Pause", "status is 1"})
        EXPECT_TRUE(out.contains(word)) << word;
}

TEST_F(PagesToolTest, AProjectWithoutRoomIsRefusedBeforeWriting) {
    for (int n = 0; n <= 998; ++n)
        ASSERT_TRUE(testsupport::writeFile(page(n), {}));
    // Page 000, the template, is a page; the others only take their numbers.
    PageImage t;
    PageBuffer b;
    b.encode(t, "000");
    ASSERT_TRUE(writePageFile(page(0), b));
    ASSERT_EQ(run({"import", dpath + "talks.kvt", write("two.csv", "Ana\nBen\n")}), 1);
    EXPECT_EQ(err, "velmora-pages: two.csv: TALKS has room for 1 more page, not 2\n");
    EXPECT_FALSE(QFile::exists(page(999)));
}

// The installed program: output on standard output, one line of error on standard error, the
// exit status.
TEST_F(PagesToolTest, TheProgramAnswersOnItsStreams) {
    templatePage();
    QProcess p;
    p.start(VELMORA_PAGES, {"export", dpath + "talks.kvt"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    const QByteArray csv = p.readAllStandardOutput();
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBFPage,Line 1,Line 2,Line 3,"));
    EXPECT_TRUE(csv.contains("\r\n000,placeholder,placeholder,placeholder,"));

    p.start(VELMORA_PAGES, {"import", dpath + "talks.kvt", dpath + "none.csv"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
              "velmora-pages: can not read " + dpath + "none.csv\n");
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}

} // namespace
