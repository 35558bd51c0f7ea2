#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "test_support.h"
#include "render/Dynarray32.h"
#include "render/effects.h"

namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::TColor;

bool samePixel(const Bitmap& a, const Bitmap& b, int x, int y) {
    return std::memcmp(a.scanLine(y) + x * a.bytesPerPixel(), b.scanLine(y) + x * b.bytesPerPixel(),
                       a.bytesPerPixel()) == 0;
}

TColor grey(int v) {
    return platform::rgb(v, v, v);
}

TEST(ColourConversions, BothWaysWithThePaletteFlag) {
    effects::TByteTriple t{};
    effects::ColorToTriple(0x7A332211, t); // blue 0x33, green 0x22, red 0x11; top byte ignored
    EXPECT_EQ(std::string(reinterpret_cast<char*>(t.b), 3), "\x33\x22\x11");
    EXPECT_EQ(effects::ColorToQuad(0x02332211), 0x00112233u); // memory order blue, green, red, 0
    // byte0 * 65536 + byte1 * 256 + byte2, plus 0x02000000; the quad's fourth byte is dropped.
    EXPECT_EQ(effects::TripleToColor(0x00332211), 0x02112233u);
    EXPECT_EQ(effects::QuadToColor(0xFF112233), 0x02332211u);
    for (TColor c : {0x000000u, 0xFFFFFFu, 0x0000FFu, 0xFF0000u, 0x02123456u}) {
        effects::ColorToTriple(c, t);
        const TColor flagged = (c & 0xFFFFFF) | 0x02000000;
        EXPECT_EQ(effects::TripleToColor(t.b[0] | t.b[1] << 8 | t.b[2] << 16), flagged);
        EXPECT_EQ(effects::QuadToColor(effects::ColorToQuad(c)), flagged);
    }
}

std::string formatName(const ::testing::TestParamInfo<PixelFormat>& info) {
    return info.param == PixelFormat::Bits32 ? "Bits32" : "Bits24";
}

class Effects : public ::testing::TestWithParam<PixelFormat> {
protected:
    bool wide() const { return GetParam() == PixelFormat::Bits32; }
    void fill(Bitmap& b, TColor top, TColor bottom) {
        Bitmap& r = wide() ? effects::GradientFill32(b, top, bottom)
                           : effects::GradientFill24(b, top, bottom);
        EXPECT_EQ(&r, &b);
    }
    void blur(Bitmap& b) {
        Bitmap& r = wide() ? effects::BlurBitmap32(b) : effects::BlurBitmap24(b);
        EXPECT_EQ(&r, &b);
    }
    // Mostly black and saturated bytes, as on a strip, with some of everything else.
    Bitmap randomBitmap(int w, int h, unsigned seed) const {
        Bitmap b(w, h, GetParam());
        std::mt19937 rng(seed);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int i = 0; i < 3; ++i) {
                    const unsigned r = rng() % 4;
                    b.scanLine(y)[x * b.bytesPerPixel() + i] = std::uint8_t(r == 0   ? 0
                                                                            : r == 1 ? 255
                                                                                     : rng());
                }
        return b;
    }
};

// ---- Gradient ---------------------------------------------------------------------------------

TEST_P(Effects, GradientRowsRoundHalvesToEvenAndSpareOnlyBlack) {
    Bitmap b(2, 11, GetParam());
    b.fill(0x808080);
    fill(b, platform::clRed, platform::clBlue);
    EXPECT_EQ(b.pixel(1, 0), platform::clRed);
    EXPECT_EQ(b.pixel(1, 5), platform::rgb(128, 0, 128)); // 127.5 and 127.5
    EXPECT_EQ(b.pixel(0, 3), platform::rgb(178, 0, 76));  // 178.5 and 76.5
    EXPECT_EQ(b.pixel(0, 1), platform::rgb(230, 0, 26));  // 229.5 and 25.5
    EXPECT_EQ(b.pixel(0, 10), platform::clBlue);

    Bitmap one(3, 1, GetParam()); // a single row takes the top colour
    one.fill(0x123456);
    fill(one, 0x00C0FF, 0xFF0000);
    EXPECT_EQ(one.pixel(2, 0), 0x00C0FFu);
    Bitmap empty(0, 4, GetParam());
    fill(empty, 1, 2);

    // Only pure black escapes: not the (0, 0, 1) pixels nor a shadow.
    Bitmap c(4, 3, GetParam());
    c.setPixel(0, 1, platform::rgb(1, 0, 0));
    c.setPixel(1, 1, platform::rgb(0, 0, 1));
    c.setPixel(2, 1, 0x404040);
    if (wide()) c.scanLine(1)[3] = 0x77;
    fill(c, 0x00FF00, 0x00FF00);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(c.pixel(x, 1), 0x00FF00u) << x;
    EXPECT_EQ(c.pixel(3, 1), 0u);
    EXPECT_EQ(c.pixel(0, 0), 0u);
    if (wide()) {
        EXPECT_EQ(c.scanLine(1)[3], 0);
    }
}

// ---- Blur -------------------------------------------------------------------------------------

TEST_P(Effects, BlurOfUniformWhiteSpills) {
    Bitmap b(12, 10, GetParam());
    b.fill(platform::clWhite);
    blur(b);
    // 12 * 255 div 6 = 510 per channel: red keeps 0xFE and spills 1 into green, green into blue.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.scanLine(5) + 5 * b.bytesPerPixel()), 3),
              "\xFF\xFF\xFE");
    EXPECT_EQ(b.pixel(0, 5), platform::rgb(254, 255, 255)); // column 0's left reads: rows above
    if (wide()) {
        EXPECT_EQ(b.scanLine(5)[5 * 4 + 3], 0);
    }
}

TEST_P(Effects, BlurKeepsTheFirstTwoRowsAndTheLastColumn) {
    const Bitmap before = randomBitmap(23, 9, 7);
    Bitmap b = before;
    blur(b);
    int changed = 0;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x) {
            const bool same = samePixel(b, before, x, y);
            ASSERT_TRUE(same || (y >= 2 && x < 22)) << x << "," << y;
            changed += !same;
        }
    EXPECT_GT(changed, 100);
}

// Diagonal neighbours weigh 1, edge neighbours 0 and the centre 8, over 6; pixel coordinates go to
// the grid unchanged, so a read left of column 0 comes from the row above.
TEST_P(Effects, BlurWeightsAndGridReads) {
    Bitmap b(9, 9, GetParam());
    for (auto [x, y] : {std::pair{3, 3}, {5, 3}, {3, 5}, {5, 5}})
        b.setPixel(x, y, platform::clWhite);
    blur(b);
    EXPECT_EQ(b.pixel(4, 4), grey(4 * 255 / 6));
    EXPECT_EQ(b.pixel(4, 3), 0u);
    const std::uint32_t v = 8 * 255 / 6; // 340 spills, byte by byte
    EXPECT_EQ(b.pixel(3, 3), (v << 16 | v << 8 | v) & 0xFFFFFF);

    // Pixel (0, y)'s upper-left read, grid (-1, y - 1), is the last element of grid row y - 2.
    Bitmap c(8, 10, GetParam());
    c.setPixel(7, 3, platform::clWhite);
    blur(c);
    EXPECT_EQ(c.pixel(0, 5), grey(255 / 6));
    EXPECT_EQ(c.pixel(6, 4), grey(255 / 6)); // its ordinary upper-right neighbour

    // Pixel (0, 2)'s upper-left read falls before the grid. The 24-bit grid leaves the shared
    // result as the previous read set it (pixel (w - 1, 1)'s last read: pixel (0, 3)); the
    // 32-bit one reads 0.
    Bitmap d(6, 6, GetParam());
    d.setPixel(0, 3, platform::clWhite);
    blur(d);
    EXPECT_EQ(d.pixel(0, 2), grey(wide() ? 0 : 255 / 6));
    EXPECT_EQ(d.pixel(1, 2), grey(255 / 6)); // (0, 3) is its lower-left neighbour

    for (auto [w, h] : {std::pair{0, 0}, {1, 1}, {1, 7}, {7, 1}}) { // too small to change
        const Bitmap before = randomBitmap(w, h, 5);
        Bitmap e = before;
        blur(e);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_TRUE(samePixel(e, before, x, y)) << w << "x" << h;
    }
}

TEST_P(Effects, BlurGridFailureLeavesThePictureAlone) {
    const Bitmap before = randomBitmap(10, 10, 3);
    Bitmap b = before;
    // The second grid fails after the first was made.
    static int allocations;
    allocations = 0;
    Dynarray::FailAllocation = [](std::int64_t) { return ++allocations == 2; };
    Dynarray32::FailAllocation = Dynarray::FailAllocation;
    if (wide())
        EXPECT_THROW(blur(b), Dynarray32::ENotEnoughMemory);
    else
        EXPECT_THROW(blur(b), Dynarray::ENotEnoughMemory);
    Dynarray::FailAllocation = nullptr;
    Dynarray32::FailAllocation = nullptr;
    EXPECT_EQ(allocations, 2);
    EXPECT_EQ(std::memcmp(b.bits(), before.bits(), std::size_t(b.stride()) * 10), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, Effects,
                         ::testing::Values(PixelFormat::Bits24, PixelFormat::Bits32), formatName);

} // namespace
