#pragma once
#include <cstdint>
#include <functional>
#include <QRect>
#include <QString>

#include "platform/Bitmap.h"
#include "platform/Color.h"
#include "platform/StageView.h"

namespace velmora::platform {

// Raster operations with their Windows codes.
enum class CopyMode : std::uint32_t {
    SrcCopy = 0x00CC0020,
    NotSrcCopy = 0x00330008,
    NotSrcErase = 0x001100A6,
    PatPaint = 0x00FB0A09,
    SrcErase = 0x00440328,
    SrcInvert = 0x00660046,
    SrcPaint = 0x00EE0086,
    Blackness = 0x00000042,
};

enum class BrushStyle { Solid, Clear, Cross };
enum class PenStyle { Solid, Dash, Dot, DashDot, Clear };

// Font style bits, as stored in page files.
enum FontStyleBits : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct Brush {
    TColor color = clWhite;
    BrushStyle style = BrushStyle::Solid;
};

struct Pen {
    TColor color = clBlack;
    PenStyle style = PenStyle::Solid;
    int width = 1;
};

// Face name, size in points, style bits and colour; the height in pixels follows from the size
// and the screen's logical resolution as (size * dpi + 36) / 72.
struct Font {
    QString name = QStringLiteral("Arial");
    int size = 10; // points, at the screen's logical resolution
    std::uint8_t style = 0;
    TColor color = clBlack;
};

// One copy of a bitmap onto a canvas, as the observer sees it, where it lands on the bitmap. For a
// stretched copy the destination rectangle is (x, y, w, h) and the source is srcW x srcH.
struct CopyRecord {
    int x = 0, y = 0, w = 0, h = 0;
    CopyMode mode = CopyMode::SrcCopy;
    bool stretched = false;
    int srcW = 0, srcH = 0;
};

// A drawing surface over a Bitmap. All drawing is clipped to the bitmap; raster operations are
// exact to their Windows definitions (D destination, S source, P the brush):
//   SRCCOPY S, NOTSRCCOPY ~S, NOTSRCERASE ~(S|D), PATPAINT P|~S|D, SRCERASE S&~D,
//   SRCINVERT S^D, SRCPAINT S|D, BLACKNESS 0.
// On 32-bit bitmaps the operations combine blue, green and red; the fourth byte stays 0.
//
// A canvas may be given a stage view: its callers then draw in stage pixels, which land scaled
// and placed as the view says, text is drawn at the scaled size, and every copy and fill is
// clipped to the stage's area. A copied bitmap is taken as already made at the view's scale:
// its corner lands at the mapped place. Text is measured in stage pixels.
class Canvas {
public:
    explicit Canvas(Bitmap& target);

    Bitmap& bitmap() { return *target_; }
    const Bitmap& bitmap() const { return *target_; }
    int width() const { return target_->width(); }
    int height() const { return target_->height(); }

    void setView(const StageView& view) {
        view_ = view;
        hasView_ = true;
    }
    void clearView() { hasView_ = false; }
    // The view drawn through: the one set, else the bitmap itself at scale 1.
    StageView view() const;
    int stageWidth() const { return view().stageWidth; }
    int stageHeight() const { return view().stageHeight; }

    CopyMode copyMode = CopyMode::SrcCopy;
    Brush brush;
    Pen pen;
    Font font;

    // Copies the whole bitmap with its top-left corner at (x, y), under copyMode.
    void draw(int x, int y, const Bitmap& src);
    // Stretches the whole bitmap into the rectangle (left, top, right, bottom), under copyMode.
    // A rectangle of zero width or height draws nothing (but is still recorded).
    void stretchDraw(int left, int top, int right, int bottom, const Bitmap& src);

    // Fills (left, top)-(right, bottom), right and bottom exclusive, with the brush.
    void fillRect(int left, int top, int right, int bottom);
    // A one-pixel frame in the brush colour.
    void frameRect(int left, int top, int right, int bottom);
    // Outlined with the pen, filled with the brush (when its style is not Clear).
    void rectangle(int left, int top, int right, int bottom);
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    QPoint penPos() const { return penPos_; }

    TColor pixel(int x, int y) const {
        return hasView_ ? target_->pixel(view_.x(x), view_.y(y)) : target_->pixel(x, y);
    }
    void setPixel(int x, int y, TColor c);

    // Text extents in the current font, of the shaped text: the advance width and the font's
    // height (ascent plus descent) with whatever ink reaches beyond them (stacked marks, a taller
    // fallback face), at the screen's logical resolution.
    int textWidth(const QString& text) const;
    int textHeight(const QString& text) const;
    // Draws text with its top-left corner at (x, y) in the font colour, shaped (right to left
    // where the text runs so, faces that have the glyphs the font lacks); the background is
    // filled with the brush colour unless the brush style is Clear.
    void textOut(int x, int y, const QString& text);

    // Called with each copy (tests check movement step by step with it).
    void setObserver(std::function<void(const CopyRecord&)> observer) {
        observer_ = std::move(observer);
    }
    // Called with each changed rectangle, so a window can present it at once.
    void setPresenter(std::function<void(const QRect&)> presenter) {
        presenter_ = std::move(presenter);
    }
    // Presents a rectangle (clipped) through the presenter, if any.
    void changed(const QRect& r);

private:
    // Copies src's part `from` into `to` under copyMode, stretching when the sizes differ.
    void blit(const QRect& to, const Bitmap& src, const QRect& from);
    void copyBlock(int x, int y, const Bitmap& src, const QRect& from);
    void stretchBlock(const QRect& to, const Bitmap& src, const QRect& from);
    // Paints the pen at one point of a line (a square of the pen's width).
    void plotPen(int x, int y);
    // Fills a rectangle (right and bottom exclusive, already clipped) with one colour.
    void fillSolid(const QRect& r, TColor c);
    void fillCross(const QRect& r, TColor c);
    void clearFourthByte(const QRect& r);
    // What drawing may touch: the stage's area on the bitmap, or the whole bitmap.
    QRect bounds() const;
    QRect mappedEdges(int left, int top, int right, int bottom) const;
    void rawLineTo(QPoint from, QPoint to);

    Bitmap* target_;
    StageView view_;
    bool hasView_ = false;
    QPoint penPos_;
    std::function<void(const CopyRecord&)> observer_;
    std::function<void(const QRect&)> presenter_;
};

} // namespace velmora::platform
