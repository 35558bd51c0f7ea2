// velmora-render's --motion: the two motions it takes, what it refuses, and its place in --help.
#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>

#include "test_support.h"
#include "tools/demo_project.h"

namespace {

struct Ran {
    int code = -1;
    QString out, err;
};

Ran render(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(VELMORA_RENDER, args);
    Ran r;
    if (!p.waitForFinished(60000)) return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

TEST(RenderMotionOption, TakesSmoothOrSteppedAndRefusesAnythingElse) {
    testsupport::TempDir dir;
    ASSERT_TRUE(velmora::demo::writeDemo(dir.path() + "/"));
    const QString project = dir.file("demo.kvt");
    const QStringList timeline = {"--timeline", project, "--size", "160x120", "--pages", "0-0"};
    const auto motion = [&](const QString& m) { return timeline + QStringList{"--motion", m}; };
    const struct {
        QStringList args;
        int code;
        const char* firstLine; // of the error output
    } cases[] = {
        {motion("smooth"), 0, ""},
        {motion("stepped"), 0, ""},
        {motion("fast"), 1, "velmora-render: --motion fast: smooth or stepped"},
        {motion("Smooth"), 1, "velmora-render: --motion Smooth: smooth or stepped"},
        {motion(""), 1, "velmora-render: --motion : smooth or stepped"},
        {motion("smooth,stepped"), 1, "velmora-render: --motion smooth,stepped: smooth or stepped"},
        {timeline + QStringList{"--motion"}, 1, "velmora-render: --motion needs a value"},
        // A render refused for its motion writes nothing.
        {{project, "-o", dir.file("x.mp4"), "--motion", "step"}, 1,
         "velmora-render: --motion step: smooth or stepped"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Ran r = render(c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_EQ(r.err.section('\n', 0, 0), QString::fromUtf8(c.firstLine));
        if (c.code == 0) {
            EXPECT_TRUE(r.out.contains("Page 000")) << r.out.toStdString();
        } else {
            EXPECT_TRUE(r.out.isEmpty());
            EXPECT_TRUE(r.err.contains("usage: velmora-render")); // as every refused option
        }
    }
    EXPECT_FALSE(QFile::exists(dir.file("x.mp4")));
}

TEST(RenderMotionOption, HelpNamesIt) {
    const Ran r = render({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("usage: velmora-render"));
    EXPECT_TRUE(r.out.contains("[--motion smooth|stepped]"));
    EXPECT_TRUE(r.out.contains("The lines move as --motion says, else as the project's Motion"));
    EXPECT_TRUE(r.err.isEmpty());
}
