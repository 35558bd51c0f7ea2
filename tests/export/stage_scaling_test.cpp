// One show at every size: a project's stage drawn scaled to the frame and centred, lasting the
// same number of frames whatever the frame's size.
#include <gtest/gtest.h>
#include <map>
#include <QImage>

#include "export/show_render.h"
#include "export_fixture.h"
#include "test_support.h"

using velmora::PageImage;
using velmora::ShowFrame;
using velmora::ShowProject;
using velmora::ShowRenderOptions;

namespace {

PageImage::Line title(const QString& text, int size, int in, int out, int x, int y) {
    return titleLine(text, "DejaVu Sans", size, in, out, x, y, 0x0000C0);
}

// A stage of 400 x 300 with lines moving straight, diagonally, stretching and fading.
ShowProject stagedProject(bool leaders) {
    ShowProject p;
    p.settings.StageWidth = 400;
    p.settings.StageHeight = 300;
    p.settings.UseColorBars = leaders;
    p.settings.UseCountDown = false;
    p.settings.Holdtime = 1;
    PageImage page;
    page.lines[0] = title(QStringLiteral("Velmora"), 28, 1, 6, 40, 30);
    page.lines[1] = title(QStringLiteral("stage"), 20, 9, 12, 150, 150);
    page.lines[2] = title(QStringLiteral("size"), 16, 12, 3, 250, 220);
    page.settings.fadedelay = 1;
    page.settings.PauseTime = 1;
    p.pageNames = {QStringLiteral("000")};
    p.pages = {page};
    return p;
}

struct Rendered {
    std::int64_t frames = 0;
    std::map<std::int64_t, QImage> kept; // the frames asked for, or all brought to `keepSize`
};

ShowRenderOptions showOptions(int w, int h) {
    ShowRenderOptions o;
    o.width = w;
    o.height = h;
    o.rate = {30, 1};
    return o;
}

Rendered render(const ShowProject& project, int w, int h, const std::vector<std::int64_t>& keep,
                QSize keepSize = {}) {
    Rendered r;
    const velmora::ShowRun run = velmora::renderShow(
        project, showOptions(w, h), [&](std::int64_t k, const ShowFrame& f) {
            if (keepSize.isValid())
                r.kept[k] = f.pixels.toQImage().scaled(keepSize, Qt::IgnoreAspectRatio,
                                                       Qt::SmoothTransformation);
            else if (std::find(keep.begin(), keep.end(), k) != keep.end())
                r.kept[k] = f.pixels.toQImage().copy();
            return true;
        });
    r.frames = run.frames;
    return r;
}

// The mean of |a - b| over the pixels' red, green and blue.
double meanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

// The box around every pixel brighter than mid-grey.
QRect inkBox(const QImage& img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) > 128) box |= QRect(x, y, 1, 1);
    return box;
}

long brightness(const QImage& img, const QRect& r) {
    long sum = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            sum += qRed(img.pixel(x, y)) + qGreen(img.pixel(x, y)) + qBlue(img.pixel(x, y));
    return sum;
}

} // namespace

TEST(StageScaling, AShowLastsTheSameAndLooksTheSameAtEverySize) {
    const ShowProject project = stagedProject(false);
    const QSize stage(400, 300);
    const Rendered at1 = render(project, 400, 300, {}, stage);
    const Rendered half = render(project, 200, 150, {}, stage);
    const Rendered twice = render(project, 800, 600, {}, stage);
    ASSERT_GT(at1.frames, 60);
    EXPECT_EQ(half.frames, at1.frames);
    EXPECT_EQ(twice.frames, at1.frames);
    QImage black(stage, QImage::Format_RGB32);
    black.fill(Qt::black);
    int titled = 0;
    for (const auto& [k, ref] : at1.kept) {
        SCOPED_TRACE(k);
        const double ink = meanDifference(black, ref);
        if (ink < 0.5) continue;
        ++titled;

        // The same picture, scaled: brought to one size, they differ at the edges of the glyphs
        // only, by far less than the titles themselves.
        EXPECT_LT(meanDifference(twice.kept.at(k), ref), ink / 3);
        // At half the size the smallest glyphs take other shapes, but every title stands where
        // it stands on the stage.
        const QRect a = inkBox(ref), b = inkBox(half.kept.at(k));
        EXPECT_NEAR(a.left(), b.left(), 3);
        EXPECT_NEAR(a.top(), b.top(), 3);
        EXPECT_NEAR(a.right(), b.right(), 3);
        EXPECT_NEAR(a.bottom(), b.bottom(), 3);
    }
    EXPECT_GT(titled, 20);
}

TEST(StageScaling, AStageOfAnotherShapeIsCentredBetweenBlackMargins) {
    const ShowProject project = stagedProject(true);
    // 400 x 300 on 1280 x 720: scaled 2.4 to 960 x 720, from x 160.
    // One second of the page's pause, one of colour bars, one of black, then the titles.
    std::vector<std::int64_t> keep{45};
    for (std::int64_t k = 90; k < 200; k += 5)
        keep.push_back(k);
    const Rendered wide = render(project, 1280, 720, keep);
    const Rendered at1 = render(project, 400, 300, {45});
    EXPECT_EQ(wide.frames, at1.frames);
    // Frame 45 shows the colour bars: the stage's area is filled, the margins stay black.
    const QImage& bars = wide.kept.at(45);
    EXPECT_EQ(brightness(bars, QRect(0, 0, 160, 720)), 0);
    EXPECT_EQ(brightness(bars, QRect(1120, 0, 160, 720)), 0);
    EXPECT_EQ(bars.pixel(161, 10), qRgb(255, 255, 255)); // the first bar, white
    EXPECT_EQ(bars.pixel(1100, 10) & 0xFFFFFF, at1.kept.at(45).pixel(394, 4) & 0xFFFFFF);
    // Titles moving in from outside the stage never show in the margins.
    int titled = 0;
    for (const auto& [k, f] : wide.kept) {
        if (k == 45) continue;
        EXPECT_EQ(brightness(f, QRect(0, 0, 160, 720)), 0) << k;
        EXPECT_EQ(brightness(f, QRect(1120, 0, 160, 720)), 0) << k;
        titled += brightness(f, QRect(160, 0, 960, 720)) > 0;
    }
    EXPECT_GT(titled, 3);
}

TEST(StageScaling, TheDefaultFrameIsTheStageAtScale1MadeEvenOrFittedInto8K) {
    ShowProject project = stagedProject(false);
    project.settings.StageWidth = project.settings.StageHeight = 0;
    const platform::StageView v = velmora::stageOnFrame(project, 640, 360);
    EXPECT_TRUE(v.isIdentity());
    EXPECT_EQ(v.stageWidth, 640);
    const struct {
        int stageW, stageH, frameW, frameH;
        bool scale1; // the stage at scale 1 from the corner
    } cases[] = {
        {0, 0, 1920, 1080, true}, // no stage
        // One side given: the other is the usual frame's.
        {800, 0, 800, 1080, true},
        {0, 601, 1920, 602, true},
        {1920, 1080, 1920, 1080, true},
        // An odd side gains a black column or row; the stage keeps its pixels.
        {801, 601, 802, 602, true},
        {801, 600, 802, 600, true},
        {17, 9, 18, 10, true},
        {7680, 4320, 7680, 4320, true},
        // Larger than the encoders take: fitted at the stage's shape, the sides even.
        {9000, 5000, 7680, 4266, false},
        {16384, 16384, 4320, 4320, false},
        {7681, 100, 7680, 98, false},
        {100, 9001, 46, 4320, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stageW << "x" << c.stageH);
        project.settings.StageWidth = c.stageW;
        project.settings.StageHeight = c.stageH;
        ShowRenderOptions o;
        velmora::resolveFrameSize(o, project);
        EXPECT_EQ(QSize(o.width, o.height), QSize(c.frameW, c.frameH));
        const platform::StageView view = velmora::stageOnFrame(project, o.width, o.height);
        EXPECT_EQ(view.num == view.den && view.left == 0 && view.top == 0, c.scale1);
        EXPECT_EQ(QSize(view.stageWidth, view.stageHeight),
                  QSize(c.stageW ? c.stageW : 1920, c.stageH ? c.stageH : 1080));
        if (c.stageW) {
            EXPECT_LE(view.area().right(), o.width - 1);
            EXPECT_LE(view.area().bottom(), o.height - 1);
        }
    }
}

TEST(StageScaling, AnOddStageIsDrawnPixelForPixelWithABlackEdge) {
    ShowProject project = stagedProject(false);
    project.settings.StageWidth = 401;
    project.settings.StageHeight = 301;
    const Rendered padded = render(project, 402, 302, {}, QSize(402, 302));
    const Rendered exact = render(project, 401, 301, {}, QSize(401, 301));
    ASSERT_EQ(padded.frames, exact.frames);
    int titled = 0;
    for (const auto& [k, img] : padded.kept) {
        SCOPED_TRACE(k);
        EXPECT_EQ(brightness(img, QRect(401, 0, 1, 302)), 0);
        EXPECT_EQ(brightness(img, QRect(0, 301, 402, 1)), 0);
        EXPECT_EQ(img.copy(0, 0, 401, 301), exact.kept.at(k));
        titled += brightness(img, img.rect()) > 0;
    }
    EXPECT_GT(titled, 20);
}

TEST(StageScaling, ATransparentExportKeepsTheMarginsTransparent) {
    // The colour bars too cover the stage alone.
    const ShowProject project = stagedProject(true);
    ShowRenderOptions o = showOptions(1280, 720); // the stage from x 160 to 1120
    o.coverage = true;
    long inMargins = 0, onStage = 0;
    velmora::renderShow(project, o, [&](std::int64_t, const ShowFrame& f) {
        for (int y = 0; y < 720; y += 4)
            for (int x = 0; x < 1280; ++x) {
                const int a = f.coverage[std::size_t(y) * 1280 + x];
                (x < 160 || x >= 1120 ? inMargins : onStage) += a;
            }
        return true;
    });
    // Titles moving in from beyond the stage's edges are clipped there, and so is what they
    // cover.
    EXPECT_EQ(inMargins, 0);
    EXPECT_GT(onStage, 0);
}

// A smoothed line moving diagonally, drawn smaller and larger than its stage: every copy of the
// move covers what the one before left, so once it rests nothing of the way it came remains.
TEST(StageScaling, AMoveLeavesNoTrailAtAnyScale) {
    ShowProject project = stagedProject(false);
    PageImage& page = project.pages[0];
    page.lines[1] = page.lines[2] = PageImage::Line{};
    page.lines[0] = title(QStringLiteral("Trail"), 30, 3, 13, 200, 100); // in from bottom left
    page.lines[0].attrs.BlurOn = true;
    page.lines[0].attrs.ShadowOn = false;
    for (const QSize out : {QSize(240, 180), QSize(280, 210), QSize(480, 360), QSize(1000, 750)}) {
        SCOPED_TRACE(testing::Message() << out.width() << "x" << out.height());
        const platform::StageView v = velmora::stageOnFrame(project, out.width(), out.height());
        QImage last;
        std::int64_t lastTitled = -1;
        velmora::renderShow(project, showOptions(out.width(), out.height()), [&](std::int64_t k, const ShowFrame& f) {
            const QImage img = f.pixels.toQImage();
            if (brightness(img, img.rect()) > 0) {
                last = img.copy();
                lastTitled = k;
            }
            return true;
        });
        ASSERT_GE(lastTitled, 0);
        // The line at rest: everything lit lies inside its strip, the box from its resting
        // place, at most its size (the text's extent plus margins) away.
        const QRect ink = inkBox(last);
        const QPoint rest = v.map({200, 100});
        long outside = 0;
        for (int y = 0; y < last.height(); ++y)
            for (int x = 0; x < last.width(); ++x)
                if ((x < rest.x() || y < rest.y()) && qGray(last.pixel(x, y)) > 0) ++outside;
        EXPECT_EQ(outside, 0) << "ink from " << ink.x() << "," << ink.y();
    }
}
