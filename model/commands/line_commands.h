#pragma once
#include <cstdint>
#include <optional>
#include <QString>

#include "model/commands/page_command.h"

// The edits of one title line (n is 1..3). Each comment says what the command changes and when
// it marks the page changed.
namespace velmora {

// Typing into a line's edit box: its text; typed text replaces a chosen bitmap. Always marks.
// Consecutive keystrokes in the same box are one step.
class TypeText : public PageCommand {
public:
    TypeText(PageDocument& doc, int n, const QString& text);
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    QString text_;
};

// A font style alone ("Bold", "Italic", "Under Line", "Strike Out"), replacing the line's
// styles; marks when any line's style differs from the page as last loaded or saved.
class SetFontStyle : public PageCommand {
public:
    SetFontStyle(PageDocument& doc, int n, std::uint8_t style, const QString& name);

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    std::uint8_t style_;
};

// The font colour from the colour dialog; marks when it differs from the colour before (the colours compare by what they show).
class SetFontColor : public PageCommand {
public:
    SetFontColor(PageDocument& doc, int n, TColor color);

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    TColor color_;
};

// The shadow colour; marks when it differs from the line's as last loaded or saved.
class SetShadowColor : public PageCommand {
public:
    SetShadowColor(PageDocument& doc, int n, TColor color);

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    TColor color_;
};

// The shadow switch; marks when any line's differs from the page as last loaded or saved.
class SetShadowOn : public PageCommand {
public:
    SetShadowOn(PageDocument& doc, int n, bool on);

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    bool on_;
};

// A switch of the line; marks when it differs from the line's as last loaded or saved.
class LineSwitchCommand : public PageCommand {
protected:
    LineSwitchCommand(PageDocument& doc, const QString& text, bool TitleLine::*field, int n,
                      bool on);
    bool apply(PageDocument& doc) override;

private:
    bool TitleLine::*field_;
    int n_;
    bool on_;
};

// The smoothing (blur) switch.
class SetBlurOn : public LineSwitchCommand {
public:
    SetBlurOn(PageDocument& doc, int n, bool on)
        : LineSwitchCommand(doc, QStringLiteral("Smoothing"), &TitleLine::BlurOn, n, on) {}
};

// The gradient switch of the tool bar.
class SetGradientOn : public LineSwitchCommand {
public:
    SetGradientOn(PageDocument& doc, int n, bool on)
        : LineSwitchCommand(doc, QStringLiteral("Gradient On/Off"), &TitleLine::GradientOn, n,
                            on) {}
};

// Font face and size from the font chooser; marks when either differs from before.
class SetFont : public PageCommand {
public:
    SetFont(PageDocument& doc, int n, const QString& name, std::int32_t size);

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    QString name_;
    std::int32_t size_;
};

// The text effects window's result: the gradient switch, the end (font) colour and the start
// colour; marks when a colour differs from before (the switch alone does not mark).
// `markBeforePress` is the changed mark as it stood before the tool bar's gradient button
// opened the window, given when the button and the window together leave the switch as the
// button found it: with the colours unchanged too, nothing was edited, and the page takes that
// mark back (the button's own step marked a switch the window then set back).
class SetGradient : public PageCommand {
public:
    SetGradient(PageDocument& doc, int n, bool on, TColor endColor, TColor startColor,
                std::optional<bool> markBeforePress = std::nullopt);

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    bool on_;
    TColor end_;
    TColor start_;
    std::optional<bool> markBeforePress_;
};

// An IN or OUT direction code and the path arming that goes with it (armed for code 11); a
// line leaving code 11 loses that path. Marks when any of the six codes differs from the page
// as last loaded or saved (and whenever a path is cleared).
class SetDirection : public PageCommand {
public:
    SetDirection(PageDocument& doc, bool in, int n, std::int32_t code);
    void redo() override;
    void undo() override;

protected:
    bool apply(PageDocument& doc) override;

private:
    bool in_;
    int n_;
    std::int32_t code_;
    std::optional<Path> clearedPath_;
};

// A picture chosen instead of the text: the bitmap name, the text emptied. `shown` is whether
// the picture could be read; the line is in use when it was, or when the line had a text.
// Always marks.
class ChooseBitmap : public PageCommand {
public:
    ChooseBitmap(PageDocument& doc, int n, const QString& name, bool shown);

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    QString name_;
    bool shown_;
};

// A wave to play with the line. Does not mark the page.
class ChooseWave : public PageCommand {
public:
    ChooseWave(PageDocument& doc, int n, const QString& name);

protected:
    bool apply(PageDocument& doc) override;

private:
    int n_;
    QString name_;
};

} // namespace velmora
