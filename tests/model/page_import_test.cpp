#include "model/page_import.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

#include "model/project_file.h"
#include "model_support.h"
#include "platform/IniFile.h"
#include "test_support.h"

using namespace velmora;

namespace {

class PageImportTest : public ::testing::Test {
protected:
    void SetUp() override { dpath = dir.path() + "/"; }

    QString page(int n) const { return pageFileName(dpath, "SHOW", *pageNumberText(n)); }

    // A page file with line 1's text.
    void writePage(int n, const QString& text) {
        PageImage p;
        p.lines[0].Text = text;
        PageBuffer b;
        b.encode(p, *pageNumberText(n));
        ASSERT_TRUE(writePageFile(page(n), b));
    }

    PageImage readPage(int n) {
        PageBuffer b;
        EXPECT_EQ(readPageFile(page(n), b), PageReadResult::Ok) << n;
        PageImage p;
        b.decode(p);
        return p;
    }

    QStringList files() const {
        return QDir(dpath).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                     QDir::Name);
    }

    static std::vector<PageRow> rows(const QStringList& firstLines) {
        std::vector<PageRow> out;
        for (const QString& t : firstLines) {
            PageRow r;
            r.row = int(out.size()) + 1;
            r.texts[0] = t;
            out.push_back(r);
        }
        return out;
    }

    testsupport::TempDir dir;
    QString dpath;
};

TEST_F(PageImportTest, PagesTakeTheFreeNumbersInOrder) {
    writePage(0, "zero");
    writePage(1, "one");
    writePage(3, "three");
    const ImportResult r =
        writeRowPages(dpath, "SHOW", PageImage{}, PageBuffer{}, rows({"Ana", "Ben", "Cy"}));
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.numbers, (std::vector<QString>{"002", "004", "005"}));
    EXPECT_EQ(pageNumbersText(r.numbers), "002, 004 to 005");
    EXPECT_EQ(pageNumbersText({}), "");
    EXPECT_EQ(pageNumbersText({"007"}), "007");
    EXPECT_EQ(pageNumbersText({"000", "001", "002", "005", "007", "008"}),
              "000 to 002, 005, 007 to 008");
    EXPECT_EQ(readPage(2).lines[0].Text, "Ana");
    EXPECT_EQ(readPage(3).lines[0].Text, "three"); // pages there are left alone
    EXPECT_EQ(readPage(4).lines[0].Text, "Ben");
    EXPECT_EQ(readPage(5).lines[0].Text, "Cy");
}

// Written pages are the template with their rows' texts, in any script, and carry the bytes of
// the template's record that no field covers.
TEST_F(PageImportTest, PagesAreTheTemplateWithTheirTexts) {
    const PageImage templ = modeltest::styledTemplate();
    // A record read from a file whose reserved field holds bytes of its own.
    QByteArray raw(PageRecordSize, '\0');
    raw[10] = 'R';
    raw[1690] = 'Z'; // padding no field covers
    PageBuffer record;
    ASSERT_TRUE(record.loadFrom(raw));

    const QStringList names = {"Zoë Ångström", "Иван Петров", "محمد الأحمد", "王芳", "प्रिया शर्मा"};
    std::vector<PageRow> rs;
    for (const QString& n : names) {
        PageRow r;
        r.row = int(rs.size()) + 1;
        r.texts = {n, "Speaker", "ACME"};
        rs.push_back(r);
    }
    const ImportResult made = writeRowPages(dpath, "SHOW", templ, record, rs);
    ASSERT_TRUE(made.error.isEmpty()) << made.error.toStdString();
    ASSERT_EQ(made.numbers.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(i);
        PageImage expected = templ;
        expected.lines[0].Text = names[i];
        expected.lines[1].Text = "Speaker";
        expected.lines[2].Text = "ACME";
        expected.lines[2].attrs.BitmapFile.clear(); // a text shows instead of the picture
        PageBuffer b;
        ASSERT_EQ(readPageFile(page(i), b), PageReadResult::Ok);
        PageImage got;
        b.decode(got);
        EXPECT_EQ(got, expected);
        EXPECT_EQ(b.bytes()[10], 'R');
        EXPECT_EQ(b.bytes()[1690], 'Z');
        EXPECT_EQ(QString::fromLatin1(reinterpret_cast<const char*>(b.bytes().data()) + 1687, 3),
                  *pageNumberText(i)); // the record's own number field
    }
}

// Names given as paths inside the project's folder are kept relative to it, as the editor keeps
// a chosen picture.
TEST_F(PageImportTest, NamesInsideTheProjectFolderAreKeptRelative) {
    PageRow r;
    r.texts[0] = "Ana";
    r.pictures[1] = dpath + "pictures/badge.bmp";
    r.waves[0] = "/elsewhere/fanfare.wav";
    ASSERT_TRUE(writeRowPages(dpath, "SHOW", PageImage{}, PageBuffer{}, {r}).error.isEmpty());
    const PageImage p = readPage(0);
    EXPECT_EQ(p.lines[1].attrs.BitmapFile, "pictures/badge.bmp");
    EXPECT_EQ(p.lines[0].attrs.WaveFile, "/elsewhere/fanfare.wav");
}

// Where a name leads once ".." and symbolic links are followed: inside the project's folder or
// not. A name that does not exist yet leads where its folders do.
TEST_F(PageImportTest, NamesAreFollowedToWhereTheyLead) {
    ASSERT_TRUE(QDir(dpath).mkpath("pictures"));
    testsupport::TempDir other;
    ASSERT_TRUE(QFile::link(other.path(), dpath + "elsewhere"));
    ASSERT_TRUE(QFile::link("/etc/hostname", dpath + "host.bmp"));
    ASSERT_TRUE(QFile::link(dpath + "pictures", dpath + "linked"));
    const struct {
        QString name;
        bool inside;
    } cases[] = {
        {"logo.bmp", true},
        {"pictures/new/badge.bmp", true},
        {"pictures/../logo.bmp", true},
        {"linked/badge.bmp", true},
        {dpath + "pictures/badge.bmp", true},
        {"../logo.bmp", false},
        {"../../../../etc/passwd", false},
        {"/etc/hostname", false},
        {"pictures/../../logo.bmp", false},
        {"elsewhere/logo.bmp", false},
        {"host.bmp", false},
        {other.path() + "/logo.bmp", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(insideProjectFolder(dpath, c.name), c.inside) << c.name.toStdString();
}

// A FIFO named like a page or a rows file would hold its reader until something writes into
// it; a device may never end. Neither is opened as a file.
TEST_F(PageImportTest, OnlyRegularFilesAreRead) {
    writePage(0, "zero");
    ASSERT_EQ(mkfifo(QFile::encodeName(page(1)).constData(), 0600), 0);
    ASSERT_EQ(mkfifo(QFile::encodeName(dpath + "rows.csv").constData(), 0600), 0);
    QString error;
    EXPECT_FALSE(readRowsFile(dpath + "rows.csv", &error));
    EXPECT_EQ(error, dpath + "rows.csv is not a regular file");
    EXPECT_FALSE(readProjectPages(dpath, "SHOW", &error));
    EXPECT_EQ(error, "can not read the page file " + page(1) + ": it is not a regular file");
    PageBuffer b;
    EXPECT_EQ(readPageFile(page(1), b), PageReadResult::NotRegular);
    EXPECT_EQ(readPageFile("/dev/zero", b), PageReadResult::NotRegular);
    EXPECT_FALSE(deletePageFile(page(1)));
    EXPECT_TRUE(QFileInfo(page(1)).exists());
    EXPECT_EQ(b.toByteArray(), PageBuffer().toByteArray());
}

// A project with fewer free numbers than rows is refused before a page is written.
TEST_F(PageImportTest, TooFewFreeNumbersWriteNothing) {
    for (int n = 0; n <= 997; ++n)
        ASSERT_TRUE(testsupport::writeFile(page(n), {}));
    const QStringList before = files();
    const ImportResult r =
        writeRowPages(dpath, "SHOW", PageImage{}, PageBuffer{}, rows({"Ana", "Ben", "Cy"}));
    EXPECT_EQ(r.error, "SHOW has room for 2 more pages, not 3");
    EXPECT_TRUE(r.numbers.empty());
    EXPECT_EQ(files(), before);
    EXPECT_EQ(roomForPages(dpath, "SHOW", 2), "");

    const ImportResult two =
        writeRowPages(dpath, "SHOW", PageImage{}, PageBuffer{}, rows({"Ana", "Ben"}));
    EXPECT_EQ(two.numbers, (std::vector<QString>{"998", "999"}));
    EXPECT_EQ(roomForPages(dpath, "SHOW", 1), "SHOW has room for 0 more pages, not 1");
}

// A page that cannot be written halfway through takes back the pages written before it.
TEST_F(PageImportTest, AFailureHalfwayRemovesThePagesWritten) {
    writePage(0, "zero");
    writePage(1, "one");
    // A folder where page 004 would go: the number counts as free, and writing it fails.
    ASSERT_TRUE(QDir().mkpath(page(4)));
    const QStringList before = files();
    const ImportResult r =
        writeRowPages(dpath, "SHOW", PageImage{}, PageBuffer{}, rows({"Ana", "Ben", "Cy", "Dee"}));
    EXPECT_EQ(r.error, "can not write the page file " + page(4) + "; no page was made");
    EXPECT_TRUE(r.numbers.empty());
    EXPECT_EQ(files(), before); // 002 and 003 are gone again; no temporary file is left
    EXPECT_EQ(readPage(0).lines[0].Text, "zero");
    EXPECT_EQ(readPage(1).lines[0].Text, "one");
}

TEST_F(PageImportTest, TheProjectsPagesAreTheRunFrom000) {
    writePage(0, "zero");
    writePage(1, "one");
    writePage(3, "beyond the gap");
    QString error;
    std::optional<std::vector<ProjectPage>> pages = readProjectPages(dpath, "SHOW", &error);
    ASSERT_TRUE(pages);
    ASSERT_EQ(pages->size(), 2u);
    EXPECT_EQ((*pages)[1].number, "001");
    EXPECT_EQ((*pages)[1].page.lines[0].Text, "one");

    // No page 000: no pages.
    pages = readProjectPages(dpath, "OTHER", &error);
    ASSERT_TRUE(pages);
    EXPECT_TRUE(pages->empty());

    // A page too short to read is an error, not a page left out.
    ASSERT_TRUE(testsupport::writeFile(page(2), "short"));
    EXPECT_FALSE(readProjectPages(dpath, "SHOW", &error));
    EXPECT_EQ(error, "can not read the page file " + page(2));
}

// Import, export and import again: every text comes back as it went in.
TEST_F(PageImportTest, ExportedTextsReadBackAsRows) {
    const QByteArray csv = "Line 1;Line 2;Line 3;Pause\n"
                           "\"Smith, John\";\"says \"\"hi\"\"\";Zoë – 王芳;4\n"
                           "محمد;;Ünal;\n";
    const PageRows in = readPageRows(csv);
    ASSERT_TRUE(in.error.isEmpty()) << in.error.toStdString();
    ASSERT_TRUE(writeRowPages(dpath, "SHOW", PageImage{}, PageBuffer{}, in.rows).error.isEmpty());
    QString error;
    const auto pages = readProjectPages(dpath, "SHOW", &error);
    ASSERT_TRUE(pages);
    const PageRows back = readPageRows(projectPagesCsv(*pages));
    ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
    ASSERT_EQ(back.rows.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(back.rows[i].texts, in.rows[i].texts) << i;
        EXPECT_EQ(back.rows[i].pause.value_or(0), in.rows[i].pause.value_or(0)) << i;
    }
}

TEST_F(PageImportTest, TheProjectIsFoundAsTheRendererFindsIt) {
    QString error;
    EXPECT_FALSE(locateProject(dpath + "none.kvt", &error));
    EXPECT_EQ(error, "no project file " + dpath + "none.kvt");

    // A project file without "ProjectName" names its pages by its own name.
    {
        platform::IniFile ini(dpath + "talks.kvt");
        ini.writeInteger("VelmoraProject", "Holdtime", 3);
    }
    std::optional<ProjectPlace> p = locateProject(dpath + "talks.kvt", &error);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->base, "TALKS");
    EXPECT_EQ(p->dpath, dpath);

    ASSERT_TRUE(writeProjectFile(dpath + "talks.kvt", "Velmora-32", "1.30", "show.kvt", "now",
                                 "NEW", true, false, 4, 32, 0));
    p = locateProject(dpath + "talks.kvt", &error);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->base, "SHOW");
}

TEST_F(PageImportTest, NumberOPagesFollowsTheNewPages) {
    ASSERT_TRUE(writeProjectFile(dpath + "show.kvt", "Velmora-32", "1.30", "show.kvt", "now", "001",
                                 true, false, 4, 32, 0));
    writePage(0, "zero");
    writePage(1, "one");
    ASSERT_TRUE(
        writeRowPages(dpath, "SHOW", PageImage{}, PageBuffer{}, rows({"a", "b"})).error.isEmpty());
    updateNumberOPages(dpath + "show.kvt", dpath, "SHOW");
    const ProjectSettings s = readProjectFile(dpath + "show.kvt");
    EXPECT_EQ(s.NumberOPages, "003");
    EXPECT_TRUE(s.UseColorBars); // the rest of the file is kept
    EXPECT_EQ(s.Holdtime, 4);
    // No project file: none is made.
    updateNumberOPages(dpath + "other.kvt", dpath, "SHOW");
    EXPECT_FALSE(QFile::exists(dpath + "other.kvt"));
}

TEST_F(PageImportTest, RowsFilesAreReadWithinTheirLimit) {
    QString error;
    EXPECT_FALSE(readRowsFile(dpath + "none.csv", &error));
    EXPECT_EQ(error, "can not read " + dpath + "none.csv");
    ASSERT_TRUE(writeRowsFile(dpath + "big.csv", QByteArray(MaxRowsFileSize + 1, 'x')));
    EXPECT_FALSE(readRowsFile(dpath + "big.csv", &error));
    EXPECT_EQ(error, dpath + "big.csv is larger than 4 MiB");
    ASSERT_TRUE(writeRowsFile(dpath + "fits.csv", QByteArray(MaxRowsFileSize, 'x')));
    const auto fits = readRowsFile(dpath + "fits.csv", &error);
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits->size(), MaxRowsFileSize);
}

} // namespace
