#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <set>

#include "model/page_file.h"
#include "model/project_file.h"
#include "test_support.h"
#include "tools/demo_project.h"

using testsupport::readFile;

// The demo project shipped in examples/demo is exactly what the generator writes; its project
// file names the stage the pages were laid out for, so the demo looks the same on every screen.
TEST(DemoProject, TheShippedDemoIsWhatTheGeneratorWrites) {
    testsupport::TempDir dir;
    const QString fresh = dir.path() + "/";
    ASSERT_TRUE(velmora::demo::writeDemo(fresh));
    const QString shipped = QStringLiteral(VELMORA_SOURCE_DIR "/examples/demo/");
    const auto pages = velmora::demo::demoPages();
    ASSERT_EQ(pages.size(), 6u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QString name = QString("DEMO.%1").arg(i, 3, 10, QChar('0'));
        const QByteArray made = readFile(fresh + name);
        ASSERT_EQ(made.size(), velmora::PageRecordSize) << name.toStdString();
        EXPECT_EQ(made, readFile(shipped + name)) << name.toStdString() << " is out of date";
    }
    EXPECT_EQ(readFile(fresh + "demo.kvt"), readFile(shipped + "demo.kvt")) << "demo.kvt is out of date";
    const velmora::ProjectSettings p = velmora::readProjectFile(shipped + "demo.kvt");
    EXPECT_EQ(p.ProjectName, "demo.kvt");
    EXPECT_EQ(p.StageWidth, 800);
    EXPECT_EQ(p.StageHeight, 600);
    EXPECT_TRUE(p.UseColorBars);
    EXPECT_TRUE(p.UseCountDown);
    EXPECT_EQ(p.NumberOPages, "005");
    EXPECT_EQ(p.motion, velmora::Motion::Smooth); // as a new project's
    EXPECT_TRUE(readFile(shipped + "demo.kvt").contains("\nMotion=Smooth\n"));
    EXPECT_TRUE(QFile::exists(shipped + "demo_logo.bmp"));

    // The demo shows off what the titler does: every kind of movement and effect is used.
    std::set<int> codes;
    bool shadow = false, blur = false, gradient = false, bitmap = false, manual = false;
    for (const auto& pg : pages) {
        manual = manual || pg.settings.mpause;
        for (const auto& l : pg.lines) {
            if (l.Text.isEmpty() && l.attrs.BitmapFile.isEmpty()) continue;
            codes.insert(l.attrs.InDirection);
            codes.insert(l.attrs.OutDirection);
            shadow = shadow || l.attrs.ShadowOn;
            blur = blur || l.attrs.BlurOn;
            gradient = gradient || l.attrs.GradientOn;
            bitmap = bitmap || !l.attrs.BitmapFile.isEmpty();
        }
    }
    for (int c : {1, 3, 5, 6, 7, 8, 9, 10, 12, 13})
        EXPECT_TRUE(codes.count(c)) << c;
    EXPECT_TRUE(shadow && blur && gradient && bitmap && manual);
}

// The demo writer takes one folder; an option is never taken for a folder to write into.
TEST(DemoProject, TheCommandLineTakesOneFolderAndNoOptionAsAFolder) {
    const struct {
        QStringList args;
        const char* folder;
        int status;
        bool usage;
    } cases[] = {
        {{"out"}, "out", 0, false},
        {{"./--help"}, "./--help", 0, false},
        {{"--help"}, "", 0, true},
        {{"-h"}, "", 0, true},
        {{"--version"}, "", 2, true},
        {{}, "", 2, true},
        {{"a", "b"}, "", 2, true},
        {{""}, "", 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const velmora::demo::DemoCommand got = velmora::demo::demoCommand(c.args);
        EXPECT_EQ(got.folder, QString::fromUtf8(c.folder));
        EXPECT_EQ(got.status, c.status);
        EXPECT_EQ(got.usage.startsWith("usage: velmora_make_demo FOLDER"), c.usage);
    }
}
