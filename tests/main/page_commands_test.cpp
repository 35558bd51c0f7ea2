#include <csignal>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <sys/resource.h>

#include "main_window_fixture.h"
#include "platform/IniFile.h"

using platform::Answer;
using platform::MsgKind;
using testsupport::readFile;
using testsupport::writeFile;

using PageCommandsTest = ProjectWindowTest;

static QImage redPicture() {
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::red);
    return img;
}

TEST_F(PageCommandsTest, AProjectIsCreatedSavedAndReopenedAtItsFirstPage) {
    newProject();
    EXPECT_TRUE(QFileInfo::exists(project + "show.kvt"));
    EXPECT_EQ(w->dpath, project);
    makePages(2);
    EXPECT_TRUE(QFileInfo::exists(page(2)));
    EXPECT_EQ(QFileInfo(page(1)).size(), velmora::PageRecordSize);
    w->SettingsWriteFile();

    // The next start opens the last project at page 000.
    auto again = std::make_unique<velmora::TBitMovOptMain>();
    testsupport::FakePlayback pb(*again);
    again->setPlayback(&pb);
    again->SettingsReadFile();
    EXPECT_EQ(again->ProjectName, "show.kvt");
    EXPECT_EQ(again->currentpage, 0);
    EXPECT_EQ(again->Edit1->text(), "page 0");
    EXPECT_EQ(again->statusPanel(2), "Current");
    EXPECT_EQ(again->statusPanel(3), "000");
    EXPECT_EQ(again->statusPanel(4), "PROJECT: show.kvt");
    EXPECT_FALSE(again->sav);
    again->NextPageClick();
    EXPECT_EQ(again->Edit1->text(), "page 1");
    again->setPlayback(nullptr);
}

TEST_F(PageCommandsTest, TheProjectFileNamesThePagesItsOwnNameDoesNot) {
    {
        platform::IniFile ini(project + "opened.kvt");
        ini.writeString("VelmoraProject", "ProjectName", "../../etc/another.kvt");
        ini.writeInteger("VelmoraProject", "UseColorBars", 1);
        ini.writeInteger("VelmoraProject", "Holdtime", 4);
    }
    velmora::PageImage img;
    img.lines[0].Text = "from another";
    velmora::PageBuffer buf;
    buf.encode(img, "000");
    ASSERT_TRUE(velmora::writePageFile(project + "ANOTHER.000", buf));
    w->OpenProject(project + "opened.kvt");
    // The stored name is reduced to its file name: the pages are looked for beside the project.
    EXPECT_EQ(w->ProjectName, "another.kvt");
    EXPECT_EQ(w->Edit1->text(), "from another");
    EXPECT_TRUE(w->UseColorBars);
    EXPECT_TRUE(w->ColorBarToolButton->isChecked());
    EXPECT_EQ(w->statusPanel(1), "Clr Bars ON");
    EXPECT_EQ(w->Holdtime, 4);
}

TEST_F(PageCommandsTest, SavingAndLoadingCarryTheWholePage) {
    newProject();
    w->NewPageButtonClick();
    w->Edit1->setText("  Hello  ");
    // The boxes keep 80 characters, not bytes (80 Cyrillic letters are 160 bytes in UTF-8), and
    // the page follows them.
    w->Edit2->setText(QString(100, QChar(0x0416)));
    w->Edit3->setText(QString(100, 'x'));
    EXPECT_EQ(w->lineText(3), QString(80, 'x'));
    w->line(1).ShadowOn = true;
    w->line(2).InDirection = 11;
    w->line(3).OutDirection = 12;
    w->setLineFontStyle(2, velmora::PageImage::Line{}.FontStyle | 2);
    w->DelayTrackBar->setValue(6000);
    w->PauseTrackBar->setValue(9);
    w->document().setTitlePos(3, -40, 700);
    w->inPath(2).LastIndex = 2;
    w->inPath(2).Points[1] = {640, 480};
    w->SaveCurPage();
    EXPECT_EQ(w->currentpage, 0);
    EXPECT_FALSE(w->sav);
    EXPECT_FALSE(w->add);

    w->NewPrjToolButtonClick(); // clears the screen
    w->ProjectName = "show.kvt";
    w->document().setTitlePos(3, 0, 0);
    EXPECT_EQ(loadedTitle(0), "Hello");
    EXPECT_EQ(w->Edit2->text(), QString(80, QChar(0x0416)));
    EXPECT_EQ(w->Edit3->text(), QString(80, 'x'));
    EXPECT_TRUE(w->line(1).ShadowOn);
    EXPECT_EQ(w->line(2).InDirection, 11);
    EXPECT_EQ(w->line(3).OutDirection, 12);
    EXPECT_EQ(w->lineFontStyle(2), 2);
    EXPECT_EQ(w->fadedelay, 6000);
    EXPECT_EQ(w->DelayTrackBar->value(), 6000);
    EXPECT_EQ(w->PauseTime, 9);
    EXPECT_EQ(w->titleX(3), -40);
    EXPECT_EQ(w->titleY(3), 700);
    EXPECT_EQ(w->inPath(2).LastIndex, 2);
    EXPECT_EQ(w->inPath(2).Points[1].x, 640);
    EXPECT_FALSE(w->sav);
}

TEST_F(PageCommandsTest, LoadFailuresLeaveThePageOnScreen) {
    newProject();
    makePages(0);
    w->Edit1->setText("on screen");
    ASSERT_TRUE(writeFile(page(1), QByteArray(velmora::PageRecordSize - 1, '\1')));
    const std::pair<int, QString> failures[] = {
        {5, "File error, Page file does not exist:SHOW.005"},
        {1, "Error opening (possible older file structure) SHOW.001"}};
    for (const auto& [n, told] : failures) {
        seams.dialogs.clear();
        EXPECT_EQ(loadedTitle(n), "on screen");
        EXPECT_EQ(seams.dialogs.texts(), QStringList({told}));
        EXPECT_TRUE(w->sav);
    }
}

TEST_F(PageCommandsTest, NextAndPreviousStopAtTheEndsAndAskBeforeLosingChanges) {
    newProject();
    makePages(1);
    EXPECT_EQ(loadedTitle(0), "page 0");
    w->PrevPageClick();
    EXPECT_FALSE(w->PrevPage->isEnabled());
    EXPECT_TRUE(w->NextPage->isEnabled());
    EXPECT_EQ(w->currentpage, 0);

    w->NextPageClick();
    EXPECT_EQ(w->currentpage, 1);
    EXPECT_EQ(w->CurPgNumber->text(), "001");
    EXPECT_TRUE(w->PrevPage->isEnabled());
    w->NextPageClick();
    EXPECT_FALSE(w->NextPage->isEnabled());
    EXPECT_EQ(w->currentpage, 1);

    // Changes: Yes saves and stays, No goes on and drops them.
    w->Edit1->setText("changed");
    script({Answer::Yes});
    w->PrevPageClick();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Save current page?"}));
    EXPECT_EQ(w->currentpage, 1);
    EXPECT_FALSE(w->sav);
    w->Edit1->setText("dropped");
    seams.dialogs.answers.push_back(Answer::No);
    w->PrevPageClick();
    EXPECT_EQ(w->currentpage, 0);
    EXPECT_EQ(loadedTitle(1), "changed");
}

TEST_F(PageCommandsTest, NewAndCopiedPagesTakeTheFirstFreeNumber) {
    newProject();
    makePages(3);
    QFile::remove(page(2));
    EXPECT_EQ(loadedTitle(1), "page 1");

    // A new page keeps wave, blur, font styles and positions; the rest is reset.
    w->line(1).WaveFile = "/tune.wav";
    w->line(2).BlurOn = true;
    w->setLineFontStyle(3, 8);
    w->document().setTitlePos(1, 11, 22);
    w->line(1).FontSize = 77;
    w->line(2).GradientOn = true;
    w->NewPageButtonClick();
    w->NewPageButtonClick(); // a second press before saving does nothing
    EXPECT_TRUE(w->add);
    EXPECT_EQ(w->currentpage, 2);
    EXPECT_EQ(w->statusPanel(2), "002");
    EXPECT_TRUE(w->sav);
    EXPECT_FALSE(w->NewPageButton->isEnabled());
    EXPECT_FALSE(w->CopyPageButton->isEnabled());
    EXPECT_EQ(w->line(1).WaveFile, "/tune.wav");
    EXPECT_TRUE(w->line(2).BlurOn);
    EXPECT_EQ(w->lineFontStyle(3), 8);
    EXPECT_EQ(w->titleX(1), 11);
    EXPECT_EQ(w->line(1).FontSize, 40);
    EXPECT_FALSE(w->line(2).GradientOn);
    EXPECT_TRUE(w->Edit1->text().isEmpty());
    w->Edit1->setText("fills the gap");
    w->SavePgToolButtonClick();
    EXPECT_TRUE(QFileInfo::exists(page(2)));
    EXPECT_FALSE(QFileInfo::exists(page(4)));
    EXPECT_TRUE(w->NewPageButton->isEnabled());
    EXPECT_TRUE(w->CopyPageButton->isEnabled());

    // Copy: page 001 of 000..003 becomes 004.
    EXPECT_EQ(loadedTitle(1), "page 1");
    w->CopyPageButtonClick();
    EXPECT_EQ(w->currentpage, 4);
    EXPECT_EQ(w->statusPanel(2), "Copy Page");
    EXPECT_FALSE(w->add);
    EXPECT_EQ(w->Edit1->text(), "page 1");
    w->SaveCurPage();
    EXPECT_EQ(loadedTitle(4), "page 1");
}

// A copy and a new page are unsaved although their fields equal the record buffer: an edit
// undone there leaves them unsaved, and "S Pg" still writes them.
TEST_F(PageCommandsTest, AnEditUndoneOnACopyOrANewPageKeepsItUnsaved) {
    newProject();
    makePages(1);
    EXPECT_EQ(loadedTitle(0), "page 0");
    w->CopyPageButtonClick();
    ASSERT_EQ(w->currentpage, 2);
    ASSERT_TRUE(w->sav);
    QTest::keyClick(w->Edit1, Qt::Key_End);
    QTest::keyClick(w->Edit1, Qt::Key_X);
    EXPECT_EQ(w->Edit1->text(), "page 0x");
    w->Undo1->trigger();
    EXPECT_EQ(w->Edit1->text(), "page 0");
    EXPECT_TRUE(w->sav);
    EXPECT_TRUE(w->SavePgToolButton->isEnabled());
    // Leaving the copy asks first; Yes saves it and stays.
    script({Answer::Yes});
    w->PrevPageClick();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Save current page?"}));
    EXPECT_EQ(w->currentpage, 2);
    EXPECT_FALSE(w->sav);
    EXPECT_EQ(loadedTitle(2), "page 0");

    // A redo and an undo after the save follow what was written.
    w->NewPageButtonClick();
    ASSERT_EQ(w->currentpage, 3);
    ASSERT_TRUE(w->sav);
    QTest::keyClicks(w->Edit2, "ab");
    w->Undo1->trigger();
    EXPECT_TRUE(w->Edit2->text().isEmpty());
    EXPECT_TRUE(w->sav);
    w->SavePgToolButtonClick();
    ASSERT_TRUE(QFileInfo::exists(page(3)));
    EXPECT_FALSE(w->sav);
    w->Redo1->trigger();
    EXPECT_EQ(w->Edit2->text(), "ab");
    EXPECT_TRUE(w->sav);
    w->Undo1->trigger();
    EXPECT_FALSE(w->sav);
}

TEST_F(PageCommandsTest, DeletingRenumbersThePagesAbove) {
    newProject();
    makePages(4);
    EXPECT_EQ(loadedTitle(2), "page 2");
    script({Answer::Yes});
    w->DeletePgToolButtonClick();
    EXPECT_EQ(seams.dialogs.asked[0].text, "Delete Page 002 of SHOW ARE YOU SURE?");
    EXPECT_EQ(seams.dialogs.asked[0].kind, MsgKind::Warning);
    EXPECT_EQ(w->currentpage, 1);
    EXPECT_EQ(w->Edit1->text(), "page 1");
    EXPECT_FALSE(QFileInfo::exists(page(4)));
    EXPECT_EQ(loadedTitle(2), "page 3");
    EXPECT_EQ(loadedTitle(3), "page 4");

    // Page 000: the page below does not exist, so the one above comes on screen.
    EXPECT_EQ(loadedTitle(0), "page 0");
    seams.dialogs.answers.push_back(Answer::Yes);
    w->BDeletepageClick();
    EXPECT_EQ(w->currentpage, 1);
    EXPECT_EQ(w->Edit1->text(), "page 3");
    EXPECT_EQ(loadedTitle(0), "page 1");
    EXPECT_FALSE(QFileInfo::exists(page(3)));

    // No: nothing happens.
    seams.dialogs.answers.push_back(Answer::No);
    w->BDeletepageClick();
    EXPECT_TRUE(QFileInfo::exists(page(2)));
}

TEST_F(PageCommandsTest, DeletingTheOnlyPageLeavesItsContentsOnScreen) {
    newProject();
    makePages(0);
    seams.dialogs.answers.push_back(Answer::Yes);
    w->BDeletepageClick();
    EXPECT_FALSE(QFileInfo::exists(page(0)));
    EXPECT_EQ(w->Edit1->text(), "page 0");
}

TEST_F(PageCommandsTest, SavePageWithoutAProjectAsksForOneAndAnUnwritableProjectIsTold) {
    w->Edit1->setText("x");
    w->SavePgToolButtonClick();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Save Project first, than add New pages."}));
    EXPECT_TRUE(w->sav);

    // A folder where the project file should be: no file can be written there.
    ASSERT_TRUE(QDir().mkpath(project + "show.kvt"));
    script({}, {project + "show"});
    w->SaveprojectClick1();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Can not write the project file " + project + "show.kvt"}));
    EXPECT_TRUE(w->ProjectName.isEmpty());
}

TEST_F(PageCommandsTest, AFailedSaveKeepsTheOldPageAndThePageStaysChanged) {
    newProject();
    makePages(0);
    const QByteArray before = readFile(page(0));
    w->Edit1->setText("new words");
    // Root ignores permissions: make the write itself fail with a file-size limit below one
    // record, as a full disk would.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    seams.dialogs.clear();
    w->SavePgToolButtonClick();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"File error, Can not save page"}));
    EXPECT_TRUE(w->sav);
    EXPECT_FALSE(w->NewPageButton->isEnabled());
    EXPECT_EQ(readFile(page(0)), before);
    EXPECT_EQ(QDir(project).entryList(QDir::Files).size(), 2); // no temporary file left

    // The close query still offers to save.
    script({Answer::Cancel});
    w->close();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Save current page first?"}));
}

TEST_F(PageCommandsTest, ANewPageInAFullProjectIsNotWritten) {
    newProject();
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(writeFile(page(i), velmora::PageBuffer().toByteArray()));
    w->add = true;
    w->Edit1->setText("one too many");
    seams.dialogs.clear();
    w->SaveCurPage();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"All 1000 page numbers of this project are in use."}));
    EXPECT_TRUE(w->add);
    EXPECT_TRUE(w->sav);
    EXPECT_EQ(w->Edit1->text(), "one too many");
}

TEST_F(PageCommandsTest, ABitmapLineShowsItsPreviewAndAWaveChangesNothing) {
    const QString bmp = dir.file("logo.bmp");
    ASSERT_TRUE(redPicture().save(bmp, "BMP"));
    w->Edit2->setText("typed");
    w->setsav(false);
    w->popupLine = 2;
    seams.dialogs.files.push_back(bmp);
    w->LoadBitmap1Click();
    EXPECT_EQ(w->line(2).BitmapFile, bmp);
    EXPECT_TRUE(w->line(2).InUse);
    EXPECT_TRUE(w->Edit2->text().isEmpty());
    EXPECT_FALSE(w->PreVuImage2->isHidden());
    EXPECT_EQ(w->image2label->text(), bmp);
    EXPECT_TRUE(w->sav);
    EXPECT_EQ(seams.dialogs.fileDialogs.back().title, "Load A Graphic File");

    // A picture that cannot be read: two messages from the previews.
    ASSERT_TRUE(writeFile(dir.file("bad.bmp"), "BM not really"));
    w->line(3).BitmapFile = dir.file("bad.bmp");
    seams.dialogs.clear();
    w->loadprevus();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Error opening graphics file: " + dir.file("bad.bmp"),
                           "File error,  Where is " + dir.file("bad.bmp") + " for line three?"}));

    // Cancel changes nothing; a chosen wave does not mark the page.
    w->setsav(false);
    w->LoadBitmap1Click();
    EXPECT_FALSE(w->sav);
    w->popupLine = 1;
    seams.dialogs.files.push_back(dir.file("tune.wav"));
    w->PlayaWaveto1Click();
    EXPECT_EQ(w->line(1).WaveFile, dir.file("tune.wav"));
    EXPECT_FALSE(w->sav);
    EXPECT_FALSE(w->SavePgToolButton->isEnabled());
}

TEST_F(PageCommandsTest, NewProjectCommands) {
    newProject();
    makePages(0);
    w->NewProj1Click();
    EXPECT_EQ(w->statusPanel(4), "PROJECT: ");
    EXPECT_EQ(w->statusPanel(3), "NEW");
    EXPECT_EQ(w->ProjectName, "show.kvt"); // page saves still go to the open project

    w->NewPrjToolButtonClick();
    EXPECT_TRUE(w->ProjectName.isEmpty());
    EXPECT_EQ(w->CurPgNumber->text(), "000");
    EXPECT_TRUE(w->sav);
    EXPECT_FALSE(w->NewPageButton->isEnabled());
    EXPECT_EQ(w->inPath(1).LastIndex, -1);
    // The next save finds no project and does nothing; Save Project asks for a name.
    seams.dialogs.clear();
    w->SaveCurPage();
    EXPECT_TRUE(seams.dialogs.asked.empty());
    w->SaveprojectClick1();
    ASSERT_EQ(seams.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(seams.dialogs.fileDialogs[0].title, "Save KVT Title Project");
    EXPECT_TRUE(w->ProjectName.isEmpty());
}

// A picture deep inside the project's folder is stored relative to it and found again, however
// long its name and in whatever script.
TEST_F(PageCommandsTest, PicturesDeepInTheProjectFolderSurviveSaveAndReload) {
    project = dir.path() + "/" + QString(40, 't') + "/";
    ASSERT_TRUE(QDir().mkpath(project));
    newProject();
    w->NewPageButtonClick();
    const QString folder = "pictures/" + QString(30, 'p') + "/" + QString(10, 'q');
    ASSERT_TRUE(QDir(project).mkpath(folder));
    const QString picture = project + folder + "/logo.bmp";
    ASSERT_GE(picture.size(), 100);
    ASSERT_TRUE(redPicture().save(picture, "BMP"));

    w->popupLine = 2;
    seams.dialogs.files.push_back(picture);
    w->LoadBitmap1Click();
    EXPECT_EQ(w->line(2).BitmapFile, folder + "/logo.bmp");
    EXPECT_TRUE(w->line(2).InUse);
    EXPECT_TRUE(seams.dialogs.asked.empty());
    w->SaveCurPage();
    ASSERT_FALSE(w->sav);

    w->line(2).BitmapFile.clear();
    EXPECT_EQ(loadedTitle(0), "");
    EXPECT_EQ(w->line(2).BitmapFile, folder + "/logo.bmp");
    EXPECT_TRUE(w->line(2).InUse);
    EXPECT_TRUE(w->PreVuImage2->isVisibleTo(w.get())); // the preview found the picture
    EXPECT_TRUE(seams.dialogs.asked.empty());

    // A picture 150 characters deep in a folder named in another script, and a wave outside
    // the project with a name longer than the record's field: both kept whole.
    const QString deeper = "Фильм/" + QString(70, QChar(0x6771)) + "/" + QString(70, 'x');
    ASSERT_TRUE(QDir(project).mkpath(deeper));
    ASSERT_GE(deeper.size(), 145);
    ASSERT_TRUE(redPicture().save(project + deeper + "/логотип.bmp", "BMP"));
    seams.dialogs.files.push_back(project + deeper + "/логотип.bmp");
    w->LoadBitmap1Click();
    QTemporaryDir other;
    const QString far = other.path() + "/" + QString(90, 'f') + ".wav";
    seams.dialogs.files.push_back(far);
    w->PlayaWaveto1Click();
    EXPECT_TRUE(seams.dialogs.asked.empty());
    w->SaveCurPage();
    ASSERT_FALSE(w->sav);
    w->line(2).BitmapFile.clear();
    w->line(2).WaveFile.clear();
    EXPECT_EQ(loadedTitle(0), "");
    EXPECT_EQ(w->line(2).BitmapFile, deeper + "/логотип.bmp");
    EXPECT_EQ(w->line(2).WaveFile, far);
    EXPECT_TRUE(w->PreVuImage2->isVisibleTo(w.get()));
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(PageCommandsTest, OpeningOrStartingAProjectOffersToSaveTheChangedPage) {
    newProject();
    makePages(0);
    w->Edit1->setText("edited");
    ASSERT_TRUE(w->sav);
    // Yes saves the page into its project before the other one opens.
    script({Answer::Yes}, {std::nullopt}); // the open dialog is cancelled
    w->OpenPrjToolButtonClick();
    EXPECT_EQ(seams.dialogs.texts(), QStringList({"Save current page?"}));
    EXPECT_FALSE(w->sav);
    EXPECT_EQ(loadedTitle(0), "edited");

    for (auto command : {&velmora::TBitMovOptMain::NewProj1Click,
                         &velmora::TBitMovOptMain::NewPrjToolButtonClick}) {
        w->ProjectName = "show.kvt";
        w->Edit1->setText("dropped");
        script({Answer::No});
        (w.get()->*command)();
        EXPECT_EQ(seams.dialogs.texts(), QStringList({"Save current page?"}));
        w->ProjectName = "show.kvt";
        EXPECT_EQ(loadedTitle(0), "edited"); // No saved nothing
    }
    // Without changes nothing is asked.
    seams.dialogs.clear();
    w->NewProj1Click();
    w->setsav(false);
    w->NewPrjToolButtonClick();
    EXPECT_TRUE(seams.dialogs.asked.empty());
}
