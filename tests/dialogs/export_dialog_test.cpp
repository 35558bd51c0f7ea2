// File > "Export Show...": the choices, the render from the dialog and what the user is told.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/exportdlg.h"
#include "main/bitmov2.h"
#include "model/page_file.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "test_support.h"

using velmora::TExportDialog;
using velmora::VideoFormat;

namespace {
// show.kvt in the folder with a page "Hello" at each of the numbers, shown without movement.
void writeHelloProject(const testsupport::TempDir& dir,
                       std::initializer_list<const char*> numbers) {
    velmora::PageImage page;
    page.lines[0].Text = "Hello";
    page.lines[0].attrs.InDirection = 13;
    page.lines[0].attrs.OutDirection = 13;
    velmora::PageBuffer buffer;
    for (const char* number : numbers) {
        buffer.encode(page, number);
        ASSERT_TRUE(velmora::writePageFile(dir.file(QStringLiteral("SHOW.") + number), buffer));
    }
    ASSERT_TRUE(velmora::writeProjectFile(dir.file("show.kvt"), "Velmora-32", "1.30", "show.kvt",
                                          "2026-12-07 10:00:00", "000", false, false, 10, 32, 0));
}
} // namespace

TEST(ExportDialog, TheFormatDecidesTheExtensionAndWhetherTransparencyIsOffered) {
    TExportDialog d;
    d.FileEdit->setText("/tmp/show");
    d.FormatBox->setCurrentIndex(1); // MOV
    EXPECT_EQ(d.FileEdit->text(), "/tmp/show.mov");
    EXPECT_TRUE(d.AlphaBox->isEnabled());
    d.AlphaBox->setChecked(true);
    d.SizeBox->setCurrentIndex(1);
    d.RateBox->setCurrentIndex(3);
    velmora::ExportOptions o = d.options("p.kvt");
    EXPECT_EQ(o.format, VideoFormat::Mov);
    EXPECT_TRUE(o.alpha);
    EXPECT_EQ(o.show.width, 1280);
    EXPECT_EQ(o.show.rate.num, 30000);
    EXPECT_EQ(o.show.rate.den, 1001);

    d.FormatBox->setCurrentIndex(0); // MP4: no transparency
    EXPECT_EQ(d.FileEdit->text(), "/tmp/show.mp4");
    EXPECT_FALSE(d.AlphaBox->isEnabled());
    EXPECT_FALSE(d.options("p.kvt").alpha);
    d.FormatBox->setCurrentIndex(3); // pictures: a folder
    EXPECT_EQ(d.FileEdit->text(), "/tmp/show");
    d.FileEdit->clear();
    EXPECT_FALSE(d.OkButton->isEnabled());
}

TEST(ExportDialog, TheMainWindowOffersToSaveThenRendersTheSavedProject) {
    testsupport::TempDir dir;
    testsupport::Seams seams;
    velmora::setSettingsFilePath(dir.file("velmora.ini"));
    ASSERT_NO_FATAL_FAILURE(writeHelloProject(dir, {"000"}));

    TExportDialog dialog;
    velmora::Accessories acc;
    acc.exportShow = [&](const QString& project) { dialog.exportProject(project); };
    velmora::TBitMovOptMain w(acc);
    w.OpenProject(dir.file("show.kvt"));
    w.Edit1->setText("Changed"); // on screen, not saved

    seams.dialogs.answers.push_back(platform::Answer::No); // "Save current page?"
    seams.dialogs.onModal = [&](QDialog&) {
        dialog.FormatBox->setCurrentIndex(3);
        dialog.SizeBox->setCurrentIndex(3); // 720 x 576
        dialog.FileEdit->setText(dir.file("frames"));
    };
    seams.dialogs.modalResults.push_back(QDialog::Accepted);
    w.ExportShow1->trigger();

    const QStringList asked = seams.dialogs.texts();
    ASSERT_GE(asked.size(), 2);
    EXPECT_EQ(asked[0], "Save current page?");
    EXPECT_TRUE(asked.last().startsWith("The show was written to " + dir.file("frames")))
        << asked.last().toStdString();
    const QStringList frames = QDir(dir.file("frames")).entryList({"*.png"});
    ASSERT_FALSE(frames.isEmpty());
    EXPECT_EQ(QImage(dir.file("frames/000001.png")).size(), QSize(720, 576));
    EXPECT_EQ(w.Edit1->text(), "Changed"); // the editor as it was
    EXPECT_TRUE(w.sav);

    // A failure is told as one.
    seams.dialogs.clear();
    seams.dialogs.answers.push_back(platform::Answer::No);
    seams.dialogs.onModal = [&](QDialog&) { dialog.FileEdit->setText(dir.file("no/such/folder")); };
    seams.dialogs.modalResults.push_back(QDialog::Accepted);
    w.ExportShow1->trigger();
    EXPECT_TRUE(seams.dialogs.texts().last().startsWith("The show could not be exported: "));
    velmora::setSettingsFilePath(QString());
}

TEST(ExportDialog, TheProposedFileIsInTheVideosFolderWhenThereIsOneElseBesideTheProject) {
    testsupport::TempDir dir;
    QDir(dir.path()).mkdir("Videos");
    const QString project = dir.file("work/show.kvt");
    const struct {
        QString videos, proposed;
    } cases[] = {
        {dir.file("Videos"), dir.file("Videos/show")},
        {dir.file("NoVideos"), dir.file("work/show")}, // a folder that is not there
        {QString(), dir.file("work/show")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velmora::proposedExportFile(project, c.videos), c.proposed)
            << c.videos.toStdString();
}

TEST(ExportDialog, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    testsupport::TempDir dir;
    testsupport::Seams seams;
    // A page after a missing one: the show leaves it out, and the window says so.
    ASSERT_NO_FATAL_FAILURE(writeHelloProject(dir, {"000", "002"}));
    ASSERT_TRUE(testsupport::writeFile(dir.file("show.mp4"), "earlier"));

    TExportDialog dialog;
    for (const platform::Answer answer : {platform::Answer::No, platform::Answer::Yes}) {
        seams.dialogs.clear();
        seams.dialogs.onModal = [&](QDialog&) {
            dialog.FormatBox->setCurrentIndex(0);
            dialog.SizeBox->setCurrentIndex(3);
            dialog.FileEdit->setText(dir.file("show.mp4"));
        };
        seams.dialogs.modalResults.push_back(QDialog::Accepted);
        seams.dialogs.answers.push_back(answer);
        dialog.exportProject(dir.file("show.kvt"));
        const QStringList asked = seams.dialogs.texts();
        ASSERT_GE(asked.size(), 1);
        EXPECT_EQ(asked[0], dir.file("show.mp4") + " is there already. Replace it?");
        EXPECT_EQ(asked.size(), answer == platform::Answer::Yes ? 2 : 1);
        // After "No" the window comes back for another name (here closed).
        EXPECT_EQ(seams.dialogs.modalWindows.size(), answer == platform::Answer::Yes ? 1u : 2u);
        EXPECT_EQ(QFileInfo(dir.file("show.mp4")).size() == 7, answer == platform::Answer::No);
    }
    const QString told = seams.dialogs.texts().last();
    EXPECT_TRUE(told.startsWith("The show was written to ")) << told.toStdString();
    EXPECT_TRUE(told.endsWith("\nLeft out: no page " + dir.file("SHOW.001") +
                              ": the show ends before it, leaving out page 002"))
        << told.toStdString();
    EXPECT_EQ(seams.dialogs.asked.back().kind, platform::MsgKind::Warning);
}
