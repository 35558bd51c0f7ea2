#include "platform/Canvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QMargins>
#include <QRawFont>
#include <QTextLayout>
#include <cmath>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <vector>

#include "platform/PixelBytes.h"

namespace velmora::platform {

namespace {

// ---- Raster operations -------------------------------------------------------------------
// Each operation is one bitwise expression of source S, destination D and pattern P, applied
// to bytes (24-bit pixels) or to whole 32-bit pixels, whose fourth byte is masked back to 0.

struct OpSrcCopy {
    template <class T> static T apply(T s, T, T) { return s; }
};
struct OpNotSrcCopy {
    template <class T> static T apply(T s, T, T) { return T(~s); }
};
struct OpNotSrcErase {
    template <class T> static T apply(T s, T d, T) { return T(~(s | d)); }
};
struct OpPatPaint {
    template <class T> static T apply(T s, T d, T p) { return T(p | T(~s) | d); }
};
struct OpSrcErase {
    template <class T> static T apply(T s, T d, T) { return T(s & T(~d)); }
};
struct OpSrcInvert {
    template <class T> static T apply(T s, T d, T) { return T(s ^ d); }
};
struct OpSrcPaint {
    template <class T> static T apply(T s, T d, T) { return T(s | d); }
};
struct OpBlackness {
    template <class T> static T apply(T, T, T) { return T(0); }
};

constexpr std::uint32_t RgbMask = 0x00FFFFFF;

// The brush as a pattern: its bytes in scanline order, and as one 32-bit pixel.
struct Pattern {
    std::uint8_t b[3];
    std::uint32_t word;
    explicit Pattern(TColor c)
        : b{blueOf(c), greenOf(c), redOf(c)},
          word(std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16)) {}
};

// Row loops are built twice on x86-64, with and without AVX2, and the processor picks.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
#define VELMORA_ROW_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VELMORA_ROW_CLONES
#endif

// One row of `n` pixels, source and destination laid side by side.
template <class Op, int SB, int DB>
VELMORA_ROW_CLONES void rowOp(std::uint8_t* d, const std::uint8_t* s, int n, const Pattern& pat) {
    if constexpr (SB == 4 && DB == 4) {
        // Whole pixels at once; the compiler turns this into vector code.
        for (int i = 0; i < n; ++i, d += 4, s += 4)
            store32(d, Op::apply(load32(s), load32(d), pat.word) & RgbMask);
    } else if constexpr (SB == 3 && DB == 3 && !std::is_same_v<Op, OpPatPaint>) {
        // Without a pattern every byte is independent of its position in the pixel.
        const int bytes = n * 3;
        for (int i = 0; i < bytes; ++i)
            d[i] = Op::apply(s[i], d[i], std::uint8_t(0));
    } else {
        for (int i = 0; i < n; ++i, d += DB, s += SB) {
            const std::uint32_t sv = SB == 4 ? load32(s) : load24(s);
            const std::uint32_t dv = DB == 4 ? load32(d) : load24(d);
            const std::uint32_t r = Op::apply(sv, dv, pat.word) & RgbMask;
            if constexpr (DB == 4)
                store32(d, r);
            else
                store24(d, r);
        }
    }
}

// The same for a stretched row: source pixel of destination column i is xmap[i]. Its loop is
// short and tight: aligned to a cache line, its speed does not depend on where the linker put it.
template <class Op, int SB, int DB>
__attribute__((aligned(64))) void stretchRowOp(std::uint8_t* d, const std::uint8_t* srow, const int* xmap, int n,
                  const Pattern& pat) {
    for (int i = 0; i < n; ++i, d += DB) {
        const std::uint8_t* s = srow + std::ptrdiff_t(xmap[i]) * SB;
        const std::uint32_t sv = SB == 4 ? load32(s) : load24(s);
        const std::uint32_t dv = DB == 4 ? load32(d) : load24(d);
        const std::uint32_t r = Op::apply(sv, dv, pat.word) & RgbMask;
        if constexpr (DB == 4)
            store32(d, r);
        else
            store24(d, r);
    }
}

using RowFn = void (*)(std::uint8_t*, const std::uint8_t*, int, const Pattern&);
using StretchRowFn = void (*)(std::uint8_t*, const std::uint8_t*, const int*, int, const Pattern&);

template <class Op> RowFn rowFor(int sb, int db) {
    if (sb == 4) return db == 4 ? &rowOp<Op, 4, 4> : &rowOp<Op, 4, 3>;
    return db == 4 ? &rowOp<Op, 3, 4> : &rowOp<Op, 3, 3>;
}
template <class Op> StretchRowFn stretchRowFor(int sb, int db) {
    if (sb == 4) return db == 4 ? &stretchRowOp<Op, 4, 4> : &stretchRowOp<Op, 4, 3>;
    return db == 4 ? &stretchRowOp<Op, 3, 4> : &stretchRowOp<Op, 3, 3>;
}

// Calls f.template operator()<Op>() for the operation of `mode`.
template <class F> auto withOp(CopyMode mode, F&& f) {
    switch (mode) {
    case CopyMode::SrcCopy:
        return f.template operator()<OpSrcCopy>();
    case CopyMode::NotSrcCopy:
        return f.template operator()<OpNotSrcCopy>();
    case CopyMode::NotSrcErase:
        return f.template operator()<OpNotSrcErase>();
    case CopyMode::PatPaint:
        return f.template operator()<OpPatPaint>();
    case CopyMode::SrcErase:
        return f.template operator()<OpSrcErase>();
    case CopyMode::SrcInvert:
        return f.template operator()<OpSrcInvert>();
    case CopyMode::SrcPaint:
        return f.template operator()<OpSrcPaint>();
    case CopyMode::Blackness:
        return f.template operator()<OpBlackness>();
    }
    return f.template operator()<OpSrcCopy>();
}

// ---- Fonts ----------------------------------------------------------------------------------

bool haveGuiApp() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

int logicalDpi() {
    if (haveGuiApp())
        if (QScreen* s = QGuiApplication::primaryScreen()) return qRound(s->logicalDotsPerInchY());
    return 96;
}

// Points to pixels as the font's height: size * dpi / 72, rounded.
int fontPixelSize(int points) {
    const long long px = (std::llabs(points) * logicalDpi() + 36) / 72;
    return int(std::max(1LL, px));
}

QFont makeQFont(const Font& f) {
    QFont q(f.name);
    q.setPixelSize(fontPixelSize(f.size));
    q.setBold(f.style & fsBold);
    q.setItalic(f.style & fsItalic);
    q.setUnderline(f.style & fsUnderline);
    q.setStrikeOut(f.style & fsStrikeOut);
    return q;
}

QRect normalizedEdges(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace

Canvas::Canvas(Bitmap& target) : target_(&target) {}

StageView Canvas::view() const {
    if (hasView_) return view_;
    StageView v;
    v.stageWidth = width();
    v.stageHeight = height();
    return v;
}

QRect Canvas::bounds() const {
    const QRect all(0, 0, width(), height());
    return hasView_ ? view_.area().intersected(all) : all;
}

// The rectangle (left, top)-(right, bottom), right and bottom exclusive, on the bitmap.
QRect Canvas::mappedEdges(int left, int top, int right, int bottom) const {
    if (!hasView_) return normalizedEdges(left, top, right, bottom);
    return normalizedEdges(view_.x(left), view_.y(top), view_.x(right), view_.y(bottom));
}

void Canvas::changed(const QRect& r) {
    const QRect c = r.intersected(QRect(0, 0, width(), height()));
    if (presenter_ && !c.isEmpty()) presenter_(c);
}

// ---- Copies ---------------------------------------------------------------------------------

void Canvas::draw(int x, int y, const Bitmap& src) {
    if (hasView_) {
        x = view_.x(x);
        y = view_.y(y);
    }
    if (observer_)
        observer_({x, y, src.width(), src.height(), copyMode, false, src.width(), src.height()});
    blit(QRect(x, y, src.width(), src.height()), src, QRect(0, 0, src.width(), src.height()));
}

void Canvas::stretchDraw(int left, int top, int right, int bottom, const Bitmap& src) {
    if (hasView_) {
        left = view_.x(left);
        top = view_.y(top);
        right = view_.x(right);
        bottom = view_.y(bottom);
    }
    if (observer_)
        observer_(
            {left, top, right - left, bottom - top, copyMode, true, src.width(), src.height()});
    // A mirrored rectangle (right < left or bottom < top) draws nothing.
    if (right <= left || bottom <= top) return;
    blit(normalizedEdges(left, top, right, bottom), src, QRect(0, 0, src.width(), src.height()));
}

void Canvas::blit(const QRect& to, const Bitmap& src, const QRect& from) {
    if (src.isEmpty() || target_->isEmpty() || to.isEmpty() || from.isEmpty()) return;
    if (&src == target_) {
        // Copying within one bitmap: read from a snapshot so overlapping parts stay intact.
        const Bitmap snapshot = src;
        blit(to, snapshot, from);
        return;
    }
    if (to.size() == from.size())
        copyBlock(to.x(), to.y(), src, from);
    else
        stretchBlock(to, src, from);
    changed(to);
}

void Canvas::copyBlock(int x, int y, const Bitmap& src, const QRect& from) {
    // Clip the source to its bitmap, then the destination to our bounds, moving both together.
    int sx = from.x(), sy = from.y(), w = from.width(), h = from.height();
    const QRect b = bounds();
    auto clip = [&](int& a, int& d, int& len, int limitA, int lowD, int limitD) {
        const int shift = std::max({0, -a, lowD - d});
        a += shift;
        d += shift;
        len -= shift;
        len = std::min({len, limitA - a, limitD - d});
    };
    clip(sx, x, w, src.width(), b.left(), b.left() + b.width());
    clip(sy, y, h, src.height(), b.top(), b.top() + b.height());
    if (w <= 0 || h <= 0) return;

    const int sb = src.bytesPerPixel(), db = target_->bytesPerPixel();
    const Pattern pat(brush.color);
    const RowFn fn = withOp(copyMode, [&]<class Op>() { return rowFor<Op>(sb, db); });
    for (int row = 0; row < h; ++row)
        fn(target_->scanLine(y + row) + std::ptrdiff_t(x) * db,
           src.scanLine(sy + row) + std::ptrdiff_t(sx) * sb, w, pat);
}

// Nearest neighbour, like StretchBlt in COLORONCOLOR mode: destination column i of n takes
// source column i * m / n.
void Canvas::stretchBlock(const QRect& to, const Bitmap& src, const QRect& from) {
    const QRect clipped = to.intersected(bounds());
    if (clipped.isEmpty()) return;

    // Source columns run monotonically, so the columns that land inside the source are one run.
    std::vector<int> xmap;
    xmap.reserve(std::size_t(clipped.width()));
    int first = 0;
    for (int x = clipped.left(); x <= clipped.right(); ++x) {
        const long long sx =
            from.x() + (static_cast<long long>(x - to.x()) * from.width()) / to.width();
        if (sx < 0 || sx >= src.width()) continue;
        if (xmap.empty()) first = x;
        xmap.push_back(int(sx));
    }
    if (xmap.empty()) return;

    const int sb = src.bytesPerPixel(), db = target_->bytesPerPixel();
    const Pattern pat(brush.color);
    const StretchRowFn fn = withOp(copyMode, [&]<class Op>() { return stretchRowFor<Op>(sb, db); });
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const long long sy =
            from.y() + (static_cast<long long>(y - to.y()) * from.height()) / to.height();
        if (sy < 0 || sy >= src.height()) continue;
        fn(target_->scanLine(y) + std::ptrdiff_t(first) * db, src.scanLine(int(sy)), xmap.data(),
           int(xmap.size()), pat);
    }
}

// ---- Rectangles, lines, pixels --------------------------------------------------------------

void Canvas::fillSolid(const QRect& r, TColor c) {
    const Pattern pat(c);
    if (target_->bytesPerPixel() == 4) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* p = target_->scanLine(y) + std::ptrdiff_t(r.left()) * 4;
            for (int x = 0; x < r.width(); ++x, p += 4)
                store32(p, pat.word);
        }
    } else {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* p = target_->scanLine(y) + std::ptrdiff_t(r.left()) * 3;
            for (int x = 0; x < r.width(); ++x, p += 3)
                store24(p, pat.word);
        }
    }
}

// Horizontal and vertical lines every 8 pixels, counted from the canvas's origin; the pixels
// between them keep what was there.
void Canvas::fillCross(const QRect& r, TColor c) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (y % 8 == 0) {
            fillSolid(QRect(r.left(), y, r.width(), 1), c);
            continue;
        }
        for (int x = (r.left() + 7) / 8 * 8; x <= r.right(); x += 8)
            target_->setPixel(x, y, c);
    }
}

void Canvas::fillRect(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    const QRect r = mappedEdges(left, top, right, bottom);
    const QRect c = r.intersected(bounds());
    if (!c.isEmpty() && brush.style != BrushStyle::Clear) {
        if (brush.style == BrushStyle::Cross)
            fillCross(c, brush.color);
        else
            fillSolid(c, brush.color);
    }
    changed(r);
}

void Canvas::frameRect(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    const QRect r = mappedEdges(left, top, right, bottom);
    if (r.isEmpty()) return;
    if (brush.style != BrushStyle::Clear) {
        const QRect bounds = this->bounds();
        const QRect sides[4] = {
            QRect(r.left(), r.top(), r.width(), 1), QRect(r.left(), r.bottom(), r.width(), 1),
            QRect(r.left(), r.top(), 1, r.height()), QRect(r.right(), r.top(), 1, r.height())};
        for (const QRect& s : sides) {
            const QRect c = s.intersected(bounds);
            if (!c.isEmpty()) fillSolid(c, brush.color);
        }
    }
    changed(r);
}

void Canvas::rectangle(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    const QRect r = mappedEdges(left, top, right, bottom);
    if (r.isEmpty()) return;
    const bool outline = pen.style != PenStyle::Clear;
    // The interior; without an outline the fill reaches one pixel further left and up.
    const QRect inner = outline ? r.adjusted(1, 1, -1, -1) : r.adjusted(0, 0, -1, -1);
    const QRect c = inner.intersected(bounds());
    if (!c.isEmpty() && brush.style != BrushStyle::Clear) {
        if (brush.style == BrushStyle::Cross)
            fillCross(c, brush.color);
        else
            fillSolid(c, brush.color);
    }
    if (outline) {
        const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
        rawLineTo({l, t}, {rt, t});
        rawLineTo({rt, t}, {rt, b});
        rawLineTo({rt, b}, {l, b});
        rawLineTo({l, b}, {l, t});
    }
    changed(r);
}

void Canvas::moveTo(int x, int y) {
    penPos_ = QPoint(x, y);
}

void Canvas::plotPen(int x, int y) {
    // Through a stage view, lines stay on the stage as copies do.
    if (hasView_ && !bounds().contains(x, y)) return;
    if (pen.width <= 1) {
        target_->setPixel(x, y, pen.color);
        return;
    }
    const int half = pen.width / 2;
    for (int dy = 0; dy < pen.width; ++dy)
        for (int dx = 0; dx < pen.width; ++dx)
            target_->setPixel(x - half + dx, y - half + dy, pen.color);
}

void Canvas::lineTo(int x, int y) {
    const QPoint from = penPos_;
    penPos_ = QPoint(x, y);
    if (hasView_)
        rawLineTo(view_.map(from), view_.map(penPos_));
    else
        rawLineTo(from, penPos_);
}

// Bresenham on the bitmap from `from` to `to`; the end point itself is not drawn.
void Canvas::rawLineTo(QPoint from, QPoint to) {
    const int x = to.x(), y = to.y();
    if (pen.style == PenStyle::Clear) return;

    // On/off runs of the dashed styles, in pixels.
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6};
    const std::vector<int>* pattern = pen.style == PenStyle::Dash      ? &dash
                                      : pen.style == PenStyle::Dot     ? &dot
                                      : pen.style == PenStyle::DashDot ? &dashDot
                                                                       : nullptr;
    std::size_t run = 0;
    int left = pattern ? (*pattern)[0] : 0;

    int x0 = from.x(), y0 = from.y();
    const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const int stepX = x0 < x ? 1 : -1, stepY = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {
        if (!pattern || run % 2 == 0) plotPen(x0, y0);
        if (pattern && --left == 0) {
            run = (run + 1) % pattern->size();
            left = (*pattern)[run];
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += stepX;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += stepY;
        }
    }
    const int grow = std::max(1, pen.width);
    changed(QRect(from, QPoint(x, y)).normalized().adjusted(-grow, -grow, grow, grow));
}

void Canvas::setPixel(int x, int y, TColor c) {
    if (hasView_) {
        x = view_.x(x);
        y = view_.y(y);
        if (!bounds().contains(x, y)) return;
    }
    target_->setPixel(x, y, c);
    changed(QRect(x, y, 1, 1));
}

// ---- Text -----------------------------------------------------------------------------------

namespace {

// Whole pixels of ink beyond an edge; what a rounding error puts there is none.
int pixelsBeyond(qreal v) {
    return std::max(0, int(std::ceil(v - 1.0 / 64)));
}

// ---- Emoji ----
// Symbol faces have many emoji's code points as plain outlines, and the font fallback may pick
// one of them before the colour face; a sequence split over faces also falls apart into its
// parts (a hand and a brown square). So the emoji sequences of a text are set whole in the
// colour face.

const QString EmojiFace = QStringLiteral("Noto Color Emoji");

// Code points drawn as emoji without a selector (Emoji_Presentation), with the few text-style
// symbols among the pictographs' blocks, which a colour face draws as well.
bool emojiByDefault(char32_t c) {
    static constexpr char32_t ranges[][2] = {
        {0x231A, 0x231B},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},   {0x23F3, 0x23F3},
        {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
        {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},
        {0x26C4, 0x26C5},   {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},
        {0x26F2, 0x26F3},   {0x26F5, 0x26F5},   {0x26FA, 0x26FA},   {0x26FD, 0x26FD},
        {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},   {0x274C, 0x274C},
        {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
        {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},
        {0x2B55, 0x2B55},   {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E},
        {0x1F191, 0x1F19A}, {0x1F1E6, 0x1F1FF}, {0x1F201, 0x1F201}, {0x1F21A, 0x1F21A},
        {0x1F22F, 0x1F22F}, {0x1F232, 0x1F236}, {0x1F238, 0x1F23A}, {0x1F250, 0x1F251},
        {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF},
        {0x1FA70, 0x1FAFF}};
    for (const auto& r : ranges)
        if (c >= r[0] && c <= r[1]) return true;
    return false;
}

constexpr char32_t TextSelector = 0xFE0E, EmojiSelector = 0xFE0F, Joiner = 0x200D;

// What continues an emoji: its selector, a keycap, a skin tone, a flag's tags.
bool emojiContinues(char32_t c) {
    return c == EmojiSelector || c == 0x20E3 || (c >= 0x1F3FB && c <= 0x1F3FF) ||
           (c >= 0xE0020 && c <= 0xE007F);
}

// The emoji sequences of a text, as (start, length) in UTF-16 units; adjacent ones are one run.
std::vector<std::pair<int, int>> emojiRuns(const QString& text) {
    const std::u32string cps = text.toStdU32String();
    auto units = [](char32_t c) { return c > 0xFFFF ? 2 : 1; };
    std::vector<std::pair<int, int>> runs;
    int at = 0; // in UTF-16 units
    for (std::size_t i = 0; i < cps.size();) {
        const char32_t c = cps[i];
        const char32_t next = i + 1 < cps.size() ? cps[i + 1] : 0;
        const bool starts = (emojiByDefault(c) && next != TextSelector) ||
                            (next == EmojiSelector && c > 0x20);
        if (!starts) {
            at += units(c);
            ++i;
            continue;
        }
        const int begin = at;
        const bool flag = c >= 0x1F1E6 && c <= 0x1F1FF;
        at += units(c);
        ++i;
        if (flag && i < cps.size() && cps[i] >= 0x1F1E6 && cps[i] <= 0x1F1FF) at += units(cps[i++]);
        for (;;) {
            while (i < cps.size() && emojiContinues(cps[i]))
                at += units(cps[i++]);
            if (i + 1 >= cps.size() || cps[i] != Joiner) break;
            at += units(cps[i]) + units(cps[i + 1]);
            i += 2;
        }
        if (!runs.empty() && runs.back().first + runs.back().second == begin)
            runs.back().second += at - begin;
        else
            runs.emplace_back(begin, at - begin);
    }
    return runs;
}

// A text shaped in one line, its emoji sequences set in the colour face.
struct ShapedText {
    QTextLayout layout;
    QTextLine line;
    bool emoji = false;

    ShapedText(const QString& text, const QFont& font) : layout(QString(), font) {
        // The colour face has no glyph for the emoji selector, and the fallback would give it
        // another face, splitting the sequence before its parts are joined: within the colour
        // face's runs, where it selects nothing more, it is left out.
        QString shown;
        QList<QTextLayout::FormatRange> formats;
        int from = 0;
        for (const auto& [start, length] : emojiRuns(text)) {
            shown += text.mid(from, start - from);
            QTextLayout::FormatRange r;
            r.start = int(shown.size());
            shown += QString(text.mid(start, length)).remove(QChar(EmojiSelector));
            r.length = int(shown.size()) - r.start;
            r.format.setFontFamilies({EmojiFace});
            formats.append(r);
            from = start + length;
        }
        emoji = !formats.isEmpty();
        layout.setText(emoji ? shown + text.mid(from) : text);
        layout.setFormats(formats);
        layout.beginLayout();
        line = layout.createLine();
        layout.endLayout();
    }
    ShapedText(const ShapedText&) = delete;
    ShapedText& operator=(const ShapedText&) = delete;

    // The pen's advance; a text without emoji measures as the font's metrics measure it.
    int advance(const QFontMetrics& fm, const QString& text) const {
        if (!emoji || !line.isValid()) return fm.horizontalAdvance(text);
        return qRound(line.horizontalAdvance());
    }
};

// How far the ink of a shaped text reaches above the font's ascent and below its descent (marks
// stacked on a letter, conjuncts, a fallback face taller than the chosen one), and left of the
// pen's start and right of the advance (a headline bar, a hook, an italic's overhang, a mark
// under the last letter). Nothing for most texts. Measured on the glyphs as shaped and placed
// (QFontMetrics' tight box leaves stacked marks out).
QMargins inkOverhang(const ShapedText& shaped, const QFontMetrics& fm, const QString& text) {
    if (!shaped.line.isValid()) return {};
    QRectF ink;
    for (const QGlyphRun& run : shaped.layout.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> at = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < at.size(); ++i)
            ink |= raw.boundingRect(glyphs[i]).translated(at[i]);
    }
    if (ink.isEmpty()) return {};
    ink.translate(0, -shaped.line.ascent()); // from the line's top to the baseline
    return {pixelsBeyond(-ink.left()), pixelsBeyond(-ink.top() - fm.ascent()),
            pixelsBeyond(ink.right() - shaped.advance(fm, text)),
            pixelsBeyond(ink.bottom() - fm.descent())};
}

} // namespace

int Canvas::textWidth(const QString& text) const {
    if (!haveGuiApp()) return int(text.size()) * fontPixelSize(font.size) / 2;
    const QFont qf = makeQFont(font);
    const QFontMetrics fm(qf);
    const ShapedText shaped(text, qf);
    const QMargins over = inkOverhang(shaped, fm, text);
    return shaped.advance(fm, text) + over.left() + over.right();
}

int Canvas::textHeight(const QString& text) const {
    if (!haveGuiApp()) return fontPixelSize(font.size) * 6 / 5;
    const QFont qf = makeQFont(font);
    const QFontMetrics fm(qf);
    const QMargins over = inkOverhang(ShapedText(text, qf), fm, text);
    return fm.height() + over.top() + over.bottom();
}

void Canvas::clearFourthByte(const QRect& r) {
    const QRect c = r.intersected(QRect(0, 0, width(), height()));
    if (c.isEmpty() || target_->bytesPerPixel() != 4) return;
    for (int y = c.top(); y <= c.bottom(); ++y) {
        std::uint8_t* p = target_->scanLine(y) + std::ptrdiff_t(c.left()) * 4 + 3;
        for (int x = 0; x < c.width(); ++x, p += 4)
            *p = 0;
    }
}

void Canvas::textOut(int x, int y, const QString& text) {
    const int w = textWidth(text), h = textHeight(text);
    const bool scaled = hasView_ && view_.num != view_.den;
    QRect touched = hasView_ ? mappedEdges(x, y, x + w, y + h) : QRect(x, y, w, h);
    if (hasView_) {
        x = view_.x(x);
        y = view_.y(y);
    }
    if (brush.style == BrushStyle::Solid && w > 0 && h > 0) {
        const QRect c = touched.intersected(bounds());
        if (!c.isEmpty()) fillSolid(c, brush.color);
    }
    if (haveGuiApp() && !text.isEmpty() && !target_->isEmpty()) {
        const QFont qf = makeQFont(font);
        const QFontMetrics fm(qf);
        // Ink reaching above the ascent moves the line down by as much, into the height above;
        // ink reaching left of the pen's start moves it right, into the width before.
        const ShapedText shaped(text, qf);
        const QMargins over = inkOverhang(shaped, fm, text);
        const int baseline = fm.ascent() + over.top();
        const int start = over.left();
        QImage image = target_->wrap();
        {
            QPainter painter(&image);
            painter.setFont(qf);
            painter.setPen(QColor(redOf(font.color), greenOf(font.color), blueOf(font.color)));
            if (hasView_) painter.setClipRect(bounds());
            QPoint at(x + start, y + baseline);
            if (scaled) {
                // Laid out in stage pixels, drawn at the output's size: the glyphs are
                // rasterised at that size, not enlarged.
                painter.setRenderHint(QPainter::TextAntialiasing);
                painter.translate(x, y);
                painter.scale(view_.scale(), view_.scale());
                at = QPoint(start, baseline);
            }
            if (shaped.emoji) {
                // The runs as laid out, their baseline on the line's.
                for (const QGlyphRun& run : shaped.layout.glyphRuns())
                    painter.drawGlyphRun(QPointF(at) - QPointF(0, shaped.line.ascent()), run);
            } else {
                painter.drawText(at, text);
            }
        }
        // Glyphs may reach beyond the advance box (italics, accents).
        QRect ink = fm.boundingRect(text).translated(start, baseline);
        if (scaled)
            ink = QRect(view_.length(ink.left()), view_.length(ink.top()),
                        view_.length(ink.width()) + 1, view_.length(ink.height()) + 1);
        touched = touched.united(ink.translated(x, y)).adjusted(-2, -2, 2, 2);
        // The painter writes 0xFF into the fourth byte of the pixels it touches.
        clearFourthByte(touched);
    }
    changed(touched);
}

} // namespace velmora::platform
