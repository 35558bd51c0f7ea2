#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <random>
#include <tuple>
#include <vector>

#include "platform/Canvas.h"

namespace {

using platform::Bitmap;
using platform::Canvas;
using platform::CopyMode;
using platform::CopyRecord;
using platform::PixelFormat;
using platform::TColor;

using ByteOp = std::function<std::uint8_t(std::uint8_t s, std::uint8_t d, std::uint8_t p)>;

// The raster operations by their boolean definitions, byte by byte.
const std::vector<std::pair<CopyMode, ByteOp>>& definitions() {
    static const std::vector<std::pair<CopyMode, ByteOp>> ops = {
        {CopyMode::SrcCopy, [](auto s, auto, auto) { return s; }},
        {CopyMode::NotSrcCopy, [](auto s, auto, auto) { return std::uint8_t(~s); }},
        {CopyMode::NotSrcErase, [](auto s, auto d, auto) { return std::uint8_t(~(s | d)); }},
        {CopyMode::PatPaint, [](auto s, auto d, auto p) { return std::uint8_t(p | ~s | d); }},
        {CopyMode::SrcErase, [](auto s, auto d, auto) { return std::uint8_t(s & ~d); }},
        {CopyMode::SrcInvert, [](auto s, auto d, auto) { return std::uint8_t(s ^ d); }},
        {CopyMode::SrcPaint, [](auto s, auto d, auto) { return std::uint8_t(s | d); }},
        {CopyMode::Blackness, [](auto, auto, auto) { return std::uint8_t(0); }},
    };
    return ops;
}

Bitmap randomBitmap(int w, int h, PixelFormat f, unsigned seed) {
    Bitmap b(w, h, f);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, rng() & 0xFFFFFF);
    return b;
}

TColor combine(const ByteOp& op, TColor s, TColor d, TColor p) {
    using namespace platform;
    return rgb(op(redOf(s), redOf(d), redOf(p)), op(greenOf(s), greenOf(d), greenOf(p)),
               op(blueOf(s), blueOf(d), blueOf(p)));
}

bool fourthBytesClear(const Bitmap& b) {
    for (int y = 0; y < b.height() && b.bytesPerPixel() == 4; ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.scanLine(y)[x * 4 + 3] != 0) return false;
    return true;
}

// ---- Copies under raster operations, every source and destination format ----------------------

class RasterOps : public ::testing::TestWithParam<std::tuple<PixelFormat, PixelFormat>> {
protected:
    PixelFormat from() const { return std::get<0>(GetParam()); }
    PixelFormat to() const { return std::get<1>(GetParam()); }

    // Draws a random 10 x 6 source at (ox, oy) on a random 20 x 15 destination under each
    // operation and checks every destination pixel.
    void checkCopy(int ox, int oy) {
        const Bitmap src = randomBitmap(10, 6, from(), 11);
        for (const auto& [mode, op] : definitions()) {
            const Bitmap before = randomBitmap(20, 15, to(), 12);
            Bitmap dst = before;
            Canvas canvas(dst);
            canvas.copyMode = mode;
            canvas.brush.color = 0x5A0FC3;
            canvas.draw(ox, oy, src);
            for (int y = 0; y < 15; ++y)
                for (int x = 0; x < 20; ++x) {
                    const bool covered = x >= ox && x < ox + 10 && y >= oy && y < oy + 6;
                    ASSERT_EQ(dst.pixel(x, y), covered ? combine(op, src.pixel(x - ox, y - oy),
                                                                 before.pixel(x, y), 0x5A0FC3)
                                                       : before.pixel(x, y))
                        << std::hex << "mode " << std::uint32_t(mode) << std::dec << " at (" << ox
                        << ", " << oy << "), pixel (" << x << ", " << y << ")";
                }
            ASSERT_TRUE(fourthBytesClear(dst));
        }
    }
};

TEST_P(RasterOps, EveryOperationMatchesItsDefinition) {
    checkCopy(3, 4);
}

TEST_P(RasterOps, ClippedAtAllFourEdges) {
    for (auto [x, y] :
         {std::pair{-3, -2}, {15, 12}, {-4, 11}, {16, -5}, {-10, 0}, {20, 3}, {-30, -30}})
        checkCopy(x, y);
}

TEST_P(RasterOps, StretchIsNearestNeighbourAndClipsLikeTheWholePicture) {
    const Bitmap src = randomBitmap(4, 3, from(), 31);
    Bitmap dst(12, 9, to());
    Canvas canvas(dst);
    canvas.stretchDraw(1, 2, 9, 8, src); // 8 x 6: each source pixel twice each way
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool covered = x >= 1 && x < 9 && y >= 2 && y < 8;
            ASSERT_EQ(dst.pixel(x, y), covered ? src.pixel((x - 1) / 2, (y - 2) / 2) : 0u)
                << x << "," << y;
        }
    canvas.copyMode = CopyMode::NotSrcCopy;
    canvas.stretchDraw(-6, -3, 6, 6, src); // 12 x 9, three per source pixel, partly off the canvas
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(dst.pixel(x, y), ~src.pixel((x + 6) / 3, (y + 3) / 3) & 0xFFFFFF);
    Bitmap small(2, 1, to());
    Canvas(small).stretchDraw(0, 0, 2, 1, src); // shrinking picks columns 0 and 2
    EXPECT_EQ(small.pixel(1, 0), src.pixel(2, 0));
    EXPECT_TRUE(fourthBytesClear(dst));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RasterOps,
    ::testing::Combine(::testing::Values(PixelFormat::Bits24, PixelFormat::Bits32),
                       ::testing::Values(PixelFormat::Bits24, PixelFormat::Bits32)),
    [](const auto& info) {
        auto n = [](PixelFormat f) { return f == PixelFormat::Bits32 ? "32" : "24"; };
        return std::string("From") + n(std::get<0>(info.param)) + "To" + n(std::get<1>(info.param));
    });

TEST(CanvasCopies, EveryCopyIsRecordedAndItsClippedRectanglePresented) {
    Bitmap screen(100, 50, PixelFormat::Bits32);
    const Bitmap strip = randomBitmap(30, 10, PixelFormat::Bits32, 5);
    Canvas canvas(screen);
    std::vector<CopyRecord> copies;
    std::vector<QRect> presented;
    canvas.setObserver([&](const CopyRecord& r) { copies.push_back(r); });
    canvas.setPresenter([&](const QRect& r) { presented.push_back(r); });

    canvas.copyMode = CopyMode::SrcInvert;
    canvas.draw(-10, 45, strip);
    canvas.draw(200, 0, strip); // wholly off: recorded, nothing presented
    const Bitmap before = screen;
    canvas.stretchDraw(10, 10, 10, 30, strip); // zero width: recorded, draws nothing
    canvas.stretchDraw(40, 10, 20, 30, strip); // mirrored: recorded, draws nothing
    ASSERT_EQ(copies.size(), 4u);
    EXPECT_EQ(std::tie(copies[0].x, copies[0].y, copies[0].w, copies[0].h),
              std::make_tuple(-10, 45, 30, 10));
    EXPECT_EQ(copies[0].mode, CopyMode::SrcInvert);
    EXPECT_FALSE(copies[0].stretched);
    EXPECT_TRUE(copies[2].stretched);
    EXPECT_EQ(std::tie(copies[2].w, copies[2].h, copies[2].srcW, copies[2].srcH),
              std::make_tuple(0, 20, 30, 10));
    EXPECT_EQ(copies[3].w, -20);
    EXPECT_EQ(presented, std::vector<QRect>{QRect(0, 45, 20, 5)});
    EXPECT_EQ(std::memcmp(before.bits(), screen.bits(), std::size_t(screen.stride()) * 50), 0);
}

TEST(CanvasCopies, CopyRectTakesPartOfTheSourceEvenFromItself) {
    Bitmap b = randomBitmap(10, 4, PixelFormat::Bits24, 8);
    const Bitmap before = b;
    Canvas canvas(b);
    canvas.copyRect(QRect(2, 0, 8, 4), b, QRect(0, 0, 8, 4)); // overlapping shift right by 2
    for (int y = 0; y < 4; ++y)
        for (int x = 2; x < 10; ++x)
            ASSERT_EQ(b.pixel(x, y), before.pixel(x - 2, y));
    canvas.copyRect(QRect(0, 0, 4, 4), before, QRect(1, 1, 2, 2)); // stretched twice each way
    EXPECT_EQ(b.pixel(1, 1), before.pixel(1, 1));
    EXPECT_EQ(b.pixel(3, 3), before.pixel(2, 2));
}

// ---- Rectangles, lines, pixels ----------------------------------------------------------------

TEST(CanvasShapes, RectanglesUseBrushAndPenRightAndBottomExclusive) {
    Bitmap b(20, 20, PixelFormat::Bits32);
    Canvas canvas(b);
    canvas.brush.color = 0x123456;
    canvas.fillRect(-5, 1, 5, 4);
    EXPECT_EQ(b.pixel(0, 1), 0x123456u);
    EXPECT_EQ(b.pixel(4, 3), 0x123456u);
    EXPECT_EQ(b.pixel(5, 3), 0u);
    EXPECT_EQ(b.pixel(4, 4), 0u);

    canvas.brush.color = platform::clRed;
    canvas.frameRect(10, 10, 20, 18);
    EXPECT_EQ(b.pixel(10, 10), platform::clRed);
    EXPECT_EQ(b.pixel(19, 17), platform::clRed);
    EXPECT_EQ(b.pixel(15, 17), platform::clRed);
    EXPECT_EQ(b.pixel(11, 11), 0u);

    canvas.pen.color = platform::clWhite;
    canvas.brush.color = platform::clBlue;
    canvas.rectangle(1, 10, 6, 14);
    EXPECT_EQ(b.pixel(1, 10), platform::clWhite);
    EXPECT_EQ(b.pixel(5, 13), platform::clWhite);
    EXPECT_EQ(b.pixel(3, 12), platform::clBlue);
    EXPECT_EQ(b.pixel(6, 14), 0u);

    canvas.brush.style = platform::BrushStyle::Clear;
    canvas.fillRect(0, 0, 20, 20);
    EXPECT_EQ(b.pixel(7, 7), 0u);
    EXPECT_TRUE(fourthBytesClear(b));
}

TEST(CanvasShapes, CrossBrushDrawsLinesEveryEightPixelsOverWhatIsThere) {
    Bitmap b(20, 20, PixelFormat::Bits24);
    b.fill(0x00AA00);
    Canvas canvas(b);
    canvas.brush.style = platform::BrushStyle::Cross;
    canvas.brush.color = platform::clBlue;
    canvas.fillRect(0, 0, 20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(b.pixel(x, y), (x % 8 == 0 || y % 8 == 0) ? platform::clBlue : 0x00AA00u)
                << x << "," << y;
}

TEST(CanvasShapes, LinesLeaveOutTheirEndPoint) {
    Bitmap b(10, 10, PixelFormat::Bits32);
    Canvas canvas(b);
    canvas.pen.color = platform::clWhite;
    canvas.moveTo(1, 2);
    canvas.lineTo(6, 2);
    canvas.lineTo(6, 7);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(b.pixel(x, 2), (x >= 1 && x <= 6) ? platform::clWhite : 0u) << x;
    EXPECT_EQ(b.pixel(6, 6), platform::clWhite);
    EXPECT_EQ(b.pixel(6, 7), 0u);
    EXPECT_EQ(canvas.penPos(), QPoint(6, 7));
    canvas.moveTo(-2, 11);
    canvas.lineTo(4, 5); // a diagonal from off the canvas: one pixel per step
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(b.pixel(i, 9 - i), platform::clWhite) << i;
    EXPECT_EQ(b.pixel(4, 5), 0u);
    canvas.pen.style = platform::PenStyle::Clear;
    canvas.lineTo(9, 4);
    EXPECT_EQ(b.pixel(7, 4), 0u);
    canvas.setPixel(9, 9, 0x010203);
    canvas.setPixel(10, 0, 0xFFFFFF);
    EXPECT_EQ(canvas.pixel(9, 9), 0x010203u);
    EXPECT_EQ(canvas.pixel(10, 0), 0u);
    EXPECT_TRUE(fourthBytesClear(b));
}

// ---- Text -------------------------------------------------------------------------------------

TEST(CanvasText, ExtentsFollowTheFontInPointsAtScreenResolution) {
    Bitmap b(10, 10, PixelFormat::Bits24);
    Canvas canvas(b);
    canvas.font.size = 40;
    const QString text = QStringLiteral("Hello");
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize((40 * qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()) + 36) /
                   72);
    EXPECT_EQ(canvas.textWidth(text), QFontMetrics(f).horizontalAdvance(text));
    EXPECT_EQ(canvas.textHeight(text), QFontMetrics(f).height());
    const int plain = canvas.textWidth(text);
    canvas.font.style = platform::fsBold | platform::fsItalic;
    f.setBold(true);
    f.setItalic(true);
    EXPECT_EQ(canvas.textWidth(text), QFontMetrics(f).horizontalAdvance(text));
    EXPECT_NE(canvas.textWidth(text), plain);
}

QRect pixelsOf(const Bitmap& b, TColor c) {
    QRect r;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) == c) r |= QRect(x, y, 1, 1);
    return r;
}

TEST(CanvasText, OpaqueTextFillsItsExtentAndClearBrushKeepsTheBackground) {
    for (PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32}) {
        for (bool opaque : {true, false}) {
            Bitmap b(200, 60, format);
            b.fill(0x00FF00);
            Canvas canvas(b);
            canvas.font.size = 20;
            canvas.font.color = platform::clWhite;
            canvas.brush.color = platform::clBlue;
            canvas.brush.style = opaque ? platform::BrushStyle::Solid : platform::BrushStyle::Clear;
            QRect presented;
            canvas.setPresenter([&](const QRect& r) { presented = r; });
            const QString text = QStringLiteral("Wave");
            canvas.textOut(10, 5, text);
            const QRect extent(10, 5, canvas.textWidth(text), canvas.textHeight(text));
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 200; ++x)
                    if (!extent.contains(x, y)) {
                        ASSERT_EQ(b.pixel(x, y), 0x00FF00u) << x << "," << y;
                    }
            EXPECT_EQ(pixelsOf(b, platform::clBlue), opaque ? extent : QRect());
            const QRect ink = pixelsOf(b, platform::clWhite);
            EXPECT_TRUE(!ink.isEmpty() && extent.contains(ink));
            EXPECT_TRUE(presented.contains(extent));
            EXPECT_TRUE(fourthBytesClear(b));
        }
    }
}

} // namespace
