#include "main/project_file.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QStringList>

#include "test_support.h"

using namespace velmora;

namespace {

QStringList linesOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void writeText(const QString& path, const QString& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

bool writeSample(const QString& path) {
    return writeProjectFile(path, QStringLiteral("Velmora-32"), QStringLiteral("1.30"),
                            QStringLiteral("Show.kvt"), QStringLiteral("01/02/24 10:11:12"),
                            QStringLiteral("004"), true, false, 25, 24, 0);
}

} // namespace

class ProjectFile : public ::testing::Test {
protected:
    testsupport::TempDir tmp;
    QString path = tmp.file(QStringLiteral("Show.kvt"));
};

TEST_F(ProjectFile, NewFileHasTheKeysInTheirOrder) {
    ASSERT_TRUE(writeSample(path));
    EXPECT_EQ(linesOf(path), QStringList({"[VelmoraProject]", "Program=Velmora-32", "Version=1.30",
                                          "ProjectName=Show.kvt", "Birth=01/02/24 10:11:12",
                                          "NumberOPages=004", "UseColorBars=1", "UseCountDown=0",
                                          "Holdtime=25", "BPP=24", "Palette=0"}));
}

TEST_F(ProjectFile, ReadsBackWhatWasWritten) {
    ASSERT_TRUE(writeProjectFile(path, "Velmora-32", "1.30", "Show.kvt", "now", "NEW", false, true,
                                 -3, 32, 20));
    const ProjectSettings p = readProjectFile(path);
    EXPECT_EQ(p.ProjectName, QStringLiteral("Show.kvt"));
    EXPECT_FALSE(p.UseColorBars);
    EXPECT_TRUE(p.UseCountDown);
    EXPECT_EQ(p.Holdtime, -3);
    EXPECT_EQ(p.NumberOPages, QStringLiteral("NEW"));
}

TEST_F(ProjectFile, MissingFileAndMissingKeysGiveTheDefaults) {
    for (const QString& content : {QString(), QStringLiteral("[VelmoraProject]\n"),
                                   QStringLiteral("[Other]\nProjectName=x.kvt\nHoldtime=3\n")}) {
        SCOPED_TRACE(content.toStdString());
        if (!content.isNull()) writeText(path, content);
        const ProjectSettings p = readProjectFile(path);
        EXPECT_TRUE(p.ProjectName.isEmpty());
        EXPECT_FALSE(p.UseColorBars);
        EXPECT_FALSE(p.UseCountDown);
        EXPECT_EQ(p.Holdtime, 10);
        EXPECT_TRUE(p.NumberOPages.isEmpty());
    }
}

TEST_F(ProjectFile, IntegersAndBooleansReadLikeTheProfileFunctions) {
    writeText(path, QStringLiteral("[velmoraproject]\nusecolorbars=2\nUseCountDown=0\n"
                                   "Holdtime=soon\n"));
    ProjectSettings p = readProjectFile(path);
    EXPECT_TRUE(p.UseColorBars); // any non-zero value
    EXPECT_FALSE(p.UseCountDown);
    EXPECT_EQ(p.Holdtime, 10); // garbage reads as the default
    writeText(path, QStringLiteral("[VelmoraProject]\nHoldtime=$1E\nUseCountDown=x\n"));
    p = readProjectFile(path);
    EXPECT_EQ(p.Holdtime, 30);
    EXPECT_FALSE(p.UseCountDown);
}

TEST_F(ProjectFile, ProjectNameIsReducedToItsFileName) {
    const struct {
        const char* stored;
        const char* read;
    } cases[] = {
        {"another.kvt", "another.kvt"},
        {"../../etc/other.kvt", "other.kvt"},
        {"/tmp/abs.kvt", "abs.kvt"},
        {"..\\..\\win.kvt", "win.kvt"},
        {"C:show.kvt", "show.kvt"},
        {"sub/..", ""},
        {"..", ""},
        {".", ""},
        {"dir/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        writeText(path, QStringLiteral("[VelmoraProject]\nProjectName=%1\n").arg(c.stored));
        EXPECT_EQ(readProjectFile(path).ProjectName, QString::fromUtf8(c.read));
    }
}

TEST_F(ProjectFile, RewriteUpdatesInPlaceAndKeepsForeignKeys) {
    writeText(path, QStringLiteral("; notes\n[VelmoraProject]\nComment=keep me\nHoldtime=5\n"
                                   "ProjectName=Old.kvt\n\n[Other]\nx=1\n"));
    ASSERT_TRUE(writeSample(path));
    EXPECT_EQ(linesOf(path),
              QStringList({"; notes", "[VelmoraProject]", "Comment=keep me", "Holdtime=25",
                           "ProjectName=Show.kvt", "Program=Velmora-32", "Version=1.30",
                           "Birth=01/02/24 10:11:12", "NumberOPages=004", "UseColorBars=1",
                           "UseCountDown=0", "BPP=24", "Palette=0", "", "[Other]", "x=1"}));
    // Written twice, nothing doubles.
    ASSERT_TRUE(writeSample(path));
    EXPECT_EQ(linesOf(path).size(), 16);
}

TEST_F(ProjectFile, WriteIntoAMissingDirectoryReportsFailure) {
    EXPECT_FALSE(writeSample(tmp.file(QStringLiteral("gone/Show.kvt"))));
}

TEST(ProjectNames, DirectoryAndFileNameParts) {
    EXPECT_EQ(directoryPart(QStringLiteral("/a/b/show.kvt")), QStringLiteral("/a/b/"));
    EXPECT_EQ(fileNamePart(QStringLiteral("/a/b/show.kvt")), QStringLiteral("show.kvt"));
    EXPECT_EQ(directoryPart(QStringLiteral("C:\\shows\\x.kvt")), QStringLiteral("C:\\shows\\"));
    EXPECT_EQ(fileNamePart(QStringLiteral("C:\\shows\\x.kvt")), QStringLiteral("x.kvt"));
    EXPECT_EQ(directoryPart(QStringLiteral("C:x.kvt")), QStringLiteral("C:"));
    EXPECT_EQ(fileNamePart(QStringLiteral("C:x.kvt")), QStringLiteral("x.kvt"));
    EXPECT_EQ(directoryPart(QStringLiteral("x.kvt")), QString());
    EXPECT_EQ(fileNamePart(QStringLiteral("x.kvt")), QStringLiteral("x.kvt"));
    EXPECT_EQ(directoryPart(QStringLiteral("/p/")), QStringLiteral("/p/"));
    EXPECT_EQ(fileNamePart(QStringLiteral("/p/")), QString());
}

TEST(ProjectNames, KvtExtensionOnlyWhenThereIsNone) {
    EXPECT_EQ(withKvtExtension(QStringLiteral("Show")), QStringLiteral("Show.kvt"));
    EXPECT_EQ(withKvtExtension(QStringLiteral("Show.KVT")), QStringLiteral("Show.KVT"));
    EXPECT_EQ(withKvtExtension(QStringLiteral("my.show")), QStringLiteral("my.show"));
    EXPECT_EQ(withKvtExtension(QStringLiteral("/dir.d/Show")), QStringLiteral("/dir.d/Show.kvt"));
}
