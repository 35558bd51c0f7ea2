#include "player/strip.h"

#include <algorithm>
#include <QFileInfo>
#include <QImageReader>

#include "model/page_record.h"
#include "platform/Dialogs.h"
#include "render/effects.h"

namespace velmora {

using platform::Canvas;
using platform::PixelFormat;

Strip::Strip(platform::PixelFormat format) {
    picture.setPixelFormat(format);
}

namespace {

constexpr int MaxTextLength = 255;

std::int32_t stripMargin(const Canvas& canvas, bool shadow) {
    return shadow ? canvas.font.size / 16 + 8 : 4;
}

void blur(platform::Bitmap& bmp, PixelFormat format) {
    bmp.setPixelFormat(format);
    if (format == PixelFormat::Bits32)
        effects::BlurBitmap32(bmp);
    else
        effects::BlurBitmap24(bmp);
}

void gradient(platform::Bitmap& bmp, const TitleLine& line, PixelFormat format) {
    if (!line.GradientOn) return;
    bmp.setPixelFormat(format);
    if (format == PixelFormat::Bits32)
        effects::GradientFill32(bmp, line.GradientStartColor, line.FontColor);
    else
        effects::GradientFill24(bmp, line.GradientStartColor, line.FontColor);
}

// Smoothing first, then the gradient, each on the strip format's own routine.
void applyEffects(platform::Bitmap& bmp, const TitleLine& line, PixelFormat format) {
    if (line.BlurOn) blur(bmp, format);
    gradient(bmp, line, format);
}

// Refuses a strip larger than four times the stage on a side, before anything is allocated:
// the line is then skipped like an unreadable picture.
bool refuseTooLarge(Strip& strip, std::int64_t width, std::int64_t height, const QString& what,
                    const platform::StageView& view) {
    if (!StripTooLarge(width, height, view.stageWidth, view.stageHeight)) return false;
    strip.picture.setSize(0, 0);
    platform::dialogs().message(platform::MsgKind::Error,
                                what + QStringLiteral(" is too large to show (%1 x %2 pixels).")
                                           .arg(width)
                                           .arg(height),
                                platform::MsgButtons::OK);
    return true;
}

// A picture at the view's scale, smoothly resampled; at scale 1 it is left as it is.
void scalePicture(platform::Bitmap& picture, const platform::StageView& view) {
    if (view.num == view.den || picture.isEmpty()) return;
    const int w = std::max(1, view.length(picture.width()));
    const int h = std::max(1, view.length(picture.height()));
    const PixelFormat format = picture.pixelFormat();
    picture = platform::Bitmap::fromQImage(
        picture.toQImage().scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), format);
}

// A strip moves one stage pixel a step, which at a scale is up to that many output pixels
// rounded up; the copies of a move erase what the copy before left only when the picture's
// outermost pixels that deep are black. At scale 1 the strip's margins see to that and nothing
// is changed; at another scale the margins (and what smoothing spreads into them) may be
// thinner, so they are made black.
void clearEdges(platform::Bitmap& picture, const platform::StageView& view) {
    if (view.num == view.den || picture.isEmpty()) return;
    const int depth = int((view.num + view.den - 1) / view.den);
    const int w = picture.width(), h = picture.height();
    Canvas c(picture);
    c.brush.color = platform::clBlack;
    c.brush.style = platform::BrushStyle::Solid;
    c.fillRect(0, 0, w, depth);
    c.fillRect(0, h - depth, w, h);
    c.fillRect(0, 0, depth, h);
    c.fillRect(w - depth, 0, w, h);
}

// The smoothing blurs by whole pixels, and what its doubling turns a colour into depends on how
// many pixels a stroke is wide: a scaled line is smoothed at the stage's size and then resampled,
// so it looks the same at every size. At scale 1 that is the picture itself.
bool smoothedAtStageSize(const TitleLine& line, const platform::StageView& view) {
    return line.BlurOn && view.num != view.den;
}

platform::StageView unscaled(const platform::StageView& view) {
    return platform::StageView::scaled(view.stageWidth, view.stageHeight, 1, 1);
}

// A canvas over a strip's picture that draws the strip's stage pixels at the view's scale.
void drawAtScale(Canvas& canvas, const Strip& strip, const platform::StageView& view) {
    if (view.num != view.den)
        canvas.setView(platform::StageView::scaled(strip.width, strip.height, view.num, view.den));
}

// The picture for a strip of width x height stage pixels at the view's scale.
void sizePicture(Strip& strip, std::int32_t width, std::int32_t height,
                 const platform::StageView& view) {
    strip.width = width;
    strip.height = height;
    if (view.num == view.den)
        strip.picture.setSize(width, height);
    else
        strip.picture.setSize(std::max(1, view.length(width)), std::max(1, view.length(height)));
}

StripResult renderBitmap(Strip& strip, const StripInput& in) {
    const TitleLine& line = *in.line;
    const QSize stored = QImageReader(line.BitmapFile).size();
    if (stored.isValid() && refuseTooLarge(strip, stored.width(), stored.height(),
                                           QStringLiteral("The picture ") + line.BitmapFile,
                                           in.view))
        return StripResult::TooLarge;
    if (!strip.picture.loadFromFile(line.BitmapFile)) {
        strip.picture.setSize(0, 0);
            platform::dialogs().message(platform::MsgKind::Error,
                                    QStringLiteral("Error opening file: ") + line.BitmapFile,
                                    platform::MsgButtons::OK);
        return StripResult::BitmapFailed;
    }
    strip.width = strip.picture.width();
    strip.height = strip.picture.height();
    scalePicture(strip.picture, in.view);
    applyEffects(strip.picture, line, in.stripFormat);
    clearEdges(strip.picture, in.view);
    strip.setPos(in.restX, in.restY);

    Canvas canvas(strip.picture);
    canvas.brush.color = in.alignMode ? platform::clRed : platform::clBlack;
    canvas.frameRect(0, 0, strip.picture.width(), strip.picture.height());
    return StripResult::Bitmap;
}

// The strip canvas set for a line's text: a black background, the line's face, size and style,
// and the colour drawn first (the shadow's when there is one).
void setTitleFont(Canvas& canvas, const TitleLine& line, std::uint8_t fontStyle,
                  platform::TColor first) {
    canvas.brush.color = platform::clBlack;
    canvas.brush.style = platform::BrushStyle::Solid;
    canvas.font.name = line.FontName;
    canvas.font.color = first;
    canvas.font.size = line.FontSize;
    canvas.font.style = fontStyle;
}

void drawTitle(Canvas& canvas, const QString& text, bool shadow, platform::TColor textColor) {
    if (shadow) {
        drawShadowedText(canvas, text, {6, 6}, {3, 3}, textColor);
    } else {
        canvas.textOut(2, 2, text);
    }
}

StripResult renderText(Strip& strip, const StripInput& in) {
    const TitleLine& line = *in.line;
    Canvas canvas(strip.picture);
    setTitleFont(canvas, line, in.fontStyle, line.ShadowOn ? line.ShadowColor : line.FontColor);

    const QString text = in.text.left(MaxTextLength);
    const std::int32_t width = StripWidth(text, canvas, line.ShadowOn);
    const std::int32_t height = StripHeight(text, canvas, line.ShadowOn);
    if (refuseTooLarge(strip, width, height, QStringLiteral("The title \"") + text + '"',
                       in.view))
        return StripResult::TooLarge;
    strip.setPos(in.restX, in.restY);
    if (smoothedAtStageSize(line, in.view)) {
        sizePicture(strip, width, height, unscaled(in.view));
        drawTitle(canvas, text, line.ShadowOn, line.FontColor);
        blur(strip.picture, in.stripFormat);
        scalePicture(strip.picture, in.view);
        gradient(strip.picture, line, in.stripFormat);
        drawAtScale(canvas, strip, in.view);
    } else {
        sizePicture(strip, width, height, in.view);
        drawAtScale(canvas, strip, in.view);
        drawTitle(canvas, text, line.ShadowOn, line.FontColor);
        applyEffects(strip.picture, line, in.stripFormat);
    }
    clearEdges(strip.picture, in.view);

    if (in.alignMode) {
        if (in.drawalign) in.drawalign(canvas, strip.width, strip.height, in.alignColor);
    } else {
        canvas.brush.color = platform::clBlack;
    }
    return StripResult::Text;
}

bool isPictureLine(const TitleLine& line) {
    // An empty name and a missing file alike mean text; a missing file is not reported.
    return !line.BitmapFile.isEmpty() && QFileInfo(line.BitmapFile).isFile();
}

} // namespace

void drawShadowedText(platform::Canvas& canvas, const QString& text, QPoint shadowAt,
                      QPoint textAt, platform::TColor textColor) {
    canvas.textOut(shadowAt.x(), shadowAt.y(), text);
    canvas.brush.style = platform::BrushStyle::Clear;
    canvas.font.color = textColor;
    canvas.textOut(textAt.x(), textAt.y(), text);
    canvas.brush.style = platform::BrushStyle::Solid;
}

StripResult renderTitleStrip(Strip& strip, const StripInput& in) {
    strip.setPos(in.view.stageWidth + 1, in.view.stageHeight + 1);
    strip.width = strip.height = 0;
    if (isPictureLine(*in.line)) return renderBitmap(strip, in);
    return renderText(strip, in);
}

namespace {

// The coverage carried in red (and green's lowest bit) as one byte a pixel.
StripCoverage coverageOf(const platform::Bitmap& white) {
    const int bpp = white.bytesPerPixel(), width = white.width(), height = white.height();
    StripCoverage c;
    c.width = width;
    c.height = height;
    c.alpha.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = white.scanLine(y);
        std::uint8_t* a = c.alpha.data() + std::size_t(y) * width;
        for (int x = 0; x < width; ++x, p += bpp)
            a[x] = std::uint8_t(std::min(255, p[2] + 256 * (p[1] & 1)));
    }
    return c;
}

// A coverage smoothed at the stage's size, resampled as the strip's picture is and its edges made
// clear as the picture's are made black.
StripCoverage scaledCoverage(const StripCoverage& stage, const platform::StageView& view) {
    QImage grey(stage.alpha.data(), stage.width, stage.height, stage.width,
                QImage::Format_Grayscale8);
    const QImage scaled = grey.scaled(std::max(1, view.length(stage.width)),
                                      std::max(1, view.length(stage.height)),
                                      Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_Grayscale8);
    StripCoverage c;
    c.width = scaled.width();
    c.height = scaled.height();
    c.alpha.resize(std::size_t(c.width) * std::size_t(c.height));
    const int depth = int((view.num + view.den - 1) / view.den);
    for (int y = 0; y < c.height; ++y) {
        const uchar* from = scaled.constScanLine(y);
        std::uint8_t* to = c.alpha.data() + std::size_t(y) * c.width;
        for (int x = 0; x < c.width; ++x) {
            const bool edge = x < depth || y < depth || x >= c.width - depth ||
                              y >= c.height - depth;
            to[x] = edge ? 0 : from[x];
        }
    }
    return c;
}

} // namespace

StripCoverage renderTitleCoverage(const StripInput& in) {
    const TitleLine& line = *in.line;
    if (isPictureLine(line)) return {};
    platform::Bitmap white(0, 0, in.stripFormat);
    Canvas canvas(white);
    setTitleFont(canvas, line, in.fontStyle, platform::clWhite);
    const QString text = in.text.left(MaxTextLength);
    const std::int32_t width = StripWidth(text, canvas, line.ShadowOn);
    const std::int32_t height = StripHeight(text, canvas, line.ShadowOn);
    if (StripTooLarge(width, height, in.view.stageWidth, in.view.stageHeight) || width <= 0 ||
        height <= 0)
        return {};
    const bool atStage = smoothedAtStageSize(line, in.view);
    const platform::StageView drawn = atStage ? unscaled(in.view) : in.view;
    Strip sized(in.stripFormat);
    sizePicture(sized, width, height, drawn);
    white.setSize(sized.picture.width(), sized.picture.height());
    drawAtScale(canvas, sized, drawn);
    // The shadow, then the text over it, both in white over black: each pixel is the text's
    // coverage plus the shadow's where the text leaves it uncovered, as in the strip.
    drawTitle(canvas, text, line.ShadowOn, platform::clWhite);

    // The coverage rides in red alone. The strip's own blur then smooths it with the strip's
    // arithmetic, and what the blur's doubling carries above 255 spills into green (at most
    // 510, so a single bit) instead of being lost.
    const int bpp = white.bytesPerPixel();
    for (int y = 0; y < white.height(); ++y) {
        std::uint8_t* p = white.scanLine(y);
        for (int x = 0; x < white.width(); ++x, p += bpp)
            p[0] = p[1] = 0;
    }
    if (line.BlurOn) blur(white, in.stripFormat);
    if (atStage) return scaledCoverage(coverageOf(white), in.view);
    clearEdges(white, in.view);
    return coverageOf(white);
}

bool StripTooLarge(std::int64_t width, std::int64_t height, int stageWidth, int stageHeight) {
    return width > 4 * std::int64_t{stageWidth} || height > 4 * std::int64_t{stageHeight};
}

std::int32_t StripWidth(const QString& text, Canvas& canvas, bool shadow) {
    return canvas.textWidth(text) + stripMargin(canvas, shadow);
}

std::int32_t StripHeight(const QString& text, Canvas& canvas, bool shadow) {
    return canvas.textHeight(text) + stripMargin(canvas, shadow);
}

} // namespace velmora
