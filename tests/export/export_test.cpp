// Rendering shows to files: the render's clock, the frames against the step arithmetic, the
// leaders, the containers read back, and every failure leaving no file.
#include <array>
#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "decoded_video.h"
#include "export/exporter.h"
#include "export/show_coverage.h"
#include "export_fixture.h"
#include "model/page_file.h"
#include "model/project_file.h"
#include "platform/IniFile.h"
#include "test_support.h"

using velmora::ExportOptions;
using velmora::FrameRate;
using velmora::PageImage;
using velmora::RenderClock;
using velmora::VideoFormat;

TEST(RenderClock, FramesComeAtTheirTimesWithEveryStepUpToThemApplied) {
    std::vector<std::int64_t> seen;
    RenderClock c({25, 1}, [&](std::int64_t k) { seen.push_back(k); });
    c.advance(39999999); // [0, 40 ms): frame 0 only
    EXPECT_EQ(seen, (std::vector<std::int64_t>{0}));
    c.advance(1); // frame 1 stands at exactly 40 ms: it waits for the step made then
    EXPECT_EQ(seen.size(), 1u);
    c.advance(120000000); // [40, 160 ms): frames 1, 2, 3
    EXPECT_EQ(seen, (std::vector<std::int64_t>{0, 1, 2, 3}));
    c.spin(100); // a delay unit: one microsecond
    EXPECT_EQ(c.now(), 160001000);
    EXPECT_EQ(c.tickCount(), 160u);
    c.finish();
    EXPECT_EQ(seen.back(), 5); // the end (160.001 ms) is shown in frame 5, at 200 ms

    const FrameRate ntsc{30000, 1001};
    EXPECT_EQ(ntsc.frameTime(1), 33366666);
    EXPECT_EQ(ntsc.frameTime(30000), 1001000000000);
    EXPECT_EQ(ntsc.framesBefore(33366666), 1);
    EXPECT_EQ(ntsc.framesBefore(33366667), 2);
    EXPECT_EQ(ntsc.framesBefore(0), 0);
}

// The decimals of the 1000/1001 rates stand for them; other decimals are exact.
TEST(FrameRateNamed, WholeFractionalAndDecimalRatesFrom1To240FramesASecond) {
    const struct {
        const char* text;
        std::int64_t num, den;
    } rates[] = {
        // clang-format off
        {"10", 10, 1}, {"1", 1, 1}, {"240", 240, 1}, {"25", 25, 1}, {"30000/1001", 30000, 1001},
        {"60000/1001", 60000, 1001}, {"50/2", 25, 1}, {"480/2", 240, 1}, {"29.97", 30000, 1001},
        {"59.94", 60000, 1001}, {"23.976", 24000, 1001}, {"23.98", 24000, 1001},
        {"29.970", 30000, 1001}, {"119.88", 120000, 1001}, {"25.5", 51, 2}, {"12.5", 25, 2},
        {"30.0", 30, 1}, {"240.000", 240, 1},
        // clang-format on
    };
    for (const auto& c : rates) {
        const std::optional<FrameRate> r = velmora::frameRateNamed(QString::fromUtf8(c.text));
        ASSERT_TRUE(r.has_value()) << c.text;
        EXPECT_EQ(r->num, c.num) << c.text;
        EXPECT_EQ(r->den, c.den) << c.text;
    }
    // The last: Arabic-Indic digits, not the command line's.
    for (const char* refused :
         {"0",           "241", "-5",    "1/0", "0/1001",  "1/2",          "241/1",
          "240.5",       "0.5", "0.999", "abc", "",        "10 ",          "+10",
          "1e2",         "10/", ".5",    "25.", "25.1234", "30000/1001/2", "99999999999999999999",
          "\u0661\u0660"})
        EXPECT_FALSE(velmora::frameRateNamed(QString::fromUtf8(refused)).has_value()) << refused;
}

TEST(StraightRgba, AlphaIsTheCoverageButAtLeastTheBrightestChannelAndTheColourIsDividedByIt) {
    const struct {
        const char* what;
        platform::TColor pixel;
        int coverage; // -1: no coverage kept
        std::array<std::uint8_t, 4> rgba;
    } cases[] = {
        // Without coverage black is transparent: the alpha is the brightest channel.
        {"black", platform::rgb(0, 0, 0), -1, {0, 0, 0, 0}},
        {"orange", platform::rgb(255, 128, 0), -1, {255, 128, 0, 255}},
        {"a soft edge at a quarter", platform::rgb(64, 32, 16), -1, {255, 128, 64, 64}},
        {"nearly black", platform::rgb(1, 0, 1), -1, {255, 0, 255, 1}},
        // With it, what is drawn is as opaque as it covers, whatever its colour.
        {"a black shadow", platform::rgb(0, 0, 0), 255, {0, 0, 0, 255}},
        {"a shadow's soft edge", platform::rgb(0, 0, 0), 100, {0, 0, 0, 100}},
        {"a dark blue title", platform::rgb(0, 0, 96), 255, {0, 0, 96, 255}},
        {"white text's soft edge", platform::rgb(128, 128, 128), 128, {255, 255, 255, 128}},
        {"text half over its black shadow",
         platform::rgb(100, 100, 100),
         255,
         {100, 100, 100, 255}},
        {"nothing drawn", platform::rgb(0, 0, 0), 0, {0, 0, 0, 0}},
        // Brighter than its coverage (a gradient recoloured the edge): as opaque as bright.
        {"a recoloured edge", platform::rgb(200, 100, 50), 60, {255, 128, 64, 200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::Bitmap b(3, 2, platform::PixelFormat::Bits32);
        b.setPixel(1, 1, c.pixel);
        std::vector<std::uint8_t> coverage(6, 0);
        coverage[4] = std::uint8_t(std::max(0, c.coverage));
        std::array<std::uint8_t, 8> out{};
        // Only the pixel's own rectangle is written, at the start of the output.
        velmora::straightRgba(b, c.coverage < 0 ? nullptr : coverage.data(), QRect(1, 1, 2, 1),
                              out.data(), 8);
        EXPECT_EQ((std::array<std::uint8_t, 4>{out[0], out[1], out[2], out[3]}), c.rgba);
        EXPECT_EQ((std::array<std::uint8_t, 4>{out[4], out[5], out[6], out[7]}),
                  (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    }
}

TEST_F(ExportTest, EachFrameShowsTheStepsUpToItsTimeAndARenderIsByteIdentical) {
    // Code 3 from the bottom-left: one pixel right and up a step, every step 3000 units (3 ms).
    const int x = 150, y = 120, delay = 3000;
    const QString project = writeProject({picturePage(3, x, y, delay, 0)});
    const QString out = dir.file("frames");
    const velmora::ExportResult r = velmora::exportShow(options(project, out, VideoFormat::Png));
    ASSERT_TRUE(r.ok) << r.error.toStdString();

    // The move: steps i = 0 .. x + w at x = -w + i, y = y + x + w - i, step i made at i * 3 ms.
    const int steps = x + PicW + 1;
    const std::int64_t stepNanos = std::int64_t(delay) * 1000;
    // The frames before the end of the show, and one more that shows it.
    const std::int64_t end = steps * stepNanos;
    ASSERT_EQ(r.run.frames, (end + 40000000 - 1) / 40000000 + 1);
    const QStringList files = QDir(out).entryList({"*.png"}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), r.run.frames);
    EXPECT_EQ(files.first(), "000001.png");
    for (std::int64_t k = 0; k < r.run.frames; ++k) {
        const std::int64_t t = k * 40000000;
        const int i = int(std::min<std::int64_t>(t / stepNanos, steps - 1));
        const int left = -PicW + i, top = y + x + PicW - i;
        const QImage img(QDir(out).filePath(files[int(k)]));
        // The newest copy's top-right inner pixel, and nothing beyond it to the right and above.
        SCOPED_TRACE(k);
        if (QRect(0, 0, 320, 240).contains(left + PicW - 2, top + 1)) {
            EXPECT_TRUE(orangeAt(img, left + PicW - 2, top + 1));
        }
        EXPECT_FALSE(orangeAt(img, left + PicW - 1, top + 1));
        EXPECT_FALSE(orangeAt(img, left + PicW - 2, top));
    }
    const QImage last(QDir(out).filePath(files.last()));
    EXPECT_TRUE(orangeAt(last, x + 1, y + 1)); // at rest
    EXPECT_TRUE(orangeAt(last, x + PicW - 2, y + PicH - 2));

    const QString again = dir.file("again");
    ASSERT_TRUE(velmora::exportShow(options(project, again, VideoFormat::Png)).ok);
    for (const QString& f : files)
        ASSERT_EQ(readFile(QDir(out).filePath(f)), readFile(QDir(again).filePath(f))) << f.toStdString();
}

// A transparent export: the leaders are opaque, the page after them is not.
TEST_F(ExportTest, TheColourBarsAndTheCountDownComeAtTheirTimesOpaqueEvenWhenTransparent) {
    const QString project = writeProject({picturePage(13, 10, 10, 0, 0)}, true, true, 2);
    auto o = options(project, dir.file("leaders"), VideoFormat::Png);
    o.show.rate = {5, 1};
    o.alpha = true;
    const velmora::ExportResult r = velmora::exportShow(o);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    auto frame = [&](double seconds) { return pngFrame(o.output, int(seconds * 5)); };
    auto count = [](const QImage& img, QRect r, auto is) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += is(img.pixelColor(x, y));
        return n;
    };
    auto whiteIn = [&](const QImage& img, QRect r) {
        return count(img, r, [](QColor c) { return c.rgba() == qRgb(255, 255, 255); });
    };
    auto opaque = [&](const QImage& img) {
        return count(img, img.rect(), [](QColor c) { return c.alpha() != 255; }) == 0;
    };
    // The bars from the start for the colour bar time, then a black second, then the numbers;
    // the bars' dark boxes and black band, the black second, the numbers on black all opaque.
    const QImage bars = frame(1.8), cleared = frame(2.4), ten = frame(3.4), one = frame(12.8);
    ASSERT_FALSE(bars.isNull());
    EXPECT_EQ(bars.pixel(20, 120), qRgb(255, 255, 255));
    EXPECT_EQ(bars.pixel(180, 120), qRgb(255, 0, 255));
    EXPECT_EQ(bars.pixelColor(290, 10).alpha(), 255); // a box of dark red (128, 0, 0)
    EXPECT_EQ(whiteIn(cleared, QRect(0, 0, 320, 240)), 0);
    EXPECT_GT(whiteIn(ten, QRect(100, 60, 120, 120)), 200);
    EXPECT_EQ(whiteIn(frame(2.8), QRect(0, 0, 320, 240)), 0);
    EXPECT_GT(whiteIn(one, QRect(100, 60, 120, 120)), 100);
    for (const QImage& leader : {bars, cleared, ten, one})
        EXPECT_TRUE(opaque(leader));
    // The page's picture comes after both: 2 s of bars, 1 s of black, ten numbers of a second,
    // then two seconds more; the black around it transparent.
    const std::vector<velmora::ShowEvent>& ev = r.run.events;
    auto in = std::find_if(ev.begin(), ev.end(),
                           [](const auto& e) { return e.kind == velmora::ShowEvent::MoveIn; });
    ASSERT_NE(in, ev.end());
    EXPECT_EQ(in->time, 15000000000);
    EXPECT_FALSE(orangeAt(frame(double(in->time) / 1e9 - 0.2), 11, 11));
    const QImage page = frame(double(in->time) / 1e9); // its frame, the last
    EXPECT_EQ(in->time / 200000000 + 1, r.run.frames);
    EXPECT_TRUE(orangeAt(page, 11, 11));
    EXPECT_EQ(page.pixelColor(200, 200).alpha(), 0);
}

TEST_F(ExportTest, FailuresNameTheirCauseAndLeaveNoFile) {
    const QString project = writeProject({picturePage(5, 10, 10, 100, 0)});
    const QStringList mine = {"show.kvt", "SHOW.000", "pic.bmp"};
    auto fails = [&](ExportOptions o, const QString& cause) {
        const velmora::ExportResult r = velmora::exportShow(o);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(cause)) << r.error.toStdString();
        EXPECT_FALSE(r.error.contains('\n'));
        EXPECT_EQ(leftovers(mine), QStringList()) << r.error.toStdString();
    };
    fails(options(dir.file("none.kvt"), dir.file("a.mp4"), VideoFormat::Mp4), "no project file");
    fails(options(project, dir.file("missing/a.mp4"), VideoFormat::Mp4), "no folder");
    auto alpha = options(project, dir.file("a.mp4"), VideoFormat::Mp4);
    alpha.alpha = true;
    fails(alpha, "transparency");

    // A page that cannot be read.
    const QByteArray good = readFile(dir.file("SHOW.000"));
    writeFile(dir.file("SHOW.000"), "short");
    fails(options(project, dir.file("a.mp4"), VideoFormat::Mp4), "SHOW.000");
    writeFile(dir.file("SHOW.000"), good);

    // A wave that is not there.
    PageImage withWave = picturePage(5, 10, 10, 100, 0);
    withWave.lines[0].attrs.WaveFile = "missing.wav";
    const QString waveProject = writeProject({withWave});
    fails(options(waveProject, dir.file("a.mp4"), VideoFormat::Mp4), "missing.wav");
    writeProject({picturePage(5, 10, 10, 100, 0)});

    // Cancelled half way: the earlier file of that name is kept as it was.
    writeFile(dir.file("a.mp4"), "earlier");
    const QString longer = writeProject({picturePage(5, 10, 10, 100, 2)});
    std::atomic<bool> cancel{false};
    const velmora::ExportResult r = velmora::exportShow(
        options(longer, dir.file("a.mp4"), VideoFormat::Mp4),
        [&](std::int64_t frame, std::int64_t) {
            if (frame == 5) cancel = true;
        },
        &cancel);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(leftovers(mine), QStringList({"a.mp4"}));
    EXPECT_EQ(readFile(dir.file("a.mp4")), "earlier");
}

TEST_F(ExportTest, TheCommandLineTellsWhatWentWrongAndPrintsTheTimeline) {
    const QString project = writeProject({picturePage(5, 10, 10, 100, 2)});
    // The files a render must not write over, and a project whose second page is a pipe
    // (reading it would wait for a writer forever).
    QFile(dir.file("target.mp4")).open(QIODevice::WriteOnly);
    QFile::link(dir.file("target.mp4"), dir.file("link.mp4"));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.file("pipe.mp4")).constData(), 0600), 0);
    QDir(dir.path()).mkdir("folder.mp4");
    if (geteuid() == 0) {
        ASSERT_EQ(mknod(QFile::encodeName(dir.file("device.mp4")).constData(), S_IFCHR | 0600,
                        makedev(1, 3)),
                  0);
    }
    velmora::writeProjectFile(dir.file("pipe.kvt"), "Velmora-32", "1.30", "pipe.kvt",
                              "2026-12-07 10:00:00", "001", false, false, 10, 32, 0);
    const QByteArray kept = readFile(project);
    QFile::copy(dir.file("SHOW.000"), dir.file("PIPE.000"));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.file("PIPE.001")).constData(), 0600), 0);
    const QString fifoProject = dir.file("pipe.kvt");
    const struct {
        QStringList args;
        const char* message;
    } bad[] = {
        {{project, "-o", dir.file("x.avi")}, "cannot tell the format"},
        {{project, "-o", dir.file("x"), "--format", "gif"}, "unknown format gif"},
        {{project, "-o", dir.file("x.mp4"), "--alpha"}, "transparency"},
        {{project, "-o", dir.file("x.mp4"), "--fps", "241"}, "--fps 241: a rate from 1 to 240"},
        {{project, "-o", dir.file("x.mp4"), "--fps", "1/0"}, "--fps 1/0: a rate from 1 to 240"},
        {{project, "-o", dir.file("x.mp4"), "--size", "0x0"}, "--size 0x0"},
        {{dir.file("no.kvt"), "-o", dir.file("x.mp4")}, "no project file"},
        {{project}, "no output"},
        {{project, "-o", dir.file("x.mp4"), "--manual-hold", "nan"}, "--manual-hold nan"},
        {{project, "-o", dir.file("x.mp4"), "--manual-hold", "inf"}, "--manual-hold inf"},
        {{project, "-o", dir.file("x.mp4"), "--manual-hold", "-1"}, "--manual-hold -1"},
        {{project, "-o", dir.file("x.mp4"), "--size", "321x240"}, "even"},
        // Nothing the user keeps is written over.
        {{project, "-o", project, "--format", "mp4"}, "is a project file"},
        {{project, "-o", dir.file("show.KVT"), "--format", "mov"}, "is a project file"},
        {{project, "-o", dir.file("SHOW.000"), "--format", "mp4"}, "is a page of the project"},
        {{project, "-o", dir.file("show.007"), "--format", "png"}, "is a page of the project"},
        {{project, "-o", dir.file("link.mp4")}, "it is a link"},
        {{project, "-o", dir.file("pipe.mp4")}, "it is a pipe"},
        {{project, "-o", dir.file("folder.mp4")}, "it is a folder"},
        {{project, "-o", dir.file("device.mp4")}, "it is a device"},
        {{fifoProject, "-o", dir.file("x.mp4")}, "PIPE.001 is not a regular file"},
    };
    for (const auto& b : bad) {
        if (QString(b.message) == "it is a device" && geteuid() != 0) continue;
        const RenderRun r = runRender(b.args);
        EXPECT_EQ(r.code, 1) << b.message;
        EXPECT_TRUE(r.err.startsWith("velmora-render: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.section('\n', 0, 0).contains(b.message)) << r.err.toStdString();
    }
    const QStringList special = {"link.mp4",   "pipe.mp4", "folder.mp4", "device.mp4",
                                 "target.mp4", "pipe.kvt", "PIPE.000",   "PIPE.001"};
    EXPECT_EQ(leftovers(QStringList{"show.kvt", "SHOW.000", "pic.bmp"} + special), QStringList());
    EXPECT_EQ(QFileInfo(dir.file("link.mp4")).symLinkTarget(), dir.file("target.mp4"));
    EXPECT_EQ(QFile(dir.file("target.mp4")).size(), 0);
    EXPECT_EQ(readFile(project), kept);

    const RenderRun shown = runRender({"--timeline", project, "--size", "320x240"});
    const QString& timeline = shown.out;
    EXPECT_EQ(shown.code, 0) << shown.err.toStdString();
    // The page waits 2 s, its line moves in from the left edge to x = 10 (51 steps of 100
    // units), holds 2 s and leaves at once; then the page's 2 s again.
    EXPECT_TRUE(timeline.contains("Page 000  starts 0.000 s  plays from 2.000 s  hold 2.000 s"))
        << timeline.toStdString();
    EXPECT_TRUE(timeline.contains("line 1  moves in at 2.000 s for 0.005 s"))
        << timeline.toStdString();
    EXPECT_TRUE(timeline.contains("Total 6.005 s: 182 frames at 30 frames a second"))
        << timeline.toStdString();

    // A stage value that cannot be used is said once; the usable side is kept.
    platform::IniFile ini(project);
    ASSERT_TRUE(ini.writeString("VelmoraProject", "StageWidth", "abc"));
    ASSERT_TRUE(ini.writeInteger("VelmoraProject", "StageHeight", 300));
    const RenderRun staged = runRender({"--timeline", project});
    const QString& warned = staged.err;
    EXPECT_EQ(staged.code, 0);
    EXPECT_EQ(warned.count("StageWidth=abc"), 1) << warned.toStdString();
    EXPECT_TRUE(warned.startsWith("velmora-render: warning: ") &&
                warned.contains("laid out on 1920 x 300."))
        << warned.toStdString();
}

TEST_F(ExportTest, TheCommandLineRendersAtTheRateItIsGiven) {
    // The page waits 2 s, its line moves in for 5 ms, holds 2 s, and the page waits 2 s again.
    const QString project = writeProject({picturePage(5, 10, 10, 100, 2)});
    const struct {
        const char* fps;
        const char* file;
        double perSecond;
    } cases[] = {{"10", "ten.mp4", 10}, {"30000/1001", "ntsc.mov", 30000.0 / 1001}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fps);
        const RenderRun run = runRender(
            {project, "-o", dir.file(c.file), "--size", "320x240", "--fps", c.fps, "--quiet"});
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        const testsupport::DecodedVideo v = testsupport::decodeVideo(dir.file(c.file));
        ASSERT_TRUE(v.ok) << v.error.toStdString();
        EXPECT_NEAR(v.fps, c.perSecond, 1e-6);
        EXPECT_NEAR(double(v.frames), 6.005 * c.perSecond, 2);
        EXPECT_NEAR(v.duration, double(v.frames) / c.perSecond, 0.05);
    }
}

namespace {

// The top-level atoms of an mp4 or mov file, in order.
QStringList topLevelAtoms(const QString& file) {
    QFile f(file);
    QStringList atoms;
    if (!f.open(QIODevice::ReadOnly)) return atoms;
    for (qint64 at = 0; at + 8 <= f.size();) {
        f.seek(at);
        const QByteArray head = f.read(16);
        quint64 size = 0;
        for (int i = 0; i < 4; ++i)
            size = size << 8 | quint8(head[i]);
        if (size == 1)
            for (int i = 8; i < 16; ++i)
                size = size << 8 | quint8(head[i]);
        atoms << QString::fromLatin1(head.mid(4, 4));
        if (size < 8) break;
        at += qint64(size);
    }
    return atoms;
}

} // namespace

TEST_F(ExportTest, TheVideosShowTheColourBarsAsThePicturesDoInAPlayerWithTheIndexFirst) {
    const QString project = writeProject({picturePage(13, 10, 10, 0, 0)}, true, false, 2);
    const struct {
        int w, h;
        const char* primaries;
        const char* matrix;
    } sizes[] = {{1280, 720, "bt709", "bt709"}, {720, 576, "bt470bg", "bt470bg"}};
    const struct {
        VideoFormat format;
        const char* suffix;
        bool alpha;
    } formats[] = {{VideoFormat::Mp4, ".mp4", false},
                   {VideoFormat::Mov, ".mov", true},
                   {VideoFormat::Webm, ".webm", true}};
    for (const auto& size : sizes) {
        auto o = options(project, dir.file(QStringLiteral("bars%1").arg(size.h)), VideoFormat::Png);
        o.show.width = size.w;
        o.show.height = size.h;
        o.show.rate = {5, 1};
        ASSERT_TRUE(velmora::exportShow(o).ok);
        const QImage png(QDir(o.output).filePath("000006.png")); // at 1 s: the bars
        ASSERT_FALSE(png.isNull());
        for (const auto& f : formats) {
            SCOPED_TRACE(testing::Message() << size.h << f.suffix);
            auto v = o;
            v.output = o.output + f.suffix;
            v.format = f.format;
            v.alpha = f.alpha;
            const velmora::ExportResult r = velmora::exportShow(v);
            ASSERT_TRUE(r.ok) << r.error.toStdString();
            const testsupport::DecodedVideo d = testsupport::decodeVideo(v.output, {5});
            ASSERT_EQ(d.kept.size(), 1u);
            EXPECT_EQ(d.colourPrimaries.toStdString(), size.primaries);
            EXPECT_EQ(d.colourTransfer.toStdString(), "bt709");
            EXPECT_EQ(d.colourMatrix.toStdString(), size.matrix);
            EXPECT_EQ(d.colourRange.toStdString(), "tv");
            // Every bar, away from its edges, within a step or two of the picture.
            int compared = 0;
            for (int x = 8; x < size.w - 8; x += 8) {
                const int y = size.h / 4;
                const QRgb p = png.pixel(x, y);
                if (png.pixel(x - 6, y) != p || png.pixel(x + 6, y) != p) continue;
                const QColor c = d.kept[0].pixelColor(x, y);
                EXPECT_NEAR(c.red(), qRed(p), 6) << x;
                EXPECT_NEAR(c.green(), qGreen(p), 6) << x;
                EXPECT_NEAR(c.blue(), qBlue(p), 6) << x;
                ++compared;
            }
            EXPECT_GT(compared, size.w / 16);
            if (f.format == VideoFormat::Webm) continue;
            // The index before the pictures, and the colours in the sample description.
            const QStringList atoms = topLevelAtoms(v.output);
            ASSERT_TRUE(atoms.contains("moov") && atoms.contains("mdat"))
                << atoms.join(' ').toStdString();
            EXPECT_LT(atoms.indexOf("moov"), atoms.indexOf("mdat"))
                << atoms.join(' ').toStdString();
            EXPECT_TRUE(readFile(v.output).contains("colr"));
        }
    }
}

TEST_F(ExportTest, AWriteThatFailsAtAnyStageEndsInOneLineAndKeepsTheEarlierFile) {
    const QString project = writeProject({picturePage(5, 10, 10, 100, 1)});
    const QStringList mine = {"show.kvt", "SHOW.000", "pic.bmp", "a.mp4", "a.mov"};
    auto sizeOf = [&](VideoFormat f, const char* name) {
        const velmora::ExportResult r = velmora::exportShow(options(project, dir.file(name), f));
        EXPECT_TRUE(r.ok) << r.error.toStdString();
        return QFileInfo(dir.file(name)).size();
    };
    const qint64 mp4 = sizeOf(VideoFormat::Mp4, "a.mp4"), mov = sizeOf(VideoFormat::Mov, "a.mov");
    ASSERT_GT(mp4, 4096);
    ASSERT_GT(mov, 4096);
    const struct {
        const char* what;
        VideoFormat format;
        const char* name;
        qint64 limit;
    } cases[] = {
        {"the header", VideoFormat::Mp4, "a.mp4", 0},
        {"the header", VideoFormat::Mov, "a.mov", 10},
        {"a frame", VideoFormat::Mp4, "a.mp4", mp4 / 3},
        {"a frame", VideoFormat::Mov, "a.mov", mov / 3},
        // The index moved to the front rewrites the file.
        {"the index", VideoFormat::Mp4, "a.mp4", mp4 + 16},
        {"the index", VideoFormat::Mov, "a.mov", mov - 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << " " << c.name);
        for (const char* f : {"a.mp4", "a.mov"})
            writeFile(dir.file(f), "earlier");
        auto o = options(project, dir.file(c.name), c.format);
        o.writeLimit = c.limit;
        const velmora::ExportResult r = velmora::exportShow(o);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.cancelled);
        EXPECT_EQ(
            r.error.toStdString(),
            QStringLiteral("cannot write %1: No space left on device").arg(o.output).toStdString());
        EXPECT_EQ(leftovers(mine), QStringList());
        EXPECT_EQ(readFile(o.output), "earlier");
    }

    // The finished file cannot take the output's name: a folder came there meanwhile.
    QFile::remove(dir.file("a.mp4"));
    const velmora::ExportResult r = velmora::exportShow(
        options(project, dir.file("a.mp4"), VideoFormat::Mp4), [&](std::int64_t k, std::int64_t n) {
            if (k == n) QDir(dir.path()).mkpath("a.mp4/inside");
        });
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.startsWith("cannot write " + dir.file("a.mp4") + ": "))
        << r.error.toStdString();
    EXPECT_EQ(leftovers(mine), QStringList());
}

TEST_F(ExportTest, AFullDiskEndsTheCommandLineInOneLineWithNothingLeft) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small disk takes root";
    const QString project = writeProject({picturePage(5, 10, 10, 100, 2)});
    const QString full = dir.file("full");
    QDir().mkpath(full);
    ASSERT_EQ(QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8k", "tmpfs", full}), 0);
    struct Unmount {
        QString at;
        ~Unmount() { QProcess::execute("umount", {at}); }
    } unmount{full};
    for (const char* name : {"out.mp4", "out.mov"}) {
        SCOPED_TRACE(name);
        const RenderRun r =
            runRender({project, "-o", full + "/" + name, "--size", "1280x720", "--quiet"});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err,
                  QStringLiteral("velmora-render: cannot write %1/%2: No space left on device\n")
                      .arg(full, name));
        EXPECT_EQ(QDir(full).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList());
    }
}

TEST_F(ExportTest, PartialFilesOfRendersNoLongerRunningAreRemovedAtTheNextRender) {
    const QString project = writeProject({picturePage(5, 10, 10, 100, 0)});
    // A process id beyond any the system gives: no such render is running.
    const struct {
        const char* name;
        bool stays;
    } partials[] = {{".a.mp4.partial-99999999", false},
                    {".a.mp4.partial-1", true},          // a process that is running
                    {".b.mp4.partial-99999999", true},   // another output's
                    {".a.mp4.partial-x", true},          // not a render's
                    {".a.mp4.partial-99999998", false}}; // a sequence's folder
    for (const auto& p : partials) {
        if (QString(p.name).endsWith("98")) {
            QDir().mkpath(dir.file(QString(p.name) + "/inside"));
        } else {
            writeFile(dir.file(p.name), {});
        }
    }
    ASSERT_TRUE(velmora::exportShow(options(project, dir.file("a.mp4"), VideoFormat::Mp4)).ok);
    for (const auto& p : partials)
        EXPECT_EQ(QFileInfo::exists(dir.file(p.name)), p.stays) << p.name;
}

TEST_F(ExportTest, WhatTheShowLeavesOutIsNamedOnceAndTheCommandLineEndsWith2) {
    PageImage page = picturePage(5, 10, 10, 100, 0);
    page.lines[1].attrs.BitmapFile = "gone.bmp";
    page.lines[2].Text = "A title far too large to draw on this stage";
    page.lines[2].attrs.FontName = "DejaVu Sans";
    page.lines[2].attrs.FontSize = 400;
    page.lines[2].attrs.InDirection = 13;
    page.lines[2].attrs.OutDirection = 13;
    const QString project =
        writeProject({page, picturePage(5, 10, 10, 100, 0), picturePage(5, 10, 10, 100, 0),
                      picturePage(5, 10, 10, 100, 0)});
    QFile::remove(dir.file("SHOW.001"));
    const velmora::ExportResult r =
        velmora::exportShow(options(project, dir.file("frames"), VideoFormat::Png));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const QStringList left(r.run.omitted.begin(), r.run.omitted.end());
    ASSERT_EQ(left.size(), 3) << left.join('|').toStdString();
    EXPECT_TRUE(left[0].contains("line 2: no picture " + dir.file("gone.bmp")))
        << left[0].toStdString();
    EXPECT_TRUE(left[1].contains("SHOW.001") && left[1].contains("pages 002, 003"))
        << left[1].toStdString();
    EXPECT_TRUE(left[2].contains("too large")) << left[2].toStdString();

    const RenderRun again =
        runRender({project, "-o", dir.file("again"), "--size", "320x240", "--quiet"});
    EXPECT_EQ(again.code, 2);
    const QStringList lines = again.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[i], "velmora-render: left out: " + left[i]);
}

TEST_F(ExportTest, TheCommandLineStopsCleanlyOnEverySignalThatEndsIt) {
    const QString project = writeProject({picturePage(5, 10, 10, 100, 30)});
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.setReadChannel(QProcess::StandardError);
        // The first line, after the first frame, says the render has begun.
        p.start(VELMORA_RENDER, {project, "-o", dir.file("long.mov"), "--size", "1920x1080"});
        ASSERT_TRUE(p.waitForReadyRead(30000));
        EXPECT_TRUE(QString::fromUtf8(p.readLine()).startsWith("velmora-render: rendering"));
        ::kill(pid_t(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_TRUE(p.readAllStandardError().contains("interrupted"));
        EXPECT_EQ(leftovers({"show.kvt", "SHOW.000", "pic.bmp"}), QStringList());
    }
}
