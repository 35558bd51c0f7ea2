#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "platform/Canvas.h"
#include "platform/StageView.h"

using velmora::platform::Bitmap;
using velmora::platform::Canvas;
using velmora::platform::PixelFormat;
using velmora::platform::StageView;

TEST(StageView, FitsTheStageUniformlyAndCentresIt) {
    const struct {
        int sw, sh, ow, oh;
        QRect area;
        double scale;
    } cases[] = {
        {1920, 1080, 1920, 1080, {0, 0, 1920, 1080}, 1.0},    // the same size: nothing moves
        {1920, 1080, 640, 360, {0, 0, 640, 360}, 1.0 / 3},    // smaller, same shape
        {1920, 1080, 3840, 2160, {0, 0, 3840, 2160}, 2.0},    // a HiDPI screen
        {800, 600, 1920, 1080, {240, 0, 1440, 1080}, 1.8},    // 4:3 on 16:9: bars left and right
        {1920, 1080, 1280, 1024, {0, 152, 1280, 720}, 2.0 / 3}, // 16:9 on 5:4: bars above, below
        {801, 601, 1600, 1200, {0, 0, 1599, 1200}, 1200.0 / 601}, // the height is tighter
        {0, 0, 640, 480, {0, 0, 640, 480}, 1.0},              // no stage: the output itself
    };
    for (const auto& c : cases) {
        const StageView v = StageView::fit(c.sw, c.sh, c.ow, c.oh);
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " on " << c.ow << "x" << c.oh);
        EXPECT_EQ(v.area(), c.area);
        EXPECT_NEAR(v.scale(), c.scale, 1e-9);
        // The area never leaves the output.
        EXPECT_TRUE(QRect(0, 0, c.ow, c.oh).contains(v.area()));
    }
    EXPECT_TRUE(StageView::fit(1920, 1080, 1920, 1080).isIdentity());
}

TEST(StageView, MapsRoundHalfUpAndBackToTheNearestStagePixel) {
    const StageView third = StageView::fit(1920, 1080, 640, 360);
    EXPECT_EQ(third.x(0), 0);
    EXPECT_EQ(third.x(1), 0);  // 1/3
    EXPECT_EQ(third.x(2), 1);  // 2/3
    EXPECT_EQ(third.x(-2), -1); // the same rounding left of the stage
    EXPECT_EQ(third.x(1919), 640);
    EXPECT_EQ(third.length(5), 2);
    const StageView bars = StageView::fit(800, 600, 1920, 1080); // 1.8, from x 240
    EXPECT_EQ(bars.map({0, 0}), QPoint(240, 0));
    EXPECT_EQ(bars.map({799, 599}), QPoint(240 + 1438, 1078));
    EXPECT_EQ(bars.toStage({240, 0}), QPoint(0, 0));
    EXPECT_EQ(bars.toStage({239, 0}).x(), -1); // the black margin lies off the stage
    // Every stage pixel comes back from where it lands.
    for (int x = -5; x < 805; ++x)
        EXPECT_EQ(bars.toStage(bars.map({x, x % 600})), QPoint(x, x % 600)) << x;
    // Moving one stage pixel moves at most the scale rounded up, never backwards.
    for (int x = 0; x < 1920; ++x) {
        const int step = third.x(x + 1) - third.x(x);
        EXPECT_TRUE(step == 0 || step == 1) << x;
    }
}

TEST(CanvasView, CopiesAndFillsLandScaledAndStayInsideTheStage) {
    Bitmap out(1920, 1080, PixelFormat::Bits32);
    Canvas canvas(out);
    canvas.setView(StageView::fit(800, 600, 1920, 1080)); // 1.8 from x 240
    EXPECT_EQ(canvas.stageWidth(), 800);
    EXPECT_EQ(canvas.stageHeight(), 600);

    // A picture made at the view's scale, standing half off the stage's right edge.
    Bitmap strip(180, 18, PixelFormat::Bits32);
    strip.fill(0xFFFFFF);
    canvas.draw(750, 100, strip); // lands at 240 + 1350 = 1590, y 180
    EXPECT_EQ(out.pixel(1590, 180) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(out.pixel(1679, 197) & 0xFFFFFF, 0xFFFFFFu); // the stage's last column
    EXPECT_EQ(out.pixel(1680, 180) & 0xFFFFFF, 0u);        // the right margin stays black
    EXPECT_EQ(out.pixel(1589, 180) & 0xFFFFFF, 0u);

    canvas.brush.color = 0x0000FF;
    canvas.fillRect(-10, -10, 10, 10); // clipped to the stage's corner
    EXPECT_EQ(out.pixel(240, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(out.pixel(257, 17) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(out.pixel(258, 18) & 0xFFFFFF, 0u);
    EXPECT_EQ(out.pixel(239, 0) & 0xFFFFFF, 0u);
}

TEST(CanvasView, TextIsDrawnAtTheScaledSizeAndMeasuredInStagePixels) {
    Bitmap plain(400, 100, PixelFormat::Bits32), twice(800, 200, PixelFormat::Bits32);
    Canvas a(plain), b(twice);
    b.setView(StageView::fit(400, 100, 800, 200));
    for (Canvas* c : {&a, &b}) {
        c->font.name = QStringLiteral("DejaVu Sans");
        c->font.size = 30;
        c->font.color = 0xFFFFFF;
        c->brush.color = 0;
    }
    EXPECT_EQ(a.textWidth(QStringLiteral("Titles")), b.textWidth(QStringLiteral("Titles")));
    a.textOut(10, 10, QStringLiteral("Titles"));
    b.textOut(10, 10, QStringLiteral("Titles"));
    // The ink covers four times the pixels, and the text has more than two shades of edge: it
    // was rasterised at the larger size, not enlarged.
    auto ink = [](const Bitmap& bm, int* shades) {
        long sum = 0;
        std::vector<bool> seen(256);
        for (int y = 0; y < bm.height(); ++y)
            for (int x = 0; x < bm.width(); ++x) {
                const unsigned v = bm.pixel(x, y) & 0xFF;
                sum += v;
                seen[v] = true;
            }
        *shades = int(std::count(seen.begin(), seen.end(), true));
        return sum;
    };
    int shadesA = 0, shadesB = 0;
    const long inkA = ink(plain, &shadesA), inkB = ink(twice, &shadesB);
    EXPECT_NEAR(double(inkB) / double(inkA), 4.0, 0.4);
    // Enlarged twice, the pixel pairs of every row would be equal.
    int unequalPairs = 0;
    for (int y = 0; y < twice.height(); ++y)
        for (int x = 0; x + 1 < twice.width(); x += 2)
            unequalPairs += twice.pixel(x, y) != twice.pixel(x + 1, y);
    EXPECT_GT(unequalPairs, 50);
}
