// What a smooth show's frames look like, measured from the frames themselves: every moving frame
// the line advances by the same amount, keeps its ink and its sharp edges, at every frame rate
// and on a scaled stage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "export/show_render.h"
#include "export_fixture.h"
#include "test_support.h"

using velmora::FrameRate;
using velmora::PageImage;
using velmora::ShowEvent;
using velmora::ShowFrame;
using velmora::ShowProject;
using velmora::ShowRenderOptions;

namespace {

constexpr int StageW = 400, StageH = 300, RestX = 150, RestY = 120;

ShowProject blockProject(int in, int fadedelay, velmora::Motion motion = velmora::Motion::Smooth) {
    ShowProject p;
    p.settings.StageWidth = StageW;
    p.settings.StageHeight = StageH;
    p.settings.motion = motion;
    PageImage page;
    // White blocks without a shadow: the ink is the line's alone.
    page.lines[0] = titleLine(QStringLiteral("\u2588\u2588\u2588\u2588"), "DejaVu Sans", 24, in, 13,
                              RestX, RestY, 0);
    page.lines[0].attrs.ShadowOn = false;
    page.settings.fadedelay = fadedelay;
    page.settings.PauseTime = 0;
    p.pageNames = {QStringLiteral("000")};
    p.pages = {page};
    return p;
}

// One frame as measured: its ink (the green channel: the line is white), the ink's centre, and
// how many pixels deep its edges are soft along each axis.
struct Measured {
    std::int64_t time = 0;
    double ink = 0, cx = 0, cy = 0;
    QRect box;
    int softX = 0, softY = 0;
    platform::Bitmap pixels;
};

// How soft a profile's softer edge is: its samples between a tenth and nine tenths of the
// highest, on either side of the highest.
int softSamples(const std::vector<double>& profile) {
    const auto peak = std::max_element(profile.begin(), profile.end());
    const double top = *peak;
    int before = 0, after = 0;
    for (auto v = profile.begin(); v != profile.end(); ++v)
        (v < peak ? before : after) += *v > top * 0.1 && *v < top * 0.9;
    return std::max(before, after);
}

Measured measure(const platform::Bitmap& f, bool keep) {
    Measured m;
    std::vector<double> px(std::size_t(f.width()), 0), py(std::size_t(f.height()), 0);
    for (int y = 0; y < f.height(); ++y) {
        const std::uint8_t* row = f.scanLine(y);
        for (int x = 0; x < f.width(); ++x) {
            const double v = row[x * 4 + 1];
            if (v == 0) continue;
            m.ink += v;
            m.cx += v * x;
            m.cy += v * y;
            px[std::size_t(x)] += v;
            py[std::size_t(y)] += v;
            m.box |= QRect(x, y, 1, 1);
        }
    }
    if (m.ink > 0) {
        m.cx /= m.ink;
        m.cy /= m.ink;
        m.softX = softSamples(px);
        m.softY = softSamples(py);
    }
    if (keep) m.pixels = f;
    return m;
}

struct Moved {
    std::vector<Measured> frames;
    std::int64_t moveIn = 0, moveInEnd = 0;
    velmora::ShowRun run;
};

Moved renderMove(const ShowProject& project, FrameRate rate, double scale, bool keep = false) {
    ShowRenderOptions o;
    o.width = int(std::lround(StageW * scale));
    o.height = int(std::lround(StageH * scale));
    o.rate = rate;
    o.leaders = false;
    Moved m;
    m.run = velmora::renderShow(project, o, [&](std::int64_t k, const ShowFrame& f) {
        m.frames.push_back(measure(f.pixels, keep));
        m.frames.back().time = rate.frameTime(k);
        return true;
    });
    for (const ShowEvent& e : m.run.events) {
        if (e.kind == ShowEvent::MoveIn) m.moveIn = e.time;
        if (e.kind == ShowEvent::MoveInEnd) m.moveInEnd = e.time;
    }
    return m;
}

// Codes 1 to 8 at 200 pixels a second, at the usual frame rates, at scale 1 and on a stage
// scaled 2.25 times: between two frames that both show the whole line on its way, its centre
// moves by the speed over the frame rate (within a tenth of a pixel) along the axes it moves on
// and not at all along the other; it keeps its ink within 1% and its edges are at most a pixel
// softer than at rest.
TEST(SmoothExport, EveryMoveAdvancesEvenlyAtEveryFrameRateAndScale) {
    const FrameRate rates[] = {{24, 1}, {25, 1}, {30, 1}, {50, 1}, {60000, 1001}, {60, 1}};
    const struct {
        int code, dx, dy;
    } codes[] = {{1, 1, 1}, {2, -1, -1}, {3, 1, -1}, {4, -1, 1},
                 {5, 1, 0}, {6, -1, 0},  {7, 0, 1},  {8, 0, -1}};
    for (double scale : {1.0, 2.25})
        for (const auto& c : codes)
            for (const FrameRate& rate : rates) {
                if (scale != 1.0 && rate.num % 25 != 0 && c.code % 3 != 0) continue;
                SCOPED_TRACE(testing::Message() << "code " << c.code << " at " << rate.perSecond()
                                                << " fps, scale " << scale);
                const Moved m = renderMove(blockProject(c.code, 5000), rate, scale);
                const Measured& still = m.frames.back();
                ASSERT_GT(still.ink, 0);
                const double step = 200.0 * scale / rate.perSecond();
                const int w = int(std::lround(StageW * scale)), h = int(std::lround(StageH * scale));
                auto whole = [&](const Measured& f) {
                    return f.ink > 0 && f.box.left() > 0 && f.box.top() > 0 &&
                           f.box.right() < w - 1 && f.box.bottom() < h - 1 &&
                           std::abs(f.cy - still.cy) + std::abs(f.cx - still.cx) > 0.01;
                };
                int pairs = 0;
                for (std::size_t k = 0; k + 1 < m.frames.size(); ++k) {
                    const Measured &a = m.frames[k], &b = m.frames[k + 1];
                    if (!whole(a) || !whole(b)) continue;
                    ++pairs;
                    ASSERT_NEAR(b.cx - a.cx, c.dx * step, 0.1) << "frame " << k;
                    ASSERT_NEAR(b.cy - a.cy, c.dy * step, 0.1) << "frame " << k;
                    ASSERT_NEAR(b.ink, still.ink, still.ink * 0.01) << "frame " << k;
                    ASSERT_LE(b.softX, still.softX + 1) << "frame " << k;
                    ASSERT_LE(b.softY, still.softY + 1) << "frame " << k;
                }
                EXPECT_GT(pairs, 5);
            }
}

// At 4 pixels a frame (200 pixels a second at 50 frames a second) nothing is resampled: each
// moving frame is the frame at rest shifted by a whole number of pixels, byte for byte.
TEST(SmoothExport, AtWholePixelsAFrameEachFrameIsTheStillLineShifted) {
    for (int code : {1, 4, 5, 8}) {
        SCOPED_TRACE(code);
        const Moved m = renderMove(blockProject(code, 5000), {50, 1}, 1.0, true);
        const Measured& still = m.frames.back();
        const QRect around = still.box.adjusted(-3, -3, 3, 3);
        int compared = 0;
        for (const Measured& f : m.frames) {
            const int dx = int(std::lround(f.cx - still.cx)), dy = int(std::lround(f.cy - still.cy));
            const QRect moved = around.translated(dx, dy);
            if (f.ink == 0 || !QRect(0, 0, StageW, StageH).contains(moved)) continue;
            ASSERT_NEAR(f.cx - still.cx, dx, 0.01) << "a moving frame stands between pixels";
            for (int y = 0; y < around.height(); ++y)
                ASSERT_EQ(0, std::memcmp(f.pixels.scanLine(moved.top() + y) + moved.left() * 4,
                                         still.pixels.scanLine(around.top() + y) + around.left() * 4,
                                         std::size_t(around.width()) * 4))
                    << "shifted by " << dx << "," << dy << " row " << y;
            ++compared;
        }
        EXPECT_GT(compared, 10);
    }
}

// A fade of two seconds at 60 frames a second shows a new strength on each of its frames.
TEST(SmoothExport, AFadeOfTwoSecondsRisesOnEveryFrame) {
    // 33 frames of 2462 squared iterations: 2.0003 seconds.
    const Moved m = renderMove(blockProject(12, 2462), {60, 1}, 1.0, true);
    std::vector<int> strength;
    for (const Measured& f : m.frames)
        if (f.time >= m.moveIn && f.time < m.moveInEnd) {
            int top = 0;
            for (int y = f.box.top(); f.ink > 0 && y <= f.box.bottom(); ++y)
                for (int x = f.box.left(); x <= f.box.right(); ++x)
                    top = std::max<int>(top, f.pixels.scanLine(y)[x * 4 + 1]);
            strength.push_back(top);
        }
    ASSERT_GE(strength.size(), 120u);
    for (std::size_t k = 1; k < strength.size(); ++k)
        ASSERT_GT(strength[k], strength[k - 1]) << "frame " << k;
}

// A smooth show lasts as long as the stepped one, within a frame a move, whatever the moves.
TEST(SmoothExport, TheShowLastsAsLongAsTheSteppedOne) {
    for (int code = 1; code <= 13; ++code) {
        SCOPED_TRACE(code);
        ShowProject smooth = blockProject(code, 300);
        auto& lines = smooth.pages[0].lines;
        lines[0].attrs.OutDirection = code % 13 + 1;
        lines[1] = lines[0];
        lines[1].attrs.InDirection = (code + 4) % 13 + 1;
        lines[1].attrs.OutDirection = (code + 8) % 13 + 1;
        lines[1].PosY = 40;
        for (auto* l : {&lines[0], &lines[1]})
            if (l->attrs.InDirection == 11 || l->attrs.OutDirection == 11) {
                velmora::Path path;
                path.LastIndex = 30;
                for (int i = 0; i < 30; ++i)
                    path.Points[std::size_t(i)] = {std::uint16_t(10 + 5 * i), std::uint16_t(20 + i)};
                l->InPath = l->OutPath = path;
            }
        ShowProject stepped = smooth;
        stepped.settings.motion = velmora::Motion::Stepped;
        ShowRenderOptions o;
        o.rate = {30, 1};
        const velmora::ShowRun a = velmora::renderShow(smooth, o, {});
        const velmora::ShowRun b = velmora::renderShow(stepped, o, {});
        EXPECT_NEAR(double(a.frames), double(b.frames), 4);
        EXPECT_EQ(a.events.size(), b.events.size());
    }
}

} // namespace

namespace {

// A transparent export of a smooth move: the coverage moves with the line, keeping its amount,
// its centre on the ink's.
TEST(SmoothExport, TheCoverageMovesWithTheLine) {
    ShowRenderOptions o;
    o.width = StageW;
    o.height = StageH;
    o.rate = {60, 1};
    o.leaders = false;
    o.coverage = true;
    struct Seen {
        double covered = 0, cx = 0, inkX = 0;
    };
    std::vector<Seen> seen;
    velmora::renderShow(blockProject(5, 5000), o, [&](std::int64_t, const ShowFrame& f) {
        const Measured m = measure(f.pixels, false);
        Seen s;
        for (int y = 0; y < StageH; ++y)
            for (int x = 0; x < StageW; ++x) {
                const double a = f.coverage[std::size_t(y) * StageW + x];
                s.covered += a;
                s.cx += a * x;
            }
        s.cx = s.covered > 0 ? s.cx / s.covered : 0;
        s.inkX = m.cx;
        if (m.box.left() > 0 && m.box.right() < StageW - 1) seen.push_back(s);
        return true;
    });
    ASSERT_GT(seen.size(), 20u);
    const Seen& still = seen.back();
    ASSERT_GT(still.covered, 0);
    for (const Seen& s : seen) {
        EXPECT_NEAR(s.covered, still.covered, still.covered * 0.01);
        EXPECT_NEAR(s.cx, s.inkX, 0.1);
    }
}

} // namespace
