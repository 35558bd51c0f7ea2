#include "model/project_file.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include "test_support.h"

using namespace velmora;

namespace {

QStringList linesOf(const QString& path) {
    QStringList lines = QString::fromUtf8(testsupport::readFile(path)).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void writeText(const QString& path, const QString& text) {
    ASSERT_TRUE(testsupport::writeFile(path, text.toUtf8()));
}

} // namespace

class ProjectFile : public ::testing::Test {
protected:
    // The sample project, with this stage and motion.
    bool save(int w = 0, int h = 0, std::optional<Motion> motion = std::nullopt) {
        return writeProjectFile(path, QStringLiteral("Velmora-32"), QStringLiteral("1.30"),
                                QStringLiteral("Show.kvt"), QStringLiteral("01/02/24 10:11:12"),
                                QStringLiteral("004"), true, false, 25, 24, 0, w, h, motion);
    }

    testsupport::TempDir tmp;
    QString path = tmp.file(QStringLiteral("Show.kvt"));
};

TEST_F(ProjectFile, NewFileHasTheKeysInTheirOrderAndReadsBack) {
    ASSERT_TRUE(save());
    EXPECT_EQ(linesOf(path), QStringList({"[VelmoraProject]", "Program=Velmora-32", "Version=1.30",
                                          "ProjectName=Show.kvt", "Birth=01/02/24 10:11:12",
                                          "NumberOPages=004", "UseColorBars=1", "UseCountDown=0",
                                          "Holdtime=25", "BPP=24", "Palette=0"}));
    const ProjectSettings p = readProjectFile(path);
    EXPECT_EQ(p.ProjectName, QStringLiteral("Show.kvt"));
    EXPECT_TRUE(p.UseColorBars);
    EXPECT_FALSE(p.UseCountDown);
    EXPECT_EQ(p.Holdtime, 25);
    EXPECT_EQ(p.NumberOPages, QStringLiteral("004"));
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

TEST_F(ProjectFile, ProjectNameIsReducedToItsFileName) {
    const struct {
        const char* stored;
        const char* read;
    } cases[] = {{"another.kvt", "another.kvt"}, {"../../etc/other.kvt", "other.kvt"},
                 {"/tmp/abs.kvt", "abs.kvt"},    {"..\\..\\win.kvt", "win.kvt"},
                 {"C:show.kvt", "show.kvt"},     {"sub/..", ""},
                 {"..", ""},                     {".", ""},
                 {"dir/", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        writeText(path, QStringLiteral("[VelmoraProject]\nProjectName=%1\n").arg(c.stored));
        EXPECT_EQ(readProjectFile(path).ProjectName, QString::fromUtf8(c.read));
    }
}

TEST_F(ProjectFile, RewriteUpdatesInPlaceAndKeepsForeignKeys) {
    writeText(path, QStringLiteral("; notes\n[VelmoraProject]\nComment=keep me\nHoldtime=5\n"
                                   "ProjectName=Old.kvt\n\n[Other]\nx=1\n"));
    ASSERT_TRUE(save());
    EXPECT_EQ(linesOf(path),
              QStringList({"; notes", "[VelmoraProject]", "Comment=keep me", "Holdtime=25",
                           "ProjectName=Show.kvt", "Program=Velmora-32", "Version=1.30",
                           "Birth=01/02/24 10:11:12", "NumberOPages=004", "UseColorBars=1",
                           "UseCountDown=0", "BPP=24", "Palette=0", "", "[Other]", "x=1"}));
    // Written twice, nothing doubles.
    ASSERT_TRUE(save());
    EXPECT_EQ(linesOf(path).size(), 16);
}

TEST(ProjectNames, DirectoryFileNameAndExtension) {
    const struct {
        const char* path;
        const char* dir;
        const char* name;
    } cases[] = {{"/a/b/show.kvt", "/a/b/", "show.kvt"},
                 {"C:\\shows\\x.kvt", "C:\\shows\\", "x.kvt"},
                 {"C:x.kvt", "C:", "x.kvt"},
                 {"x.kvt", "", "x.kvt"},
                 {"/p/", "/p/", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(directoryPart(QString::fromUtf8(c.path)), QString::fromUtf8(c.dir)) << c.path;
        EXPECT_EQ(fileNamePart(QString::fromUtf8(c.path)), QString::fromUtf8(c.name)) << c.path;
    }
    EXPECT_EQ(withKvtExtension(QStringLiteral("Show")), QStringLiteral("Show.kvt"));
    EXPECT_EQ(withKvtExtension(QStringLiteral("Show.KVT")), QStringLiteral("Show.KVT"));
    EXPECT_EQ(withKvtExtension(QStringLiteral("my.show")), QStringLiteral("my.show"));
}

TEST_F(ProjectFile, EachStageSideIsKeptWhenUsableAndWhatIsNotIsNamedAsWritten) {
    const struct {
        const char* keys;
        int width, height;
        const char* unusable;
    } cases[] = {
        {"StageWidth=1920\nStageHeight=1080\n", 1920, 1080, ""},
        {"stagewidth=16\nSTAGEHEIGHT=16384\n", 16, 16384, ""},
        {"StageWidth= 1280 \nStageHeight=$2D0\n", 1280, 720, ""},
        {"", 0, 0, ""},
        {"StageWidth=1920\n", 1920, 0, "no StageHeight"},
        {"StageHeight=600\n", 0, 600, "no StageWidth"},
        {"StageWidth=15\nStageHeight=1080\n", 0, 1080, "StageWidth=15"},
        {"StageWidth=16385\nStageHeight=600\n", 0, 600, "StageWidth=16385"},
        {"StageWidth=-5\nStageHeight=abc\n", 0, 0, "StageWidth=-5|StageHeight=abc"},
        {"StageWidth=1920px\nStageHeight=0\n", 0, 0, "StageWidth=1920px|StageHeight=0"},
        {"StageWidth=99999999999\nStageHeight=1080\n", 0, 1080, "StageWidth=99999999999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        // Another section's keys are not the project's.
        writeText(path, QStringLiteral("[VelmoraProject]\n%1[Other]\nStageWidth=640\n"
                                       "StageHeight=480\n")
                            .arg(QString::fromUtf8(c.keys)));
        const ProjectSettings p = readProjectFile(path);
        EXPECT_EQ(p.StageWidth, c.width);
        EXPECT_EQ(p.StageHeight, c.height);
        EXPECT_EQ(p.unusableStage.join('|'), QString::fromUtf8(c.unusable));
        EXPECT_EQ(p.noStage(), !*c.keys);
    }
    ProjectSettings p;
    p.unusableStage = QStringList{"StageWidth=16385"};
    EXPECT_EQ(unusableStageText(p, "/x/show.kvt", 1024, 600),
              "The stage in show.kvt cannot be used as written (StageWidth=16385; a side is 16 to "
              "16384 pixels): the pages are laid out on 1024 x 600.");
    EXPECT_EQ(unusableStageText(ProjectSettings{}, "/x/show.kvt", 1024, 600), QString());
}

TEST_F(ProjectFile, StageIsWrittenAfterTheOtherKeysOrAloneInPlace) {
    ASSERT_TRUE(save());
    const QStringList keys = linesOf(path);
    EXPECT_EQ(keys.last(), "Palette=0"); // without a stage, the file as it always was
    ASSERT_TRUE(save(800, 600));
    EXPECT_EQ(linesOf(path), keys + QStringList({"StageWidth=800", "StageHeight=600"}));
    // Saved again with another stage, or with none, nothing doubles and nothing moves.
    ASSERT_TRUE(save(1920, 1080));
    ASSERT_TRUE(save());
    EXPECT_EQ(linesOf(path), keys + QStringList({"StageWidth=1920", "StageHeight=1080"}));

    // Alone: an older project's keys and other sections are kept, a stage there is replaced.
    writeText(path, QStringLiteral("; notes\n[VelmoraProject]\nStageHeight=600\nPalette=0\n\n"
                                   "[Other]\nx=1\n"));
    ASSERT_TRUE(writeStage(path, 1280, 720));
    EXPECT_EQ(linesOf(path), QStringList({"; notes", "[VelmoraProject]", "StageHeight=720",
                                          "Palette=0", "StageWidth=1280", "", "[Other]", "x=1"}));
    const QString nowhere = tmp.file(QStringLiteral("missing/Show.kvt"));
    EXPECT_FALSE(writeStage(nowhere, 1280, 720));
    EXPECT_FALSE(QFile::exists(nowhere));
}

// What "Motion" holds is read as Smooth or Stepped; a save gives back the motion read, in the
// file's one "Motion" line after the stage, and every other key stays as it was.
TEST_F(ProjectFile, MotionReadsAndSavesBackAsItWasRead) {
    const struct {
        const char* key; // the "Motion" line, or nothing
        Motion read;
    } cases[] = {
        {"", Motion::Stepped}, // a project from before the key
        {"Motion=Smooth\n", Motion::Smooth},       {"Motion=Stepped\n", Motion::Stepped},
        {"motion=SMOOTH\n", Motion::Smooth},       {"MOTION= smooth \n", Motion::Smooth},
        {"Motion=sTePpEd\n", Motion::Stepped},     {"Motion=\n", Motion::Stepped},
        {"Motion=Smoothly\n", Motion::Stepped},    {"Motion=1\n", Motion::Stepped},
        {"Motion=Smooth Stepped\n", Motion::Stepped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        writeText(path, QStringLiteral("; notes\n[VelmoraProject]\nComment=keep me\n%1"
                                       "Holdtime=5\n\n[Other]\nMotion=Smooth\n")
                            .arg(QString::fromUtf8(c.key)));
        const ProjectSettings p = readProjectFile(path);
        EXPECT_EQ(p.motion, c.read);
        ASSERT_TRUE(save(800, 600, p.motion));
        const QStringList lines = linesOf(path);
        const QStringList project = lines.mid(0, lines.indexOf("[Other]"));
        const QString written = "Motion=" + motionName(c.read);
        // One "Motion" in the project's section: where the key stood it is replaced, a file
        // without it has it after the stage.
        const QRegularExpression anyMotion("^motion=", QRegularExpression::CaseInsensitiveOption);
        EXPECT_EQ(project.filter(anyMotion).size(), 1) << lines.join('|').toStdString();
        EXPECT_EQ(project.indexOf(written), *c.key ? 3 : project.indexOf("StageHeight=600") + 1);
        EXPECT_EQ(lines.first(), "; notes");
        EXPECT_EQ(lines.indexOf("Comment=keep me"), 2);
        EXPECT_TRUE(lines.contains("Holdtime=25"));
        EXPECT_EQ(lines.mid(lines.size() - 3), QStringList({"", "[Other]", "Motion=Smooth"}));
        EXPECT_EQ(readProjectFile(path).motion, c.read);
    }
}

TEST_F(ProjectFile, MotionFollowsTheStageOrStandsAloneAndIsLeftWhenNoneIsGiven) {
    ASSERT_TRUE(save());
    const QStringList keys = linesOf(path);
    ASSERT_EQ(keys.last(), "Palette=0");
    ASSERT_TRUE(save(0, 0, Motion::Smooth));
    EXPECT_EQ(linesOf(path), keys + QStringList({"Motion=Smooth"}));
    // Saved without a motion (a writer that knows none), the file keeps its own.
    ASSERT_TRUE(save());
    EXPECT_EQ(readProjectFile(path).motion, Motion::Smooth);
    ASSERT_TRUE(save(1920, 1080, Motion::Stepped));
    EXPECT_EQ(linesOf(path),
              keys + QStringList({"Motion=Stepped", "StageWidth=1920", "StageHeight=1080"}));

    // Alone, in place: the other keys and sections are kept and nothing doubles.
    writeText(path, QStringLiteral("[VelmoraProject]\nStageWidth=800\nStageHeight=600\n\n"
                                   "[Other]\nx=1\n"));
    ASSERT_TRUE(writeMotion(path, Motion::Smooth));
    ASSERT_TRUE(writeMotion(path, Motion::Stepped));
    ASSERT_TRUE(writeMotion(path, Motion::Smooth));
    EXPECT_EQ(linesOf(path), QStringList({"[VelmoraProject]", "StageWidth=800", "StageHeight=600",
                                          "Motion=Smooth", "", "[Other]", "x=1"}));
    const ProjectSettings p = readProjectFile(path);
    EXPECT_EQ(p.StageWidth, 800);
    EXPECT_EQ(p.motion, Motion::Smooth);
    const QString nowhere = tmp.file(QStringLiteral("missing/Show.kvt"));
    EXPECT_FALSE(writeMotion(nowhere, Motion::Smooth));
    EXPECT_FALSE(QFile::exists(nowhere));
}
