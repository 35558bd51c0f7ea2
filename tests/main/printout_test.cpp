// The project summary: its layout on a recording surface, and the real thing printed to a PDF
// file by the main window and read back with pdftotext.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "model/printout.h"
#include "main_window_fixture.h"
#include "platform/Printer.h"

using velmora::PrintedPage;

namespace {

struct Drawn {
    int sheet;
    int x, y;
    QString text;
    QString face;
};

// Records every text with its position, sheet and face.
class RecordingSurface : public platform::PrintSurface {
public:
    RecordingSurface(int w, int h, int lineHeight) : pw(w), ph(h), fh(lineHeight) {}
    int pageWidth() const override { return pw; }
    int pageHeight() const override { return ph; }
    void setFontName(const QString& f) override { face = f; }
    void setFontSize(int points) override { size = points; }
    int textHeight(const QString&) const override { return size == 10 ? fh : 999; }
    void textOut(int x, int y, const QString& text) override {
        drawn.push_back({sheet, x, y, text, face});
    }
    int pageNumber() const override { return sheet; }
    void newPage() override { ++sheet; }

    const Drawn* find(const QString& text, int nth = 0) const {
        for (const Drawn& d : drawn)
            if (d.text == text && nth-- == 0) return &d;
        return nullptr;
    }
    int count(const QString& start) const {
        int n = 0;
        for (const Drawn& d : drawn)
            n += d.text.startsWith(start);
        return n;
    }

    int pw, ph, fh;
    int size = 0;
    int sheet = 1;
    QString face = "Default";
    std::vector<Drawn> drawn;
};

PrintedPage pageOf(int i) {
    PrintedPage p;
    for (int k = 0; k < 3; ++k)
        p[k] = {QString("text %1.%2").arg(i).arg(k + 1), QString("Face%1").arg(k + 1),
                10 * (k + 1) + i, k == 1, k == 2 ? "pic.bmp" : ""};
    return p;
}

} // namespace

TEST(ProjectSummary, FivePagesOnOneSheetInThreeColumns) {
    RecordingSurface s(4003, 6000, 20);
    std::vector<int> loaded;
    velmora::printProjectSummary(s, "show.kvt", "004", [&](int i) {
        loaded.push_back(i);
        return pageOf(i);
    });
    EXPECT_EQ(loaded, (std::vector<int>{0, 1, 2, 3, 4}));
    const Drawn* header = s.find("show.kvt Pages : 004");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->x, 30);
    EXPECT_EQ(header->y, 10);
    EXPECT_EQ(s.count("show.kvt Pages"), 1);
    EXPECT_EQ(s.count("Page: "), 5);

    // Columns at PW div 4, blocks 6 fh + 150 apart from y = 40.
    const int c1 = 1000, fh = 20, block = 6 * fh + 150;
    for (int i = 0; i < 5; ++i) {
        const int y = 40 + i * block;
        const Drawn* page = s.find(QString("Page: %1").arg(i, 3, 10, QChar('0')));
        ASSERT_TRUE(page) << i;
        EXPECT_EQ(page->x, c1);
        EXPECT_EQ(page->y, y + fh);
        EXPECT_EQ(page->face, "Arial");
        for (int k = 0; k < 3; ++k) {
            const int x = c1 * (k + 1);
            const Drawn* rule = s.find(QString("----- %1 ----").arg(k + 1), i);
            const Drawn* text = s.find(QString("text %1.%2").arg(i).arg(k + 1));
            const Drawn* size = s.find(QString("Font Size : %1").arg(10 * (k + 1) + i));
            const Drawn* shadow = s.find(k == 1 ? "Shadow On" : "Shadow Off", k == 1 ? i : 2 * i + k / 2);
            const Drawn* file = s.find(k == 2 ? "BM File: pic.bmp" : "BM File: ", k == 2 ? i : 2 * i + k);
            ASSERT_TRUE(rule && text && size && shadow && file) << i << " " << k;
            EXPECT_EQ(std::tuple(rule->x, rule->y), std::tuple(x, y + 2 * fh));
            EXPECT_EQ(std::tuple(text->x, text->y), std::tuple(x, y + 3 * fh));
            EXPECT_EQ(text->face, QString("Face%1").arg(k + 1)); // the line's own face
            EXPECT_EQ(std::tuple(size->x, size->y, size->face), std::tuple(x, y + 4 * fh, QString("Arial")));
            EXPECT_EQ(std::tuple(shadow->x, shadow->y), std::tuple(x, y + 5 * fh));
            EXPECT_EQ(std::tuple(file->x, file->y), std::tuple(x, y + 6 * fh));
        }
    }
    // The four bottom lines, counted up from the bottom, and no sheet number.
    const std::pair<QString, int> bottom[] = {{"Pixel Pg Height 6000", 6000 - 4 * fh},
                                              {"Pixel Pg Width 4003", 6000 - 3 * fh},
                                              {"fh 20", 6000 - 2 * fh},
                                              {"Total Pages: 004", 6000 - fh}};
    for (const auto& [text, y] : bottom) {
        const Drawn* d = s.find(text);
        ASSERT_TRUE(d) << text.toStdString();
        EXPECT_EQ(std::tuple(d->x, d->y), std::tuple(10, y)) << text.toStdString();
    }
    EXPECT_EQ(s.drawn.back().sheet, 1);
    EXPECT_FALSE(s.find("1"));
}

TEST(ProjectSummary, AProjectWithoutPagesPrintsOneBlockForPage000) {
    RecordingSurface s(800, 2000, 10);
    std::vector<int> loaded;
    velmora::printProjectSummary(s, "empty.kvt", "NEW", [&](int i) {
        loaded.push_back(i);
        return pageOf(i);
    });
    EXPECT_EQ(loaded, std::vector<int>{0});
    EXPECT_TRUE(s.find("empty.kvt Pages : NEW"));
    EXPECT_EQ(s.count("Page: "), 1);
    EXPECT_TRUE(s.find("Page: 000"));
    EXPECT_TRUE(s.find("Total Pages: 000"));
}

// A block is 6 fh + 150 = 210 high with fh 10; a new sheet starts once the next block would
// start below PH - 200.
TEST(ProjectSummary, ANewSheetStartsAfterTheBlockThatEndsBelowTheLimit) {
    struct Case {
        int ph;
        int blocksOnFirstSheet;
    };
    // After block 1 the next starts at 250, after block 2 at 460.
    for (const Case c : {Case{449, 1}, Case{450, 2}, Case{659, 2}, Case{660, 3}}) {
        SCOPED_TRACE(c.ph);
        RecordingSurface s(1000, c.ph, 10);
        velmora::printProjectSummary(s, "p.kvt", "004", pageOf);
        int first = 0;
        for (const Drawn& d : s.drawn)
            first += d.sheet == 1 && d.text.startsWith("Page: ");
        EXPECT_EQ(first, c.blocksOnFirstSheet);
        // Every sheet but the last carries its number at the lower right; each has the header.
        const int sheets = s.drawn.back().sheet;
        for (int sheet = 1; sheet <= sheets; ++sheet) {
            int headers = 0, numbers = 0, bottoms = 0;
            for (const Drawn& d : s.drawn) {
                if (d.sheet != sheet) continue;
                headers += d.text == "p.kvt Pages : 004" && d.x == 30 && d.y == 10;
                numbers += d.text == QString::number(sheet) && d.x == 800 && d.y == c.ph - 100;
                bottoms += d.text.startsWith("Pixel Pg") || d.text.startsWith("Total Pages");
            }
            EXPECT_EQ(headers, 1) << sheet;
            EXPECT_EQ(numbers, sheet < sheets ? 1 : 0) << sheet;
            EXPECT_EQ(bottoms, sheet == sheets ? 3 : 0) << sheet;
        }
        // The second sheet's first block starts at y = 10: one line below the header.
        const Drawn* second = s.find(QString("Page: %1").arg(c.blocksOnFirstSheet, 3, 10, QChar('0')));
        ASSERT_TRUE(second);
        EXPECT_EQ(second->sheet, 2);
        EXPECT_EQ(second->y, 10 + 10);
    }
}

// ---- The main window printing to a PDF file ---------------------------------------------

namespace {

struct Word {
    int sheet;
    double x, y; // points, top-left
    QString text;
};

// The words of a PDF with their boxes, as pdftotext -bbox gives them.
std::vector<Word> pdfWords(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-bbox", pdf, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<Word> words;
    int sheet = 0;
    static const QRegularExpression re(
        R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="[0-9.]+" yMax="[0-9.]+">([^<]*)</word>)re");
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            ++sheet;
            continue;
        }
        words.push_back({sheet, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    return words;
}

// The word following the first word `text` on the sheet (0: any), or nothing.
const Word* after(const std::vector<Word>& words, const QString& text, int nth = 0, int sheet = 0) {
    for (size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i].text == text && (sheet == 0 || words[i].sheet == sheet) && nth-- == 0)
            return &words[i + 1];
    return nullptr;
}
const Word* word(const std::vector<Word>& words, const QString& text, int nth = 0, int sheet = 0) {
    for (const Word& w : words)
        if (w.text == text && (sheet == 0 || w.sheet == sheet) && nth-- == 0) return &w;
    return nullptr;
}

} // namespace

// A saved project "show.kvt" printed into a folder of the test's.
class PrintingTest : public ProjectWindowTest {
protected:
    void SetUp() override {
        ProjectWindowTest::SetUp();
        pdfDir = dir.path() + "/printouts";
        platform::Printer::setPdfFolder(pdfDir);
        newProject();
    }
    void TearDown() override {
        platform::Printer::setPdfFolder(QString());
        ProjectWindowTest::TearDown();
    }
    // Line 1 reads "Title" and the page's number; line 2 of the odd pages has its shadow on.
    void makePages(int last) {
        ProjectWindowTest::makePages(last, "Title%1", [this](int i) { w->line(2).ShadowOn = i % 2; });
    }
    // Prints, and gives the one PDF file written.
    QString print() {
        w->PrintFileButton1Click1();
        const QStringList pdfs = QDir(pdfDir).entryList({"*.pdf"});
        if (pdfs.size() != 1) return {};
        return pdfDir + "/" + pdfs.first();
    }
    QString pdfDir;
};

TEST_F(PrintingTest, FivePagesPrintToAPdfWhosePathTheUserIsTold) {
    makePages(4);
    seams.dialogs.clear();
    const QString pdf = print();
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(QFileInfo(pdf).fileName(), "KVT PROJECT.pdf");
    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_TRUE(seams.dialogs.asked[0].text.contains(pdf)) << seams.dialogs.asked[0].text.toStdString();

    const std::vector<Word> words = pdfWords(pdf);
    ASSERT_FALSE(words.empty()) << "pdftotext read nothing from " << pdf.toStdString();
    EXPECT_EQ(words.back().sheet, 1);
    const Word* header = word(words, "show.kvt");
    ASSERT_TRUE(header);
    EXPECT_EQ(after(words, ":", 0)->text, "004");
    for (int i = 0; i < 5; ++i) {
        const Word* number = after(words, "Page:", i);
        ASSERT_TRUE(number);
        EXPECT_EQ(number->text, QString("%1").arg(i, 3, 10, QChar('0')));
        EXPECT_TRUE(word(words, QString("Title%1").arg(i)));
    }
    EXPECT_FALSE(after(words, "Page:", 5));
    EXPECT_EQ(after(words, "Pages:")->text, "004"); // "Total Pages: 004"
    // Line 2 of pages 1 and 3 has its shadow on: 2 of the 15 lines.
    int on = 0;
    for (int i = 0; i < 15; ++i)
        on += after(words, "Shadow", i)->text == "On";
    EXPECT_EQ(on, 2);

    // The positions, in device pixels, from the figures the printout gives of itself.
    const double pw = after(words, "Width")->text.toDouble();
    const double fh = after(words, "fh")->text.toDouble();
    const double dpi = 1200, px = 72.0 / dpi; // points per device pixel
    ASSERT_GT(pw, 0);
    ASSERT_GT(fh, 0);
    const Word* page0 = word(words, "Page:", 0);
    const Word* page1 = word(words, "Page:", 1);
    const Word* rule1 = word(words, "-----", 0);
    // The rules of block 0's three columns: those level with the first.
    std::vector<double> rules;
    for (const Word& wd : words)
        if (wd.text == "-----" && std::abs(wd.y - rule1->y) < 0.1) rules.push_back(wd.x);
    std::sort(rules.begin(), rules.end());
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_NEAR(page0->x - header->x, (int(pw) / 4 - 30) * px, 1.0);
    EXPECT_NEAR(rule1->x, page0->x, 0.5);
    EXPECT_NEAR(rules[0], rule1->x, 0.01);
    EXPECT_NEAR(rules[1] - rules[0], (int(pw) / 4) * px, 0.5);
    EXPECT_NEAR(rules[2] - rules[0], 2 * (int(pw) / 4) * px, 0.5);
    EXPECT_NEAR(rule1->y - page0->y, fh * px, 0.5);
    EXPECT_NEAR(page1->y - page0->y, (6 * fh + 150) * px, 0.5);

    // Afterwards the last page printed is the page on screen.
    EXPECT_EQ(w->currentpage, 4);
    EXPECT_EQ(w->Edit1->text(), "Title4");
}

// Titles and the project's name in other scripts reach the printout as typed.
TEST_F(PrintingTest, TitlesInOtherScriptsArePrintedAsTyped) {
    w->NewPrjToolButtonClick();
    seams.dialogs.files.push_back(dir.path() + "/Фильм");
    w->SaveprojectClick1();
    ASSERT_EQ(w->ProjectName, "Фильм.kvt");
    const QStringList titles = {"Grüße Привет Ελλάδα 東京", "مرحبا بالعالم", "नमस्ते שלום"};
    w->Edit1->setText(titles[0]);
    w->Edit2->setText(titles[1]);
    w->Edit3->setText(titles[2]);
    w->SaveCurPage();
    ASSERT_FALSE(w->sav);
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/ФИЛЬМ.000"));

    const QString pdf = print();
    ASSERT_FALSE(pdf.isEmpty());
    QProcess p;
    p.start("pdftotext", {"-raw", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Фильм.kvt")) << text.toStdString();
    for (const char* word : {"Grüße", "Привет", "Ελλάδα", "東京"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << word << "\n" << text.toStdString();
    // pdftotext gives shaped Arabic as its joined forms and right-to-left words a letter a line,
    // and cannot map Devanagari's conjuncts back to letters: compared in their compatibility
    // forms, without blanks and direction marks, every letter is there in reading order.
    QString letters;
    for (const QChar c : text.normalized(QString::NormalizationForm_KC))
        if (!c.isSpace() && c.category() != QChar::Other_Format) letters += c;
    for (const char* word : {"مرحبابالعالم", "שלום", "नम"})
        EXPECT_TRUE(letters.contains(QString::fromUtf8(word))) << word << "\n" << letters.toStdString();
}

TEST_F(PrintingTest, ASecondSheetStartsOneLineBelowItsHeaderAndOnlyTheLastHasTheBottomLines) {
    makePages(13);
    const std::vector<Word> words = pdfWords(print());
    ASSERT_FALSE(words.empty());
    ASSERT_EQ(words.back().sheet, 2);
    const double px = 72.0 / 1200;
    // Sheet 2 has the header again and the bottom lines (where the sheet number goes is the
    // layout's, read on a recording surface above).
    const Word* header1 = word(words, "show.kvt", 0, 1);
    const Word* header2 = word(words, "show.kvt", 0, 2);
    ASSERT_TRUE(header1 && header2);
    EXPECT_NEAR(header2->y, header1->y, 0.1);
    EXPECT_FALSE(word(words, "Pixel", 0, 1));
    EXPECT_TRUE(word(words, "Pixel", 0, 2));
    // The first block of each sheet, relative to its header: 30 pixels higher on sheet 2.
    const Word* first1 = word(words, "Page:", 0, 1);
    const Word* first2 = word(words, "Page:", 0, 2);
    ASSERT_TRUE(first1 && first2);
    EXPECT_NEAR((first1->y - header1->y) - (first2->y - header2->y), 30 * px, 0.3);
    // Every page is printed once, in order, across the two sheets.
    for (int i = 0; i <= 13; ++i)
        EXPECT_EQ(after(words, "Page:", i)->text, QString("%1").arg(i, 3, 10, QChar('0')));
}

TEST_F(PrintingTest, AChangedPageIsOfferedForSavingBeforeThePagesAreLoaded) {
    makePages(1);
    loadedTitle(0);
    // No: the change is given up, and the printout has the page as stored.
    w->Edit1->setText("Changed");
    ASSERT_TRUE(w->sav);
    script({platform::Answer::No});
    std::vector<Word> words = pdfWords(print());
    ASSERT_GE(seams.dialogs.asked.size(), 1u);
    EXPECT_EQ(seams.dialogs.asked[0].text, "Save current page?");
    EXPECT_EQ(seams.dialogs.asked[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_TRUE(word(words, "Title0"));
    EXPECT_FALSE(word(words, "Changed"));
    QDir(pdfDir).removeRecursively();

    // Yes: the page is saved first and printed as changed.
    loadedTitle(0);
    w->Edit1->setText("Changed");
    script({platform::Answer::Yes});
    words = pdfWords(print());
    EXPECT_EQ(seams.dialogs.asked[0].text, "Save current page?");
    EXPECT_TRUE(word(words, "Changed"));
    EXPECT_EQ(loadedTitle(0), "Changed");

    // An unsaved new page is asked about too; Yes makes it the project's next page.
    w->NewPageButtonClick();
    w->Edit1->setText("Fresh");
    script({platform::Answer::Yes});
    QDir(pdfDir).removeRecursively();
    words = pdfWords(print());
    EXPECT_EQ(seams.dialogs.asked[0].text, "Save current page?");
    EXPECT_EQ(after(words, "Page:", 2)->text, "002");
    EXPECT_TRUE(word(words, "Fresh"));

    // An unchanged page is not asked about.
    seams.dialogs.clear();
    print();
    for (const auto& a : seams.dialogs.asked)
        EXPECT_NE(a.text, "Save current page?");
}

TEST(PdfPaths, ALaterPrintoutNeverOverwritesAnEarlierOne) {
    testsupport::TempDir dir;
    EXPECT_EQ(platform::Printer::freePdfPath(dir.path(), "KVT PROJECT"), dir.file("KVT PROJECT.pdf"));
    QFile(dir.file("KVT PROJECT.pdf")).open(QIODevice::WriteOnly);
    EXPECT_EQ(platform::Printer::freePdfPath(dir.path(), "KVT PROJECT"), dir.file("KVT PROJECT (2).pdf"));
    EXPECT_EQ(platform::Printer::freePdfPath(dir.path(), "a/b"), dir.file("a_b.pdf"));
}
