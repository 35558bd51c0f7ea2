// File > "Import Pages..." and "Export Texts..." in the main window, dialogs answered by script.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QSlider>

#include "main_window_fixture.h"
#include "model/page_rows.h"
#include "model/project_file.h"

using platform::Answer;
using platform::MsgKind;
using velmora::PageImage;

// A project "show.kvt" whose page 000 is a styled title page, saved and on screen.
class RowsCommandsTest : public ProjectWindowTest {
protected:
    void SetUp() override {
        ProjectWindowTest::SetUp();
        newProject();
        w->NewPageButtonClick();
        w->Edit1->setText("Speaker name");
        w->Edit2->setText("Role");
        w->Edit3->setText("Company");
        for (int n = 1; n <= 3; ++n) {
            w->line(n).FontName = "DejaVu Serif";
            w->line(n).FontSize = 72 - 16 * n;
            w->line(n).FontColor = 0x00C0FF;
            w->line(n).ShadowOn = n != 2;
            w->line(n).ShadowColor = 0x404040;
            w->line(n).GradientOn = n == 1;
            w->line(n).GradientStartColor = 0xFF00FF;
            w->line(n).BlurOn = n == 3;
            w->line(n).InDirection = 7 + n;
            w->line(n).OutDirection = 11;
            w->outPath(n).LastIndex = 2;
            w->outPath(n).Points[0] = {100, 100};
            w->outPath(n).Points[1] = {101, 99};
            w->document().setTitlePos(n, 60 * n, 150 * n);
            w->setLineFontStyle(n, std::uint8_t(n));
        }
        w->DelayTrackBar->setValue(2500);
        w->PauseTrackBar->setValue(6);
        w->CheckBox1->setChecked(true);
        w->SaveCurPage();
        ASSERT_FALSE(w->sav);
        ASSERT_TRUE(QFileInfo::exists(page(0)));
    }

    QString csv(const QByteArray& bytes) {
        EXPECT_TRUE(testsupport::writeFile(project + "names.csv", bytes));
        return project + "names.csv";
    }

    QStringList pageFiles() const {
        return QDir(project).entryList({"SHOW.*"}, QDir::Files | QDir::Dirs | QDir::CaseSensitive,
                                       QDir::Name);
    }
};

TEST_F(RowsCommandsTest, ImportMakesAPageOfEachRowFromThePageOnScreen) {
    const PageImage templ = stored(0);
    script({Answer::Yes}, {csv("\xEF\xBB\xBFZoë Ångström,Keynote,ACME\r\n"
                               "Иван Петров,\"Chair, day 1\",Яндекс\r\n"
                               "王芳,Panel,\r\n")});
    w->ImportPages1->trigger(); // File > Import Pages...

    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Make 3 pages from names.csv?",
                                                  "Made 3 pages from names.csv: 001 to 003."}));
    ASSERT_EQ(seams.dialogs.asked.size(), 2u);
    EXPECT_EQ(seams.dialogs.asked[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(seams.dialogs.asked[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(seams.dialogs.asked[1].kind, MsgKind::Information);
    ASSERT_EQ(seams.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(seams.dialogs.fileDialogs[0].title, "Import Pages");
    EXPECT_EQ(seams.dialogs.fileDialogs[0].directory, project);
    EXPECT_TRUE(seams.dialogs.fileDialogs[0].mustExist);

    const QStringList lines[3] = {{"Zoë Ångström", "Keynote", "ACME"},
                                  {"Иван Петров", "Chair, day 1", "Яндекс"},
                                  {"王芳", "Panel", ""}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        PageImage expected = templ;
        for (int n = 0; n < 3; ++n)
            expected.lines[n].Text = lines[i][n];
        EXPECT_EQ(stored(i + 1), expected);
    }
    EXPECT_EQ(stored(0), templ); // the template page is left as it was

    // The first new page is on screen, as loaded.
    EXPECT_EQ(w->currentpage, 1);
    EXPECT_EQ(w->CurPgNumber->text(), "001");
    EXPECT_EQ(w->Edit1->text(), "Zoë Ångström");
    EXPECT_EQ(w->Edit2->text(), "Keynote");
    EXPECT_FALSE(w->sav);
    EXPECT_FALSE(w->add);
    EXPECT_EQ(velmora::readProjectFile(project + "show.kvt").NumberOPages, "003");
}

TEST_F(RowsCommandsTest, NoAndCancelMakeNothing) {
    const QString file = csv("Ana\nBen\n");
    script({Answer::No}, {file});
    w->ImportPages1Click();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Make 2 pages from names.csv?"}));
    EXPECT_EQ(pageFiles(), QStringList({"SHOW.000"}));

    script({}, {std::nullopt});
    w->ImportPages1Click();
    EXPECT_TRUE(seams.dialogs.asked.empty());
    EXPECT_EQ(pageFiles(), QStringList({"SHOW.000"}));
    EXPECT_EQ(w->Edit1->text(), "Speaker name");
}

// A file with a bad row is reported with its row and column; nothing is asked, nothing written,
// and the page on screen stays. A picture the rows name must be in the project's folder.
TEST_F(RowsCommandsTest, ABadRowMakesNoPage) {
    const struct {
        QByteArray csv;
        QString told;
    } cases[] = {
        {"Ana,Keynote\nBen,Chair\n" + QByteArray(81, 'x') + ",Panel\n",
         "names.csv: row 3, column 1: the text has 81 characters; a title takes at most 80. No "
         "page was made."},
        {"Line 1,Picture 2\nAna,\nBen,nowhere.bmp\n",
         "names.csv: row 3, column 2: no picture \"nowhere.bmp\". No page was made."},
        {"Line 1,Picture 3\nAna,/etc/hostname\n",
         "names.csv: row 2, column 2: the picture \"/etc/hostname\" is outside the project "
         "folder. No page was made."},
        {"\xEF\xBB\xBF\r\n", "names.csv: no rows to make pages of. No page was made."},
        {"Line 1,Line 2,Line 3\r\n", "names.csv: no rows to make pages of. No page was made."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told.toStdString());
        script({Answer::Yes}, {csv(c.csv)});
        w->ImportPages1Click();
        EXPECT_EQ(seams.dialogs.texts(), QStringList({c.told}));
        ASSERT_EQ(seams.dialogs.asked.size(), 1u);
        EXPECT_EQ(seams.dialogs.asked[0].kind, MsgKind::Error);
        EXPECT_EQ(pageFiles(), QStringList({"SHOW.000"}));
        EXPECT_EQ(w->currentpage, 0);
        EXPECT_EQ(w->Edit1->text(), "Speaker name");
    }
}

// A picture the rows name is looked for in the project's folder, and found there.
TEST_F(RowsCommandsTest, PicturesAreFoundInTheProjectFolder) {
    ASSERT_TRUE(testsupport::writeFile(project + "logo.bmp", {}));
    script({Answer::Yes}, {csv("Line 1,Picture 3\nAna,logo.bmp\n")});
    w->ImportPages1Click();
    ASSERT_EQ(pageFiles(), QStringList({"SHOW.000", "SHOW.001"}));
    EXPECT_EQ(stored(1).lines[2].attrs.BitmapFile, "logo.bmp");
    EXPECT_EQ(stored(1).lines[2].Text, "");
}

// Commas and semicolons split every row alike, and the first row names columns of its own: the
// window asks which delimiter, and whether to skip that row; Cancel makes nothing.
TEST_F(RowsCommandsTest, AnEvenDelimiterAndAFirstRowOfNamesAreAsked) {
    const QString file = csv("Name, Vorname;Rolle;Firma, Ort\n"
                             "Müller, Hans;Keynote;ACME GmbH, Berlin\n"
                             "Lee, Ann;Chair;Globex, Paris\n");
    const QString which = "Are the fields of names.csv separated by semicolons? No: by commas.";
    const QString skip =
        "The first row of names.csv reads \"Name, Vorname, Rolle, Firma, Ort\". Is it "
        "column names, to be left out?";
    script({Answer::Cancel}, {file});
    w->ImportPages1Click();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({which}));
    EXPECT_EQ(pageFiles(), QStringList({"SHOW.000"}));

    script({Answer::Yes, Answer::Yes, Answer::Yes}, {file});
    w->ImportPages1Click();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({which, skip, "Make 2 pages from names.csv?",
                                                  "Made 2 pages from names.csv: 001 to 002."}));
    ASSERT_GE(seams.dialogs.asked.size(), 2u);
    EXPECT_EQ(seams.dialogs.asked[0].buttons, platform::MsgButtons::YesNoCancel);
    EXPECT_EQ(seams.dialogs.asked[1].buttons, platform::MsgButtons::YesNoCancel);
    EXPECT_EQ(stored(1).lines[0].Text, "Müller, Hans");
    EXPECT_EQ(stored(2).lines[2].Text, "Globex, Paris");
}

TEST_F(RowsCommandsTest, AChangedPageIsOfferedForSavingFirst) {
    w->Edit1->setText("edited");
    w->line(1).FontSize = 99;
    ASSERT_TRUE(w->sav);
    script({Answer::Yes, Answer::Yes}, {csv("Ana\n")});
    w->ImportPages1Click();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Save current page?", "Make 1 page from names.csv?",
                           "Made 1 page from names.csv: 001."}));
    EXPECT_EQ(stored(0).lines[0].Text, "edited");
    EXPECT_EQ(stored(1).lines[0].Text, "Ana");
    EXPECT_EQ(stored(1).lines[0].attrs.FontSize, 99);

    // No: the page on screen, changed, is still the template; its file stays as it was.
    w->Edit1->setText("not saved");
    w->line(1).FontSize = 33;
    script({Answer::No, Answer::Yes}, {csv("Ben\n")});
    w->ImportPages1Click();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Save current page?", "Make 1 page from names.csv?",
                           "Made 1 page from names.csv: 002."}));
    EXPECT_EQ(stored(1).lines[0].Text, "Ana");
    EXPECT_EQ(stored(2).lines[0].Text, "Ben");
    EXPECT_EQ(stored(2).lines[0].attrs.FontSize, 33);
    EXPECT_EQ(w->Edit1->text(), "Ben");
}

// A copied page waits on screen under a free number; the pages imported take that number, and
// the copy does not overwrite one of them later.
TEST_F(RowsCommandsTest, ACopyWaitingForItsNumberIsNotSavedOverAnImportedPage) {
    w->CopyPage1Click();
    ASSERT_EQ(w->currentpage, 1);
    script({Answer::No, Answer::Yes}, {csv("Ana\n")});
    w->ImportPages1Click();
    EXPECT_EQ(stored(1).lines[0].Text, "Ana");
    EXPECT_FALSE(w->sav);
    w->SavePgToolButtonClick();
    EXPECT_EQ(stored(1).lines[0].Text, "Ana");
    EXPECT_EQ(pageFiles(), QStringList({"SHOW.000", "SHOW.001"}));
}

TEST_F(RowsCommandsTest, NotEnoughFreeNumbersIsToldBeforeAsking) {
    for (int n = 1; n <= 998; ++n)
        ASSERT_TRUE(testsupport::writeFile(page(n), {}));
    script({Answer::Yes}, {csv("Ana\nBen\n")});
    w->ImportPages1Click();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"names.csv: SHOW has room for 1 more page, not 2. No page was made."}));
    EXPECT_FALSE(QFileInfo::exists(page(999)));
}

TEST_F(RowsCommandsTest, WithoutAProjectNothingIsAsked) {
    w->NewPrjToolButtonClick();
    w->setsav(false);
    seams.dialogs.clear();
    w->ImportPages1Click();
    w->ExportTexts1Click();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Open a Project or Save this project first.",
                                                  "Open a Project or Save this project first."}));
    EXPECT_TRUE(seams.dialogs.fileDialogs.empty());
}

TEST_F(RowsCommandsTest, ExportWritesEveryPagesTexts) {
    w->Edit1->setText("Zoë; \"Z\" Ångström");
    w->SaveCurPage();
    w->NewPageButtonClick();
    w->Edit1->setText("محمد");
    w->PauseTrackBar->setValue(12);
    script({Answer::Yes}, {project + "texts.csv"}); // save the new page first
    w->ExportTexts1->trigger(); // File > Export Texts...
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Save current page?", "Wrote the texts of 2 pages to texts.csv."}));
    ASSERT_EQ(seams.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(seams.dialogs.fileDialogs[0].title, "Export Texts");
    EXPECT_EQ(seams.dialogs.fileDialogs[0].directory, project + "show.csv");
    EXPECT_EQ(seams.dialogs.fileDialogs[0].defaultSuffix, "csv");

    const QByteArray bytes = testsupport::readFile(project + "texts.csv");
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBFPage,Line 1,"));
    const velmora::CsvTable t = velmora::parseCsv(bytes);
    ASSERT_TRUE(t.error.isEmpty());
    ASSERT_EQ(t.records.size(), 3u);
    EXPECT_EQ(t.records[1].fields, QStringList({"000", "Zoë; \"Z\" Ångström", "Role", "Company", "",
                                                "", "", "", "", "", "6"}));
    EXPECT_EQ(t.records[2].fields[0], "001");
    EXPECT_EQ(t.records[2].fields[1], "محمد");
    EXPECT_EQ(t.records[2].fields[10], "12");
}

TEST_F(RowsCommandsTest, AnExportThatCannotBeWrittenIsTold) {
    ASSERT_TRUE(QDir().mkpath(project + "taken.csv"));
    script({}, {project + "taken.csv"});
    w->ExportTexts1Click();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Can not write " + project + "taken.csv."}));
    EXPECT_EQ(seams.dialogs.asked[0].kind, MsgKind::Error);
}
