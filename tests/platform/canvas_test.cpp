#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <random>
#include <tuple>
#include <vector>

#include "platform/Canvas.h"
#include "test_support.h"

namespace {

using platform::Bitmap;
using platform::Canvas;
using platform::CopyMode;
using platform::CopyRecord;
using platform::PixelFormat;
using platform::TColor;

using ByteOp = std::function<std::uint8_t(std::uint8_t s, std::uint8_t d, std::uint8_t p)>;

// The raster operations by their boolean definitions, byte by byte.
const std::pair<CopyMode, ByteOp> Definitions[] = {
    {CopyMode::SrcCopy, [](auto s, auto, auto) { return s; }},
    {CopyMode::NotSrcCopy, [](auto s, auto, auto) { return std::uint8_t(~s); }},
    {CopyMode::NotSrcErase, [](auto s, auto d, auto) { return std::uint8_t(~(s | d)); }},
    {CopyMode::PatPaint, [](auto s, auto d, auto p) { return std::uint8_t(p | ~s | d); }},
    {CopyMode::SrcErase, [](auto s, auto d, auto) { return std::uint8_t(s & ~d); }},
    {CopyMode::SrcInvert, [](auto s, auto d, auto) { return std::uint8_t(s ^ d); }},
    {CopyMode::SrcPaint, [](auto s, auto d, auto) { return std::uint8_t(s | d); }},
    {CopyMode::Blackness, [](auto, auto, auto) { return std::uint8_t(0); }},
};

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

using testsupport::pixelsOf;

// ---- Copies under raster operations, every source and destination format ----------------------

class RasterOps : public ::testing::TestWithParam<std::tuple<PixelFormat, PixelFormat>> {};

// A random 10 x 6 source drawn on a random 20 x 15 destination under each operation, inside and
// across all four edges; every destination pixel is checked.
TEST_P(RasterOps, EveryOperationMatchesItsDefinitionAndClipsAtAllFourEdges) {
    const auto [from, to] = GetParam();
    const Bitmap src = randomBitmap(10, 6, from, 11);
    const Bitmap before = randomBitmap(20, 15, to, 12);
    for (auto [ox, oy] :
         {std::pair{3, 4}, {-3, -2}, {15, 12}, {-4, 11}, {16, -5}, {-10, 0}, {20, 3}, {-30, -30}})
        for (const auto& [mode, op] : Definitions) {
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

TEST_P(RasterOps, StretchIsNearestNeighbourAndClipsLikeTheWholePicture) {
    const auto [from, to] = GetParam();
    const Bitmap src = randomBitmap(4, 3, from, 31);
    Bitmap dst(12, 9, to);
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
    Bitmap small(2, 1, to);
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

// Each copy is recorded with its mode, even when it draws nothing; only what changed on the
// canvas, clipped, is presented.
TEST(CanvasCopies, EveryCopyIsRecordedAndItsClippedRectanglePresented) {
    Bitmap screen(100, 50, PixelFormat::Bits32);
    const Bitmap strip = randomBitmap(30, 10, PixelFormat::Bits32, 5);
    Canvas canvas(screen);
    using Rec = std::tuple<int, int, int, int, bool, bool>; // x, y, w, h, stretched, SrcInvert
    std::vector<Rec> copies;
    std::vector<QRect> presented;
    canvas.setObserver([&](const CopyRecord& r) {
        copies.emplace_back(r.x, r.y, r.w, r.h, r.stretched, r.mode == CopyMode::SrcInvert);
    });
    canvas.setPresenter([&](const QRect& r) { presented.push_back(r); });
    canvas.copyMode = CopyMode::SrcInvert;
    canvas.draw(-10, 45, strip);
    canvas.draw(200, 0, strip); // wholly off
    const Bitmap before = screen;
    canvas.stretchDraw(10, 10, 10, 30, strip); // zero width
    canvas.stretchDraw(40, 10, 20, 30, strip); // mirrored
    EXPECT_EQ(copies, (std::vector<Rec>{{-10, 45, 30, 10, false, true},
                                        {200, 0, 30, 10, false, true},
                                        {10, 10, 0, 20, true, true},
                                        {40, 10, -20, 20, true, true}}));
    EXPECT_EQ(presented, std::vector<QRect>{QRect(0, 45, 20, 5)});
    EXPECT_EQ(std::memcmp(before.bits(), screen.bits(), std::size_t(screen.stride()) * 50), 0);
}

// ---- Fills and text ----------------------------------------------------------------------------

TEST(CanvasShapes, ClippedFillAndTheCrossBrush) {
    Bitmap b(20, 20, PixelFormat::Bits24);
    b.fill(0x00AA00);
    Canvas canvas(b);
    canvas.brush.color = 0x123456;
    canvas.fillRect(-5, 1, 5, 4); // right and bottom exclusive
    EXPECT_EQ(pixelsOf(b, 0x123456), QRect(0, 1, 5, 3));
    canvas.brush.style = platform::BrushStyle::Cross;
    canvas.brush.color = platform::clBlue;
    canvas.fillRect(0, 4, 20, 20); // lines every 8 pixels over what is there
    for (int y = 4; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(b.pixel(x, y), (x % 8 == 0 || y % 8 == 0) ? platform::clBlue : 0x00AA00u)
                << x << "," << y;
}

// Text extents follow the font in points at the screen's resolution; the text fills its extent
// with the brush when it is opaque and keeps the background under a clear brush.
TEST(CanvasText, OpaqueAndTransparentText) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize((20 * qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()) + 36) /
                   72);
    f.setBold(true);
    const QString text = QStringLiteral("Wave");
    for (PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32})
        for (bool opaque : {true, false}) {
            Bitmap b(200, 60, format);
            b.fill(0x00FF00);
            Canvas canvas(b);
            canvas.font.size = 20;
            canvas.font.style = platform::fsBold;
            canvas.font.color = platform::clWhite;
            canvas.brush.color = platform::clBlue;
            canvas.brush.style = opaque ? platform::BrushStyle::Solid : platform::BrushStyle::Clear;
            QRect presented;
            canvas.setPresenter([&](const QRect& r) { presented = r; });
            ASSERT_EQ(canvas.textWidth(text), QFontMetrics(f).horizontalAdvance(text));
            ASSERT_EQ(canvas.textHeight(text), QFontMetrics(f).height());
            canvas.textOut(10, 5, text);
            const QRect extent(10, 5, canvas.textWidth(text), canvas.textHeight(text));
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 200; ++x)
                    ASSERT_TRUE(extent.contains(x, y) || b.pixel(x, y) == 0x00FF00u)
                        << x << "," << y;
            EXPECT_EQ(pixelsOf(b, platform::clBlue), opaque ? extent : QRect());
            const QRect ink = pixelsOf(b, platform::clWhite);
            EXPECT_TRUE(!ink.isEmpty() && extent.contains(ink));
            EXPECT_TRUE(presented.contains(extent));
            EXPECT_TRUE(fourthBytesClear(b));
        }
}

// Emoji are drawn whole and in colour from the colour emoji face, whatever symbol faces also
// have their code points: a heart with its emoji selector is red, not a grey outline, and a
// modifier, flag or joined sequence is one glyph as wide as any single emoji.
TEST(CanvasText, EmojiSequencesAreOneColourGlyphEach) {
    Bitmap b(1, 1, PixelFormat::Bits32);
    Canvas canvas(b);
    canvas.font.size = 40;
    canvas.font.color = platform::clWhite;
    const int one = canvas.textWidth(QString::fromUcs4(U"\U0001F600"));
    ASSERT_GT(one, 20);
    const struct {
        const char32_t* text;
        bool red; // drawn mostly red
    } rows[] = {
        // clang-format off
        {U"\u2764\uFE0F", true}, {U"\u2708\uFE0F", false}, {U"\u2600\uFE0F", false},
        {U"\U0001F44D\U0001F3FF", false}, {U"\U0001F3F3\uFE0F\u200D\U0001F308", false},
        {U"\U0001F469\u200D\u2764\uFE0F\u200D\U0001F468", false},
        // clang-format on
    };
    for (const auto& row : rows) {
        const QString text = QString::fromUcs4(row.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_NEAR(canvas.textWidth(text), one, 2);
        Bitmap pic(2 * one, canvas.textHeight(text), PixelFormat::Bits32);
        Canvas c(pic);
        c.font = canvas.font;
        c.brush.color = platform::clBlack;
        c.textOut(0, 0, text);
        // Colour, not grey: the channels of the ink differ, weighed by brightness.
        double sum[3] = {0, 0, 0}, spread = 0, weight = 0;
        for (int y = 0; y < pic.height(); ++y)
            for (int x = 0; x < pic.width(); ++x) {
                const TColor px = pic.pixel(x, y);
                const int ch[3] = {platform::redOf(px), platform::greenOf(px),
                                   platform::blueOf(px)};
                const int hi = std::max({ch[0], ch[1], ch[2]});
                const int lo = std::min({ch[0], ch[1], ch[2]});
                for (int i = 0; i < 3; ++i)
                    sum[i] += ch[i];
                spread += hi - lo;
                weight += hi;
            }
        ASSERT_GT(weight, 0);
        EXPECT_GT(spread / weight, 0.25);
        if (row.red) {
            EXPECT_GT(sum[0], 2 * std::max(sum[1], sum[2]));
        }
    }
}

} // namespace
