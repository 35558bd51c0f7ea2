#include "playback/strip.h"

#include <QFileInfo>
#include <QImageReader>

#include "main/page_record.h"
#include "platform/Dialogs.h"
#include "platform/Screen.h"
#include "render/effects.h"

namespace velmora {

using platform::Canvas;
using platform::PixelFormat;

Strip::Strip(platform::PixelFormat format) {
    picture.setPixelFormat(format);
    setPos(platform::Screen::width() + 1, platform::Screen::height() + 1);
}

namespace {

constexpr int MaxTextLength = 255;

std::int32_t stripMargin(const Canvas& canvas, bool shadow) {
    return shadow ? canvas.font.size / 16 + 8 : 4;
}

// Smoothing first, then the gradient, each on the strip format's own routine.
void applyEffects(platform::Bitmap& bmp, const TitleLine& line, PixelFormat format) {
    const bool wide = format == PixelFormat::Bits32;
    if (line.BlurOn) {
        bmp.setPixelFormat(format);
        if (wide)
            effects::BlurBitmap32(bmp);
        else
            effects::BlurBitmap24(bmp);
    }
    if (line.GradientOn) {
        bmp.setPixelFormat(format);
        if (wide)
            effects::GradientFill32(bmp, line.GradientStartColor, line.FontColor);
        else
            effects::GradientFill24(bmp, line.GradientStartColor, line.FontColor);
    }
}

// Refuses a strip larger than four times the screen on a side, before anything is allocated:
// the line is then skipped like an unreadable picture.
bool refuseTooLarge(Strip& strip, std::int64_t width, std::int64_t height, const QString& what) {
    if (!StripTooLarge(width, height)) return false;
    strip.picture.setSize(0, 0);
    platform::dialogs().message(platform::MsgKind::Error,
                                what + QStringLiteral(" is too large to show (%1 x %2 pixels).")
                                           .arg(width)
                                           .arg(height),
                                platform::MsgButtons::OK);
    return true;
}

StripResult renderBitmap(Strip& strip, const StripInput& in) {
    const TitleLine& line = *in.line;
    const QSize stored = QImageReader(line.BitmapFile).size();
    if (stored.isValid() && refuseTooLarge(strip, stored.width(), stored.height(),
                                           QStringLiteral("The picture ") + line.BitmapFile))
        return StripResult::TooLarge;
    if (!strip.picture.loadFromFile(line.BitmapFile)) {
        strip.picture.setSize(0, 0);
            platform::dialogs().message(platform::MsgKind::Error,
                                    QStringLiteral("Error opening file: ") + line.BitmapFile,
                                    platform::MsgButtons::OK);
        return StripResult::BitmapFailed;
    }
    applyEffects(strip.picture, line, in.stripFormat);
    strip.setPos(in.restX, in.restY);

    Canvas canvas(strip.picture);
    canvas.brush.color = in.alignMode ? platform::clRed : platform::clBlack;
    canvas.frameRect(0, 0, strip.picture.width(), strip.picture.height());
    return StripResult::Bitmap;
}

StripResult renderText(Strip& strip, const StripInput& in) {
    const TitleLine& line = *in.line;
    Canvas canvas(strip.picture);
    canvas.brush.color = platform::clBlack;
    canvas.brush.style = platform::BrushStyle::Solid;
    canvas.font.name = line.FontName;
    canvas.font.color = line.ShadowOn ? line.ShadowColor : line.FontColor;
    canvas.font.size = line.FontSize;
    canvas.font.style = in.fontStyle;

    const QString text = in.text.left(MaxTextLength);
    const std::int32_t width = StripWidth(text, canvas, line.ShadowOn);
    const std::int32_t height = StripHeight(text, canvas, line.ShadowOn);
    if (refuseTooLarge(strip, width, height, QStringLiteral("The title \"") + text + '"'))
        return StripResult::TooLarge;
    strip.picture.setSize(width, height);
    strip.setPos(in.restX, in.restY);

    if (line.ShadowOn) {
        drawShadowedText(canvas, text, {6, 6}, {3, 3}, line.FontColor);
    } else {
        canvas.textOut(2, 2, text);
    }

    applyEffects(strip.picture, line, in.stripFormat);

    if (in.alignMode) {
        if (in.drawalign)
            in.drawalign(canvas, strip.picture.width(), strip.picture.height(), in.alignColor);
    } else {
        canvas.brush.color = platform::clBlack;
    }
    return StripResult::Text;
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
    const TitleLine& line = *in.line;
    // An empty name and a missing file alike mean text; a missing file is not reported.
    if (!line.BitmapFile.isEmpty() && QFileInfo(line.BitmapFile).isFile())
        return renderBitmap(strip, in);
    return renderText(strip, in);
}

bool StripTooLarge(std::int64_t width, std::int64_t height) {
    return width > 4 * std::int64_t{platform::Screen::width()} ||
           height > 4 * std::int64_t{platform::Screen::height()};
}

std::int32_t StripWidth(const QString& text, Canvas& canvas, bool shadow) {
    return canvas.textWidth(text) + stripMargin(canvas, shadow);
}

std::int32_t StripHeight(const QString& text, Canvas& canvas, bool shadow) {
    return canvas.textHeight(text) + stripMargin(canvas, shadow);
}

} // namespace velmora
