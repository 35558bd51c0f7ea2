#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "render/Dynarray32.h"
#include "render/effects.h"

namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::TColor;

const std::uint8_t* px(const Bitmap& b, int x, int y) {
    return b.scanLine(y) + x * b.bytesPerPixel();
}

// Mostly black and saturated bytes, as on a strip, with some of everything else.
Bitmap randomBitmap(int w, int h, PixelFormat f, unsigned seed) {
    Bitmap b(w, h, f);
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

bool samePixel(const Bitmap& a, const Bitmap& b, int x, int y) {
    return std::memcmp(px(a, x, y), px(b, x, y), a.bytesPerPixel()) == 0;
}

std::string formatName(const ::testing::TestParamInfo<PixelFormat>& info) {
    return info.param == PixelFormat::Bits32 ? "Bits32" : "Bits24";
}

TEST(ColourConversions, BothWaysWithThePaletteFlag) {
    effects::TByteTriple t{};
    effects::ColorToTriple(0x7A332211, t); // blue 0x33, green 0x22, red 0x11; top byte ignored
    EXPECT_EQ(std::string(reinterpret_cast<char*>(t.b), 3), "\x33\x22\x11");
    const std::uint32_t q = effects::ColorToQuad(0x02332211);
    EXPECT_EQ(q, 0x00112233u); // memory order blue, green, red, 0
    // byte0 * 65536 + byte1 * 256 + byte2, plus 0x02000000; the quad's fourth byte is dropped.
    EXPECT_EQ(effects::TripleToColor(0x00332211), 0x02112233u);
    EXPECT_EQ(effects::QuadToColor(0xFF112233), 0x02332211u);
    for (TColor c : {0x000000u, 0xFFFFFFu, 0x0000FFu, 0xFF0000u, 0x02123456u}) {
        effects::ColorToTriple(c, t);
        const TColor flagged = (c & 0xFFFFFF) | 0x02000000;
        EXPECT_EQ(effects::TripleToColor(t.b[0] | t.b[1] << 8 | t.b[2] << 16), flagged);
        EXPECT_EQ(effects::QuadToColor(effects::ColorToQuad(c)), flagged);
    }
    EXPECT_EQ(effects::BlurKernel[2][2], 8);
    EXPECT_EQ(effects::BlurKernel[1][1] + effects::BlurKernel[3][3] + effects::BlurKernel[1][2], 2);
}

// ---- Gradient ---------------------------------------------------------------------------------

class Gradient : public ::testing::TestWithParam<PixelFormat> {
protected:
    void fill(Bitmap& b, TColor top, TColor bottom) {
        Bitmap& r = GetParam() == PixelFormat::Bits32 ? effects::GradientFill32(b, top, bottom)
                                                      : effects::GradientFill24(b, top, bottom);
        EXPECT_EQ(&r, &b);
    }
};

TEST_P(Gradient, RowsOfElevenRoundHalvesToEven) {
    Bitmap b(2, 11, GetParam());
    b.fill(0x808080);
    fill(b, platform::clRed, platform::clBlue);
    EXPECT_EQ(b.pixel(1, 0), platform::clRed);
    EXPECT_EQ(b.pixel(1, 5), platform::rgb(128, 0, 128)); // 127.5 and 127.5
    EXPECT_EQ(b.pixel(0, 3), platform::rgb(178, 0, 76));  // 178.5 and 76.5
    EXPECT_EQ(b.pixel(0, 1), platform::rgb(230, 0, 26));  // 229.5 and 25.5
    EXPECT_EQ(b.pixel(0, 10), platform::clBlue);
}

TEST_P(Gradient, OnlyPureBlackEscapes) {
    Bitmap b(4, 3, GetParam());
    b.setPixel(0, 1, platform::rgb(1, 0, 0)); // the (0, 0, 1) pixel: red byte 1
    b.setPixel(1, 1, platform::rgb(0, 0, 1));
    b.setPixel(2, 1, 0x404040); // a shadow pixel
    if (GetParam() == PixelFormat::Bits32) b.scanLine(1)[3] = 0x77;
    fill(b, 0x00FF00, 0x00FF00);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(b.pixel(x, 1), 0x00FF00u) << x;
    EXPECT_EQ(b.pixel(3, 1), 0u);
    EXPECT_EQ(b.pixel(0, 0), 0u);
    if (GetParam() == PixelFormat::Bits32) {
        EXPECT_EQ(b.scanLine(1)[3], 0);
    }
}

TEST_P(Gradient, SingleRowTakesTheTopColour) {
    Bitmap one(3, 1, GetParam());
    one.fill(0x123456);
    fill(one, 0x00C0FF, 0xFF0000);
    EXPECT_EQ(one.pixel(2, 0), 0x00C0FFu);
    Bitmap empty(0, 4, GetParam());
    fill(empty, 1, 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, Gradient,
                         ::testing::Values(PixelFormat::Bits24, PixelFormat::Bits32), formatName);

// ---- Blur -------------------------------------------------------------------------------------

// The filter written out step by step over the grids, read by read, as the yardstick for the real
// routine. Elements no pixel is stored in read as black.
template <class Grid, class Item> Bitmap referenceBlur(const Bitmap& in) {
    const int w = in.width(), h = in.height(), bpp = in.bytesPerPixel();
    Bitmap out = in;
    Grid a(w, h), b(w, h);
    Item item{};
    auto toColour = [](const Item& it) {
        if constexpr (std::is_same_v<Item, std::uint32_t>)
            return effects::QuadToColor(it);
        else
            return effects::TripleToColor(it.b[0] | it.b[1] << 8 | it.b[2] << 16);
    };
    auto read = [&](int x, int y) {
        if constexpr (std::is_same_v<Item, std::uint32_t>)
            item = a.GetItem(x, y);
        else
            a.GetItem(x, y, item);
    };
    for (int y = 1; y <= h; ++y)
        for (int x = 1; x <= w; ++x)
            a.SetItem(x, y, Item{});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Item v{};
            std::memcpy(&v, px(in, x, y), bpp);
            a.SetItem(x, y, v);
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::int32_t sum[3] = {}; // red, green, blue
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    read(x + dx, y + dy);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += std::int32_t((toColour(item) >> (8 * c)) & 0xFF) *
                                  effects::BlurKernel[dx + 2][dy + 2];
                }
            const TColor packed = TColor(sum[2] / 6) << 16 | TColor(sum[1] / 6) << 8 |
                                  TColor(sum[0] / 6) | 0x02000000;
            if constexpr (std::is_same_v<Item, std::uint32_t>) {
                b.SetItem(x, y, effects::ColorToQuad(packed));
            } else {
                Item t{};
                effects::ColorToTriple(packed, t);
                b.SetItem(x, y, t);
            }
        }
    for (int y = 2; y < h; ++y)
        for (int x = 0; x < w - 1; ++x) {
            Item v{};
            if constexpr (std::is_same_v<Item, std::uint32_t>)
                v = b.GetItem(x, y);
            else
                b.GetItem(x, y, v);
            std::memcpy(out.scanLine(y) + x * bpp, &v, bpp);
        }
    return out;
}

class Blur : public ::testing::TestWithParam<PixelFormat> {
protected:
    bool wide() const { return GetParam() == PixelFormat::Bits32; }
    void blur(Bitmap& b) {
        Bitmap& r = wide() ? effects::BlurBitmap32(b) : effects::BlurBitmap24(b);
        EXPECT_EQ(&r, &b);
    }
    TColor grey(int v) const { return platform::rgb(v, v, v); }
};

TEST_P(Blur, UniformWhiteDoublesWithSpill) {
    Bitmap b(12, 10, GetParam());
    b.fill(platform::clWhite);
    blur(b);
    // 12 * 255 div 6 = 510 per channel: red keeps 0xFE and spills 1 into green, green into blue.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(px(b, 5, 5)), 3), "\xFF\xFF\xFE");
    EXPECT_EQ(b.pixel(0, 5),
              platform::rgb(254, 255, 255)); // column 0's left neighbours: rows above
    if (wide()) {
        EXPECT_EQ(px(b, 5, 5)[3], 0);
    }
}

TEST_P(Blur, FirstTwoRowsAndLastColumnKeepTheirBytes) {
    const Bitmap before = randomBitmap(23, 9, GetParam(), 7);
    Bitmap b = before;
    blur(b);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x)
            if (y < 2 || x == 22) {
                ASSERT_TRUE(samePixel(b, before, x, y)) << x << "," << y;
            }
    EXPECT_FALSE(samePixel(b, before, 5, 5) && samePixel(b, before, 6, 5) &&
                 samePixel(b, before, 7, 5));
}

TEST_P(Blur, DiagonalsCountOnceTheCentreEightTimes) {
    Bitmap b(9, 9, GetParam());
    for (auto [x, y] : {std::pair{3, 3}, {5, 3}, {3, 5}, {5, 5}})
        b.setPixel(x, y, platform::clWhite);
    blur(b);
    EXPECT_EQ(b.pixel(4, 4), grey(4 * 255 / 6)); // black with four lit diagonals: dim grey
    EXPECT_EQ(b.pixel(4, 3), 0u);                // edge neighbours weigh nothing
    const std::uint32_t v = 8 * 255 / 6;         // 340 spills, byte by byte
    EXPECT_EQ(b.pixel(3, 3), (v << 16 | v << 8 | v) & 0xFFFFFF);
}

TEST_P(Blur, PixelCoordinatesGoToTheGridUnchanged) {
    // Pixel (0, y)'s upper-left read, grid (-1, y - 1), is the last element of grid row y - 2:
    // pixel (w - 1, y - 2).
    Bitmap b(8, 10, GetParam());
    b.setPixel(7, 3, platform::clWhite);
    blur(b);
    EXPECT_EQ(b.pixel(0, 5), grey(255 / 6));
    EXPECT_EQ(b.pixel(6, 4), grey(255 / 6)); // its ordinary upper-right neighbour

    // Pixel (0, 2)'s upper-left read falls before the grid. The 24-bit grid leaves the shared
    // result as the previous read set it (pixel (w - 1, 1)'s last read: pixel (0, 3)); the
    // 32-bit one reads 0.
    Bitmap c(6, 6, GetParam());
    c.setPixel(0, 3, platform::clWhite);
    blur(c);
    EXPECT_EQ(c.pixel(0, 2), grey(wide() ? 0 : 255 / 6));
    EXPECT_EQ(c.pixel(1, 2), grey(255 / 6)); // (0, 3) is its lower-left neighbour
}

TEST_P(Blur, MatchesTheStepByStepFilterOnAnyPicture) {
    unsigned seed = 1;
    for (auto [w, h] :
         {std::pair{0, 0}, {1, 1}, {1, 7}, {7, 1}, {2, 3}, {3, 3}, {5, 4}, {17, 9}, {130, 12}}) {
        const Bitmap in = randomBitmap(w, h, GetParam(), seed++);
        Bitmap got = in;
        blur(got);
        const Bitmap want = wide()
                                ? referenceBlur<Dynarray32::TByteArray2D32, std::uint32_t>(in)
                                : referenceBlur<Dynarray::TByteArray2D, effects::TByteTriple>(in);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_TRUE(samePixel(got, want, x, y)) << w << "x" << h << " at " << x << "," << y;
    }
}

TEST_P(Blur, GridFailureLeavesThePictureAlone) {
    const Bitmap before = randomBitmap(10, 10, GetParam(), 3);
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

INSTANTIATE_TEST_SUITE_P(Formats, Blur, ::testing::Values(PixelFormat::Bits24, PixelFormat::Bits32),
                         formatName);

} // namespace
