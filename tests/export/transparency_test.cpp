// Transparent exports keep what a viewer sees: text and shadow as opaque as they are drawn,
// whatever their colour, soft where they are soft, fading with their fades; pictures and the
// black screen transparent; the leaders opaque. And the export's frames are the show's frames.
#include <gtest/gtest.h>
#include <QImage>

#include "decoded_video.h"
#include "export/show_coverage.h"
#include "export_fixture.h"
#include "player/strip.h"

using velmora::ShowCoverage;
using velmora::StripCoverage;

namespace {

// A page of one title line: white text with a black shadow, resting at (x, y).
PageImage titlePage(int in, int out, int x, int y, int delay, int pause) {
    PageImage p;
    p.lines[0] = titleLine("Shadow", "Arial", 40, in, out, x, y, platform::clBlack);
    p.settings.fadedelay = delay;
    p.settings.PauseTime = pause;
    return p;
}

velmora::StripInput stripInput(const PageImage::Line& line) {
    velmora::StripInput in;
    in.text = line.Text;
    in.fontStyle = line.FontStyle;
    in.line = &line.attrs;
    in.stripFormat = platform::PixelFormat::Bits32;
    in.view = platform::StageView::fit(1920, 1080, 1920, 1080);
    return in;
}

// The line's strip as the show draws it.
platform::Bitmap strip(const PageImage::Line& line) {
    velmora::Strip s(platform::PixelFormat::Bits32);
    velmora::renderTitleStrip(s, stripInput(line));
    return s.picture;
}

int brightest(platform::TColor c) {
    return std::max({platform::redOf(c), platform::greenOf(c), platform::blueOf(c)});
}

// Where a strip's pixels are, by what they show.
struct StripPixels {
    std::vector<QPoint> shadow; // black, wholly covered: the shadow alone
    std::vector<QPoint> text;   // white, wholly covered
};

StripPixels classify(const platform::Bitmap& colour, const StripCoverage& coverage) {
    StripPixels p;
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 0; x < colour.width(); ++x) {
            if (coverage.at(x, y) != 255) continue;
            if (colour.pixel(x, y) == platform::clBlack) p.shadow.push_back({x, y});
            if (colour.pixel(x, y) == platform::clWhite) p.text.push_back({x, y});
        }
    return p;
}

class TransparencyTest : public ExportTest {};

} // namespace

TEST(TitleCoverage, TextAndShadowAreCoveredWhateverTheirColourSoftEdgesPartly) {
    const struct {
        const char* what;
        bool shadow, blur, gradient;
        platform::TColor text, shadowColour;
        bool dark; // some of what is drawn is dark
    } cases[] = {
        {"white on a black shadow", true, false, false, platform::clWhite, platform::clBlack, true},
        {"dark blue without shadow", false, false, false, platform::rgb(0, 0, 96), 0, true},
        {"black text", false, false, false, platform::clBlack, 0, true},
        {"smoothed", true, true, false, platform::clWhite, platform::rgb(128, 128, 128), false},
        {"a gradient", true, false, true, platform::clWhite, platform::clBlack, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PageImage p = titlePage(13, 13, 0, 0, 0, 0);
        PageImage::Line& line = p.lines[0];
        line.attrs.ShadowOn = c.shadow;
        line.attrs.BlurOn = c.blur;
        line.attrs.GradientOn = c.gradient;
        line.attrs.GradientStartColor = platform::rgb(255, 0, 0);
        line.attrs.FontColor = c.text;
        line.attrs.ShadowColor = c.shadowColour;
        const platform::Bitmap colour = strip(line);
        const StripCoverage coverage = velmora::renderTitleCoverage(stripInput(line));
        ASSERT_EQ(coverage.width, colour.width());
        ASSERT_EQ(coverage.height, colour.height());
        int covered = 0, opaque = 0, soft = 0, drawnUncovered = 0, darkCovered = 0;
        for (int y = 0; y < colour.height(); ++y)
            for (int x = 0; x < colour.width(); ++x) {
                const int a = coverage.at(x, y), bright = brightest(colour.pixel(x, y));
                covered += a > 0;
                opaque += a == 255;
                soft += a > 0 && a < 255;
                drawnUncovered += bright > 0 && a == 0;
                darkCovered += a == 255 && bright < 100;
                // Over black the colour is at most what covers it (bar the roundings of the
                // letters' edges), unless a gradient recoloured a soft edge at full strength.
                if (!c.gradient) {
                    EXPECT_LE(bright, a + 2) << x << "," << y;
                }
            }
        EXPECT_EQ(drawnUncovered, 0); // everything lit is drawn
        EXPECT_GT(opaque, 200);
        EXPECT_GT(soft, 50);             // smoothing and edges keep partial coverage
        EXPECT_EQ(coverage.at(0, 0), 0); // the strip's black margin
        // A black shadow, a dark title: covered as surely as a white text.
        if (c.dark) {
            EXPECT_GT(darkCovered, 200);
        }
        EXPECT_LT(covered, colour.width() * colour.height());
    }

    // A picture's black is its background: it keeps no coverage.
    testsupport::TempDir dir;
    PageImage p = titlePage(13, 13, 0, 0, 0, 0);
    p.lines[0].attrs.BitmapFile = writePicture(dir.file("pic.bmp"), qRgb(0, 0, 0));
    EXPECT_TRUE(velmora::renderTitleCoverage(stripInput(p.lines[0])).isEmpty());
}

TEST(ShowCoverage, CopiesBringTheirStripsCoverageClippedStretchedAndFaded) {
    StripCoverage s;
    s.width = 4;
    s.height = 2;
    s.alpha = {255, 128, 0, 64, 10, 20, 30, 40};
    using platform::CopyMode;
    const std::vector<int> untouched(6, 99);
    const struct {
        const char* what;
        platform::CopyRecord copy;
        int fadeLevel;            // -1: not a fade
        bool strip;               // the strip is known
        std::vector<int> rows[3]; // 6 x 3, starting from 99 everywhere
    } cases[] = {
        // clang-format off
        {"a plain copy", {1, 1, 4, 2, CopyMode::SrcCopy, false, 4, 2}, -1, true,
         {untouched, {99, 255, 128, 0, 64, 99}, {99, 10, 20, 30, 40, 99}}},
        {"clipped at the top left", {-2, -1, 4, 2, CopyMode::SrcCopy, false, 4, 2}, -1, true,
         {{30, 40, 99, 99, 99, 99}, untouched, untouched}},
        {"clipped at the bottom right", {4, 2, 4, 2, CopyMode::SrcCopy, false, 4, 2}, -1, true,
         {untouched, untouched, {99, 99, 99, 99, 255, 128}}},
        {"stretched twice as wide, half as high", {0, 0, 8, 1, CopyMode::SrcCopy, true, 4, 2}, -1,
         true, {{255, 255, 128, 128, 0, 0}, untouched, untouched}},
        {"a fade's frame at 16 of 32", {0, 0, 4, 2, CopyMode::SrcCopy, false, 4, 2}, 16, true,
         {{127, 64, 0, 32, 99, 99}, {5, 10, 15, 20, 99, 99}, untouched}},
        {"another raster operation: nothing covered",
         {0, 0, 4, 2, CopyMode::SrcInvert, false, 4, 2}, -1, true,
         {{0, 0, 0, 0, 99, 99}, {0, 0, 0, 0, 99, 99}, untouched}},
        {"an unknown strip: nothing covered", {0, 0, 4, 2, CopyMode::SrcCopy, false, 4, 2}, -1,
         false, {{0, 0, 0, 0, 99, 99}, {0, 0, 0, 0, 99, 99}, untouched}},
        {"a copy of another size: nothing covered", {0, 0, 3, 1, CopyMode::SrcCopy, false, 3, 1},
         -1, true, {{0, 0, 0, 99, 99, 99}, untouched, untouched}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ShowCoverage cov(6, 3);
        // 99 everywhere, from a copy of a uniform strip.
        StripCoverage fill;
        fill.width = 6;
        fill.height = 3;
        fill.alpha.assign(18, 99);
        cov.setStrip(&fill);
        cov.copied({0, 0, 6, 3, CopyMode::SrcCopy, false, 6, 3});
        cov.setStrip(c.strip ? &s : nullptr);
        if (c.fadeLevel >= 0) cov.setFadeLevel(c.fadeLevel);
        cov.copied(c.copy);
        for (int y = 0; y < 3; ++y) {
            std::vector<int> row;
            for (int x = 0; x < 6; ++x)
                row.push_back(cov.at(x, y));
            EXPECT_EQ(row, c.rows[y]) << "row " << y;
        }
        // A fade level holds for one copy only.
        cov.copied({0, 0, 4, 2, CopyMode::SrcCopy, false, 4, 2});
        if (c.strip) {
            EXPECT_EQ(cov.at(0, 0), 255);
        }
    }

    // The leaders: opaque whatever is copied or cleared, until they end.
    ShowCoverage cov(6, 3);
    cov.setOpaque(true);
    cov.setStrip(&s);
    cov.copied({0, 0, 4, 2, CopyMode::SrcCopy, false, 4, 2});
    cov.clear();
    EXPECT_EQ(cov.at(2, 0), 255);
    EXPECT_EQ(cov.at(5, 2), 255);
    cov.setOpaque(false);
    EXPECT_EQ(cov.at(5, 2), 0);
}

TEST_F(TransparencyTest, ABlackShadowStaysOpaqueAndBlackInEveryTransparentFormat) {
    // The line appears at (20, 60) after a second and stays.
    const PageImage page = titlePage(13, 13, 20, 60, 0, 1);
    const QString project = writeProject({page});
    const platform::Bitmap colour = strip(page.lines[0]);
    const StripPixels px =
        classify(colour, velmora::renderTitleCoverage(stripInput(page.lines[0])));
    ASSERT_GT(px.shadow.size(), 200u);
    ASSERT_GT(px.text.size(), 200u);
    const struct {
        VideoFormat format;
        const char* name;
        int tolerance; // of the encoder's pixels
    } cases[] = {
        {VideoFormat::Png, "frames", 0},
        {VideoFormat::Mov, "show.mov", 3},
        {VideoFormat::Webm, "show.webm", 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto o = options(project, dir.file(c.name), c.format);
        o.alpha = true;
        const velmora::ExportResult r = velmora::exportShow(o);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        QImage last;
        if (c.format == VideoFormat::Png) {
            last = pngFrame(o.output, r.run.frames - 1).convertToFormat(QImage::Format_RGBA8888);
        } else {
            const testsupport::DecodedVideo v =
                testsupport::decodeVideo(o.output, {r.run.frames - 1});
            ASSERT_EQ(v.kept.size(), 1u);
            last = v.kept[0];
        }
        ASSERT_FALSE(last.isNull());
        // How many of the shadow's and the text's pixels came out as drawn.
        auto matching = [&](const std::vector<QPoint>& where, int value) {
            int n = 0;
            for (const QPoint& p : where) {
                const QColor q = last.pixelColor(p + QPoint(20, 60));
                n += q.alpha() >= 255 - c.tolerance && std::abs(q.red() - value) <= c.tolerance &&
                     std::abs(q.green() - value) <= c.tolerance &&
                     std::abs(q.blue() - value) <= c.tolerance;
            }
            return n;
        };
        const int shadow = matching(px.shadow, 0), text = matching(px.text, 255);
        if (c.tolerance == 0) {
            EXPECT_EQ(shadow, int(px.shadow.size()));
            EXPECT_EQ(text, int(px.text.size()));
        } else {
            // Chroma halved and the encoders' losses at the letters' edges.
            EXPECT_GT(shadow, int(px.shadow.size()) * 8 / 10);
            EXPECT_GT(text, int(px.text.size()) * 8 / 10);
        }
        EXPECT_EQ(last.pixelColor(5, 5).alpha(), 0);
        EXPECT_EQ(last.pixelColor(300, 220).alpha(), 0);
    }
}

TEST_F(TransparencyTest, AFadeFadesTheCoverageAndThePictureKeepsItsBlackTransparent) {
    // Each of the fade's 33 frames lasts 2000 x 2000 iterations of 10 ns: one frame at 25 a
    // second. The page plays after a second, so frame 25 + k shows the fade's frame k.
    // The picture stands still from the start; the title fades in after it.
    PageImage fade = picturePage(13, 200, 150, 0, 1);
    fade.lines[1] = titlePage(12, 13, 20, 60, 2000, 1).lines[0];
    fade.settings.fadedelay = 2000;
    const QString project = writeProject({fade});
    const StripPixels px =
        classify(strip(fade.lines[1]), velmora::renderTitleCoverage(stripInput(fade.lines[1])));
    ASSERT_FALSE(px.shadow.empty());
    ASSERT_FALSE(px.text.empty());
    const QPoint shadow = px.shadow[px.shadow.size() / 2] + QPoint(20, 60);
    const QPoint text = px.text[px.text.size() / 2] + QPoint(20, 60);

    // The frames as the show hands them over: pixels and coverage fade alike.
    const std::optional<velmora::ShowProject> show = velmora::loadShowProject(project, nullptr);
    ASSERT_TRUE(show);
    auto o = options(project, dir.file("fade.mov"), VideoFormat::Mov);
    o.show.coverage = true;
    std::vector<int> textLevel, textCoverage, shadowCoverage;
    velmora::renderShow(*show, o.show, [&](std::int64_t, const velmora::ShowFrame& f) {
        textLevel.push_back(platform::redOf(f.pixels.pixel(text.x(), text.y())));
        textCoverage.push_back(f.coverage[text.y() * f.pixels.width() + text.x()]);
        shadowCoverage.push_back(f.coverage[shadow.y() * f.pixels.width() + shadow.x()]);
        return true;
    });
    ASSERT_GT(textLevel.size(), 60u);
    for (int k = 0; k <= 32; ++k) {
        SCOPED_TRACE(k);
        const int expected = (255 * k) >> 5;
        EXPECT_EQ(textLevel[std::size_t(25 + k)], expected);
        EXPECT_EQ(textCoverage[std::size_t(25 + k)], expected);
        EXPECT_EQ(shadowCoverage[std::size_t(25 + k)], expected);
    }

    // In the file: halfway the title is half transparent and still white; the shadow half
    // transparent and still black; the picture's black frame transparent, its orange opaque.
    o.alpha = true;
    const velmora::ExportResult r = velmora::exportShow(o);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const testsupport::DecodedVideo v = testsupport::decodeVideo(o.output, {25 + 16});
    ASSERT_EQ(v.kept.size(), 1u);
    const QImage& half = v.kept[0];
    EXPECT_NEAR(half.pixelColor(text).alpha(), 127, 2);
    EXPECT_GE(half.pixelColor(text).red(), 250);
    EXPECT_NEAR(half.pixelColor(shadow).alpha(), 127, 2);
    EXPECT_LE(half.pixelColor(shadow).red(), 4);
    EXPECT_EQ(half.pixelColor(200, 150).alpha(), 0); // the picture's black frame
    EXPECT_EQ(half.pixelColor(201, 151).alpha(), 255);
    EXPECT_TRUE(orangeAt(half, 210, 160) || half.pixelColor(210, 160).red() > 240);
}

TEST_F(TransparencyTest, TheTimelineAloneIsTheTimelineOfTheFramesRendered) {
    PageImage fade = titlePage(12, 5, 20, 60, 300, 1);
    const QString project = writeProject({fade, picturePage(3, 150, 120, 3000, 1)}, true, true, 1);
    const std::optional<velmora::ShowProject> show = velmora::loadShowProject(project, nullptr);
    ASSERT_TRUE(show);
    velmora::ShowRenderOptions o = options(project, {}, VideoFormat::Png).show;
    const velmora::ShowRun alone = velmora::renderShow(*show, o, {});
    std::int64_t handed = 0;
    const velmora::ShowRun rendered =
        velmora::renderShow(*show, o, [&](std::int64_t, const velmora::ShowFrame&) {
            ++handed;
            return true;
        });
    EXPECT_EQ(alone.frames, rendered.frames);
    EXPECT_EQ(handed, rendered.frames);
    EXPECT_EQ(alone.duration, rendered.duration);
    ASSERT_EQ(alone.events.size(), rendered.events.size());
    for (std::size_t i = 0; i < alone.events.size(); ++i) {
        EXPECT_EQ(alone.events[i].kind, rendered.events[i].kind) << i;
        EXPECT_EQ(alone.events[i].time, rendered.events[i].time) << i;
        EXPECT_EQ(alone.events[i].line, rendered.events[i].line) << i;
    }
}

TEST_F(TransparencyTest, EveryFileHoldsEveryFrameTheShowRenderedWithAlphaAndSoundAsAsked) {
    // A picture moving in diagonally and a title fading in, then both moving out: every frame
    // changes somewhere else. The picture's line plays a wave.
    PageImage page = picturePage(3, 150, 120, 2000, 1);
    page.lines[0].attrs.OutDirection = 6;
    writeWave(dir.file("tone.wav"), 22050, 0.5);
    page.lines[0].attrs.WaveFile = "tone.wav"; // beside the project
    PageImage title = titlePage(12, 8, 20, 60, 600, 0);
    title.lines[0].attrs.ShadowColor = platform::rgb(0, 0, 200);
    page.lines[1] = title.lines[0];
    const QString project = writeProject({page});
    const velmora::ExportResult shown =
        velmora::exportShow(options(project, dir.file("shown"), VideoFormat::Png));
    ASSERT_TRUE(shown.ok) << shown.error.toStdString();
    const std::int64_t frames = shown.run.frames;
    std::vector<std::int64_t> all(static_cast<std::size_t>(frames));
    for (std::int64_t k = 0; k < frames; ++k)
        all[std::size_t(k)] = k;
    const struct {
        VideoFormat format;
        const char* name;
        bool alpha;
        const char* codec;
        const char* audio;
    } cases[] = {{VideoFormat::Mp4, "show.mp4", false, "h264", "aac"},
                 {VideoFormat::Mov, "show.mov", false, "prores", "pcm_s16le"},
                 {VideoFormat::Mov, "alpha.mov", true, "prores", "pcm_s16le"},
                 {VideoFormat::Webm, "show.webm", false, "libvpx-vp9", "opus"},
                 {VideoFormat::Webm, "alpha.webm", true, "libvpx-vp9", "opus"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto o = options(project, dir.file(c.name), c.format);
        o.alpha = c.alpha;
        const velmora::ExportResult r = velmora::exportShow(o);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        const testsupport::DecodedVideo v = testsupport::decodeVideo(o.output, all);
        ASSERT_TRUE(v.ok);
        EXPECT_EQ(r.run.frames, frames);
        EXPECT_EQ(v.frames, frames);
        EXPECT_NEAR(v.duration, double(frames) / 25, 0.05);
        EXPECT_EQ(v.videoCodec.toStdString(), c.codec);
        EXPECT_EQ(v.alpha, c.alpha);
        EXPECT_TRUE(v.hasAudio);
        EXPECT_EQ(v.audioCodec.toStdString(), c.audio);
        EXPECT_EQ(v.audioRate, 48000);
        // The wave starts as its line starts moving in, after the page's pause of 1 s.
        ASSERT_EQ(r.run.waves.size(), 1u);
        EXPECT_EQ(r.run.waves[0].start, 1000000000);
        EXPECT_NEAR(v.firstSound, 1.0, 1024.0 / 48000);
        ASSERT_EQ(std::int64_t(v.kept.size()), frames);
        for (std::int64_t k = 0; k < frames; ++k) {
            const QImage want =
                pngFrame(dir.file("shown"), k).convertToFormat(QImage::Format_RGBA8888);
            const QImage& got = v.kept[std::size_t(k)];
            ASSERT_EQ(got.size(), want.size());
            // The brightness seen over black, as the screen shows it (halved chroma blurs the
            // colours of sharp edges; the brightness keeps every pixel).
            auto luma = [](const std::uint8_t* p, int alpha) {
                return (299 * p[0] + 587 * p[1] + 114 * p[2]) * alpha / 255 / 1000;
            };
            int off = 0;
            for (int y = 0; y < got.height(); ++y) {
                const std::uint8_t* g = got.constScanLine(y);
                const std::uint8_t* w = want.constScanLine(y);
                for (int x = 0; x < got.width() * 4; x += 4)
                    off += std::abs(luma(g + x, g[x + 3]) - luma(w + x, 255)) > 40;
            }
            // The encoders' losses at sharp edges, never a part of the screen left behind.
            EXPECT_LT(off, got.width() * got.height() / 200) << "frame " << k;
        }
    }

    // Without a wave there is no sound track.
    const QString silent = writeProject({picturePage(5, 100, 100, 200, 1)});
    ASSERT_TRUE(velmora::exportShow(options(silent, dir.file("silent.mp4"), VideoFormat::Mp4)).ok);
    EXPECT_FALSE(testsupport::decodeVideo(dir.file("silent.mp4")).hasAudio);
}
