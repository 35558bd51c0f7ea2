#include "render/effects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/PixelBytes.h"
#include "render/Dynarray32.h"

namespace velmora::effects {

// Centre 8, diagonals 1, edge neighbours 0; the outer ring is never read.
const std::int32_t BlurKernel[5][5] = {
    {1, 0, 1, 0, 1}, {0, 1, 0, 1, 0}, {1, 0, 8, 0, 1}, {0, 1, 0, 1, 0}, {1, 0, 1, 0, 1},
};

namespace {

using platform::load32;
using platform::store32;

constexpr TColor PaletteFlag = 0x02000000;
constexpr std::int32_t BlurDivisor = 6;

// The three bytes in scanline order, packed with byte 0 in the low byte.
inline std::uint32_t packTriple(const TByteTriple& t) {
    return std::uint32_t(t.b[0]) | (std::uint32_t(t.b[1]) << 8) | (std::uint32_t(t.b[2]) << 16);
}

// Channel sums of one blurred pixel, packed as the colour value the blur writes: each quotient
// in its own byte position, OR-ed together, so a quotient above 255 spills into the byte above.
struct BlurSums {
    std::int32_t red = 0, green = 0, blue = 0;

    void add(TColor c, std::int32_t w) {
        red += std::int32_t(c & 0xFF) * w;
        green += std::int32_t((c >> 8) & 0xFF) * w;
        blue += std::int32_t((c >> 16) & 0xFF) * w;
    }
    TColor packed() const {
        return (TColor(blue / BlurDivisor) << 16) | (TColor(green / BlurDivisor) << 8) |
               TColor(red / BlurDivisor) | PaletteFlag;
    }
};

// One row's colour for the vertical gradient, channel by channel in scanline byte order.
struct RowColour {
    std::uint8_t c[3];
};

// y * B/(H-1) + (T - y * T/(H-1)), rounded to nearest with halves to even.
inline std::uint8_t gradientChannel(int y, double topQ, double bottomQ, double top) {
    const double v = std::nearbyint(y * bottomQ + (top - y * topQ));
    return std::uint8_t(std::clamp(v, 0.0, 255.0));
}

// Channel values in scanline byte order (blue, green, red) of the two ends of the gradient.
Bitmap& gradientFill(Bitmap& bitmap, const std::uint8_t top[3], const std::uint8_t bottom[3],
                     int bytesPerPixel) {
    const int h = bitmap.height(), w = bitmap.width();
    if (h <= 0 || w <= 0) return bitmap;
    // A single row takes the top colour: there is no second row to run towards.
    const double steps = h > 1 ? double(h - 1) : 0.0;
    double topQ[3], bottomQ[3];
    for (int i = 0; i < 3; ++i) {
        topQ[i] = steps > 0 ? top[i] / steps : 0.0;
        bottomQ[i] = steps > 0 ? bottom[i] / steps : 0.0;
    }
    for (int y = 0; y < h; ++y) {
        RowColour rc;
        for (int i = 0; i < 3; ++i)
            rc.c[i] = gradientChannel(y, topQ[i], bottomQ[i], top[i]);
        std::uint8_t* p = bitmap.scanLine(y);
        for (int x = 0; x < w; ++x, p += bytesPerPixel) {
            if ((p[0] | p[1] | p[2]) == 0) continue;
            p[0] = rc.c[0];
            p[1] = rc.c[1];
            p[2] = rc.c[2];
            if (bytesPerPixel == 4) p[3] = 0;
        }
    }
    return bitmap;
}

} // namespace

void ColorToTriple(TColor color, TByteTriple& triple) {
    triple.b[0] = platform::blueOf(color);
    triple.b[1] = platform::greenOf(color);
    triple.b[2] = platform::redOf(color);
}

std::uint32_t ColorToQuad(TColor color) {
    return std::uint32_t(platform::blueOf(color)) | (std::uint32_t(platform::greenOf(color)) << 8) |
           (std::uint32_t(platform::redOf(color)) << 16);
}

TColor TripleToColor(std::uint32_t packed) {
    return PaletteFlag + (packed & 0xFF) * 65536 + ((packed >> 8) & 0xFF) * 256 +
           ((packed >> 16) & 0xFF);
}

TColor QuadToColor(std::uint32_t quad) {
    return TripleToColor(quad & 0x00FFFFFF);
}

Bitmap& GradientFill24(Bitmap& bitmap, TColor topColor, TColor bottomColor) {
    TByteTriple top, bottom;
    ColorToTriple(topColor, top);
    ColorToTriple(bottomColor, bottom);
    return gradientFill(bitmap, top.b, bottom.b, 3);
}

Bitmap& GradientFill32(Bitmap& bitmap, TColor topColor, TColor bottomColor) {
    const std::uint32_t tq = ColorToQuad(topColor), bq = ColorToQuad(bottomColor);
    const std::uint8_t top[3] = {std::uint8_t(tq), std::uint8_t(tq >> 8), std::uint8_t(tq >> 16)};
    const std::uint8_t bottom[3] = {std::uint8_t(bq), std::uint8_t(bq >> 8),
                                    std::uint8_t(bq >> 16)};
    return gradientFill(bitmap, top, bottom, 4);
}

// ---- Blur -------------------------------------------------------------------------------
//
// The blur keeps the grids' own index arithmetic: pixel (x, y), counted from 0, is stored at
// grid element (x, y), counted from 1. The picture therefore lies one row up and one column
// left in the grid; reading the grid back through the same mapping undoes the shift, except that
// a neighbour left of column 0 is the last pixel of the row above, and pixel row 0 together with
// pixel (0, 1) never fit into the grid. The result is written back only from row 2 down and
// never into the last column.
//
// Reads outside the grid happen only in the first rows. Those rows go through the element
// accessors one read at a time; every later row has all its neighbours inside the grid and is
// computed over whole runs of grid elements at once, with the same arithmetic.

namespace {

// The element adapters of the two grids: a scanline pixel in, the grid's element out.
inline void storePixel(Dynarray::TByteArray2D& g, std::int32_t x, std::int32_t y,
                       const std::uint8_t* p) {
    g.SetItem(x, y, TByteTriple{{p[0], p[1], p[2]}});
}
inline void storePixel(Dynarray32::TByteArray2D32& g, std::int32_t x, std::int32_t y,
                       const std::uint8_t* p) {
    // The fourth byte carries nothing (QuadToColor drops it); keeping it 0 lets whole runs
    // be summed byte by byte below.
    g.SetItem(x, y, load32(p) & 0x00FFFFFF);
}
inline void storeBlack(Dynarray::TByteArray2D& g, std::int32_t x, std::int32_t y) {
    g.SetItem(x, y, TByteTriple{{0, 0, 0}});
}
inline void storeBlack(Dynarray32::TByteArray2D32& g, std::int32_t x, std::int32_t y) {
    g.SetItem(x, y, 0);
}
inline void loadPixel(const Dynarray::TByteArray2D& g, std::int32_t x, std::int32_t y,
                      std::uint8_t* p) {
    TByteTriple t{{p[0], p[1], p[2]}};
    g.GetItem(x, y, t);
    std::memcpy(p, t.b, 3);
}
inline void loadPixel(const Dynarray32::TByteArray2D32& g, std::int32_t x, std::int32_t y,
                      std::uint8_t* p) {
    store32(p, g.GetItem(x, y));
}

// Copies the bitmap into grid A, pixel (x, y) to element (x, y).
template <class Grid, int BPP> void fillGrid(Grid& a, const Bitmap& bitmap) {
    const std::int32_t w = bitmap.width(), h = bitmap.height();
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* p = bitmap.scanLine(y);
        if (std::uint8_t* run = a.Items(0, y, w)) {
            if constexpr (BPP == 4) {
                for (std::int32_t x = 0; x < w; ++x)
                    store32(run + 4 * x, load32(p + 4 * x) & 0x00FFFFFF);
            } else {
                std::memcpy(run, p, std::size_t(w) * 3);
            }
        } else {
            for (std::int32_t x = 0; x < w; ++x)
                storePixel(a, x, y, p + x * BPP);
        }
    }
    // The grid's last w + 1 elements receive no pixel; they read as black, like the margins.
    for (std::int32_t x = 0; x <= w; ++x)
        storeBlack(a, x, h);
}

// Writes B back into the bitmap: rows 2 to h - 1, columns 0 to w - 2.
template <class Grid, int BPP> void writeBack(const Grid& b, Bitmap& bitmap) {
    const std::int32_t w = bitmap.width(), h = bitmap.height();
    for (std::int32_t y = 2; y < h; ++y) {
        std::uint8_t* p = bitmap.scanLine(y);
        if (const std::uint8_t* run = b.Items(0, y, w - 1)) {
            std::memcpy(p, run, std::size_t(w - 1) * BPP);
        } else {
            for (std::int32_t x = 0; x < w - 1; ++x)
                loadPixel(b, x, y, p + x * BPP);
        }
    }
}

// The byte-wise form of one blurred row. For byte i of a pixel, its sum is 8 times the centre
// byte plus the same byte of the four diagonal neighbours; q = sum div 6 may exceed 255, and
// then its high bit lands in the byte below it in memory (red into green, green into blue),
// which is exactly where the packed colour value's spill puts it. `carry` is 0xFF where the
// next byte may spill in (blue and green) and 0 elsewhere.
// `up` and `down` start at the element left of column 0; `centre` and `out` at column 0.
template <int BPP>
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void blurRun(std::uint8_t* __restrict out, const std::uint8_t* __restrict up,
             const std::uint8_t* __restrict centre, const std::uint8_t* __restrict down,
             std::int32_t w, std::uint16_t* __restrict q, const std::uint8_t* __restrict carry) {
    const std::int32_t n = w * BPP;
    for (std::int32_t i = 0; i < n; ++i)
        q[i] = std::uint16_t(
            (8 * centre[i] + up[i] + up[i + 2 * BPP] + down[i] + down[i + 2 * BPP]) / BlurDivisor);
    q[n] = 0;
    for (std::int32_t i = 0; i < n; ++i)
        out[i] = std::uint8_t(q[i] | ((q[i + 1] >> 8) & carry[i]));
}

// One pixel through the element accessors, neighbour by neighbour: the filter as defined.
// The 24-bit grid leaves `item` as it was on a read outside it; the 32-bit one yields 0.
inline void blurPixel(const Dynarray::TByteArray2D& a, Dynarray::TByteArray2D& b, std::int32_t x,
                      std::int32_t y, TByteTriple& item) {
    BlurSums sums;
    for (std::int32_t dy = -1; dy <= 1; ++dy) {
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
            a.GetItem(x + dx, y + dy, item);
            sums.add(TripleToColor(packTriple(item)), BlurKernel[dx + 2][dy + 2]);
        }
    }
    TByteTriple out;
    ColorToTriple(sums.packed(), out);
    b.SetItem(x, y, out);
}
inline void blurPixel(const Dynarray32::TByteArray2D32& a, Dynarray32::TByteArray2D32& b,
                      std::int32_t x, std::int32_t y, TByteTriple&) {
    BlurSums sums;
    for (std::int32_t dy = -1; dy <= 1; ++dy)
        for (std::int32_t dx = -1; dx <= 1; ++dx)
            sums.add(QuadToColor(a.GetItem(x + dx, y + dy)), BlurKernel[dx + 2][dy + 2]);
    b.SetItem(x, y, ColorToQuad(sums.packed()));
}

// The value a 24-bit read outside the grid leaves in the shared result just before pixel
// (x, y) is computed: that of the last read inside the grid, found by going back through the
// reads in the order the filter makes them. Rows 0 and 1 are never written back, so only this
// value of theirs matters.
TByteTriple itemBefore(const Dynarray::TByteArray2D& a, std::int32_t x, std::int32_t y) {
    TByteTriple item{{0, 0, 0}};
    for (std::int64_t p = std::int64_t(y) * a.width() + x - 1; p >= 0; --p) {
        const std::int32_t px = std::int32_t(p % a.width()), py = std::int32_t(p / a.width());
        for (std::int32_t dy = 1; dy >= -1; --dy) {
            for (std::int32_t dx = 1; dx >= -1; --dx) {
                if (a.Items(px + dx, py + dy, 1)) {
                    a.GetItem(px + dx, py + dy, item);
                    return item;
                }
            }
        }
    }
    return item;
}
TByteTriple itemBefore(const Dynarray32::TByteArray2D32&, std::int32_t, std::int32_t) {
    return TByteTriple{{0, 0, 0}};
}

template <class Grid, int BPP> Bitmap& blur(Bitmap& bitmap) {
    const std::int32_t w = bitmap.width(), h = bitmap.height();
    Grid a(w, h);
    Grid b(w, h);
    fillGrid<Grid, BPP>(a, bitmap);

    std::vector<std::uint16_t> q(std::size_t(w) * BPP + 1);
    std::vector<std::uint8_t> carry(std::size_t(w) * BPP);
    for (std::size_t i = 0; i < carry.size(); ++i)
        carry[i] = i % BPP < 2 ? 0xFF : 0;

    for (std::int32_t y = 2; y < h; ++y) {
        // Pixel x's first read, (x - 1, y - 1), has linear index (y - 2) * w + x - 1; from the
        // first x where that is at least 1, every read of the row lies inside the grid.
        const std::int32_t inside =
            std::int32_t(std::clamp<std::int64_t>(2 - std::int64_t(y - 2) * w, 0, w));
        const std::int32_t n = w - inside;
        const std::uint8_t* up = a.Items(inside - 1, y - 1, n + 2);
        const std::uint8_t* centre = a.Items(inside, y, n);
        const std::uint8_t* down = a.Items(inside - 1, y + 1, n + 2);
        std::uint8_t* out = b.Items(inside, y, n);
        const bool runs = up && centre && down && out;
        const std::int32_t slowEnd = runs ? inside : w;
        if (slowEnd > 0) {
            TByteTriple item = itemBefore(a, 0, y);
            for (std::int32_t x = 0; x < slowEnd; ++x)
                blurPixel(a, b, x, y, item);
        }
        if (runs) blurRun<BPP>(out, up, centre, down, n, q.data(), carry.data());
    }
    writeBack<Grid, BPP>(b, bitmap);
    return bitmap;
}

} // namespace

Bitmap& BlurBitmap24(Bitmap& bitmap) {
    return blur<Dynarray::TByteArray2D, 3>(bitmap);
}

Bitmap& BlurBitmap32(Bitmap& bitmap) {
    return blur<Dynarray32::TByteArray2D32, 4>(bitmap);
}

} // namespace velmora::effects
