#include "model/commands/line_commands.h"

namespace velmora {

namespace {
// Colours compare by what they show: the top byte (the palette flag that colours written by the
// effects window carry) is no difference a user could see.
bool sameColour(TColor a, TColor b) {
    return (a & 0xFFFFFF) == (b & 0xFFFFFF);
}
} // namespace

TypeText::TypeText(PageDocument& doc, int n, const QString& text)
    : PageCommand(doc, QStringLiteral("Typing")), n_(n), text_(text) {}

bool TypeText::apply(PageDocument& doc) {
    doc.setText(n_, text_);
    TitleLine& l = doc.line(n_);
    if (!text_.isEmpty()) {
        l.BitmapFile.clear();
        l.InUse = true;
    } else {
        l.InUse = !l.BitmapFile.isEmpty();
    }
    return true;
}

bool TypeText::mergeWith(const QUndoCommand* other) {
    const auto* later = dynamic_cast<const TypeText*>(other);
    if (!later || later->n_ != n_) return false;
    text_ = later->text_;
    takeResultOf(*later);
    return true;
}

SetFontStyle::SetFontStyle(PageDocument& doc, int n, std::uint8_t style, const QString& name)
    : PageCommand(doc, name), n_(n), style_(style) {}

bool SetFontStyle::apply(PageDocument& doc) {
    doc.setFontStyle(n_, style_);
    return doc.stylesDifferFromBuffer();
}

SetFontColor::SetFontColor(PageDocument& doc, int n, TColor color)
    : PageCommand(doc, QStringLiteral("Font Color")), n_(n), color_(color) {}

bool SetFontColor::apply(PageDocument& doc) {
    const bool differs = !sameColour(doc.line(n_).FontColor, color_);
    doc.line(n_).FontColor = color_;
    return differs;
}

SetShadowColor::SetShadowColor(PageDocument& doc, int n, TColor color)
    : PageCommand(doc, QStringLiteral("Shadow Color")), n_(n), color_(color) {}

bool SetShadowColor::apply(PageDocument& doc) {
    doc.line(n_).ShadowColor = color_;
    return !sameColour(color_, doc.lastStored().lines[n_ - 1].attrs.ShadowColor);
}

SetShadowOn::SetShadowOn(PageDocument& doc, int n, bool on)
    : PageCommand(doc, QStringLiteral("Shadow On/Off")), n_(n), on_(on) {}

bool SetShadowOn::apply(PageDocument& doc) {
    doc.line(n_).ShadowOn = on_;
    return doc.shadowsDifferFromBuffer();
}

LineSwitchCommand::LineSwitchCommand(PageDocument& doc, const QString& text,
                                     bool TitleLine::*field, int n, bool on)
    : PageCommand(doc, text), field_(field), n_(n), on_(on) {}

bool LineSwitchCommand::apply(PageDocument& doc) {
    doc.line(n_).*field_ = on_;
    return on_ != doc.lastStored().lines[n_ - 1].attrs.*field_;
}

SetFont::SetFont(PageDocument& doc, int n, const QString& name, std::int32_t size)
    : PageCommand(doc, QStringLiteral("Font and Size")), n_(n), name_(name), size_(size) {}

bool SetFont::apply(PageDocument& doc) {
    TitleLine& l = doc.line(n_);
    // Face names compare exactly, case and all.
    const bool differs = l.FontSize != size_ || l.FontName.compare(name_, Qt::CaseSensitive) != 0;
    l.FontSize = size_;
    l.FontName = name_;
    return differs;
}

SetGradient::SetGradient(PageDocument& doc, int n, bool on, TColor endColor, TColor startColor,
                         std::optional<bool> markBeforePress)
    : PageCommand(doc, QStringLiteral("Color and Gradient")), n_(n), on_(on), end_(endColor),
      start_(startColor), markBeforePress_(markBeforePress) {}

bool SetGradient::apply(PageDocument& doc) {
    TitleLine& l = doc.line(n_);
    const bool differs = !sameColour(l.FontColor, end_) || !sameColour(l.GradientStartColor, start_);
    l.GradientOn = on_;
    l.FontColor = end_;
    l.GradientStartColor = start_;
    if (!differs && markBeforePress_) doc.setsav(*markBeforePress_);
    return differs;
}

SetDirection::SetDirection(PageDocument& doc, bool in, int n, std::int32_t code)
    : PageCommand(doc, in ? QStringLiteral("IN Direction") : QStringLiteral("OUT Direction")),
      in_(in), n_(n), code_(code) {}

bool SetDirection::apply(PageDocument& doc) {
    TitleLine& l = doc.line(n_);
    std::int32_t& current = in_ ? l.InDirection : l.OutDirection;
    if (current == 11 && code_ != 11) {
        clearedPath_ = in_ ? doc.inPath(n_) : doc.outPath(n_);
        doc.clearPath(n_, in_);
    }
    current = code_;
    (in_ ? l.InPathArmed : l.OutPathArmed) = code_ == 11;
    return doc.directionsDifferFromBuffer();
}

void SetDirection::redo() {
    // Once done, a redo clears the path again as the first time did.
    if (clearedPath_) doc_.clearPath(n_, in_);
    PageCommand::redo();
}

void SetDirection::undo() {
    if (clearedPath_) doc_.restorePath(n_, in_, *clearedPath_);
    PageCommand::undo();
}

ChooseBitmap::ChooseBitmap(PageDocument& doc, int n, const QString& name, bool shown)
    : PageCommand(doc, QStringLiteral("Bitmap")), n_(n), name_(name), shown_(shown) {}

bool ChooseBitmap::apply(PageDocument& doc) {
    TitleLine& l = doc.line(n_);
    const bool hadText = !doc.text(n_).isEmpty();
    l.BitmapFile = name_;
    l.InUse = shown_;
    // Emptying a box that held a text leaves a line with a bitmap in use.
    doc.setText(n_, QString());
    if (hadText) l.InUse = true;
    return true;
}

ChooseWave::ChooseWave(PageDocument& doc, int n, const QString& name)
    : PageCommand(doc, QStringLiteral("Wave")), n_(n), name_(name) {}

bool ChooseWave::apply(PageDocument& doc) {
    doc.line(n_).WaveFile = name_;
    return false;
}

} // namespace velmora
