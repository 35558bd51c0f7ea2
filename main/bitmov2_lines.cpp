// Editing a title line: typing, the edit boxes' popup menu, the direction tool bar with its
// attribute buttons, and showing the page again after an undo or redo. Every change of the page
// is a command on the document's undo stack.
#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>

#include "main/bitmov2.h"
#include "model/commands/line_commands.h"
#include "model/commands/settings_commands.h"
#include "main/direction_glyphs.h"
#include "platform/Canvas.h"
#include "platform/Dialogs.h"
#include "platform/Pump.h"

namespace velmora {

namespace {
bool isLine(int n) {
    return n >= 1 && n <= 3;
}
} // namespace

// ---- Typing and the popup menu ------------------------------------------------------------

void TBitMovOptMain::Edit1Change(int n) {
    const QString text = editFor(n)->text();
    document_.undoStack().push(new TypeText(document_, n, text));
    if (!text.isEmpty()) hidePreview(n); // typed text replaces a chosen bitmap
}

void TBitMovOptMain::PopupMenu1Popup(int n) {
    popupLine = n;
    // A '&' of the title is shown, not taken for a shortcut mark.
    QString text = editFor(n)->text();
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    EditContent->setText(QLatin1Char('[') + text + QLatin1Char(']'));
    ShadowOnOff1->setChecked(line(n).ShadowOn);
    markStyles(n);
    TITLENUM = std::uint8_t(n);
}

void TBitMovOptMain::FontAtributes1Click() {
    for (QAction* a : {Bold1, Italic1, UnderLine1, StrikeOut1})
        a->setChecked(false);
    markStyles(popupLine);
}

void TBitMovOptMain::markStyles(int n) {
    const std::uint8_t style = document_.fontStyle(n);
    Bold1->setChecked(style == platform::fsBold);
    Italic1->setChecked(style == platform::fsItalic);
    UnderLine1->setChecked(style == platform::fsUnderline);
    StrikeOut1->setChecked(style == platform::fsStrikeOut);
}

void TBitMovOptMain::styleClick(std::uint8_t style, const QString& name) {
    document_.undoStack().push(new SetFontStyle(document_, popupLine, style, name));
    showLineFont(popupLine);
}

void TBitMovOptMain::ToolButton13Click() {
    const int n = TITLENUM;
    if (isLine(n)) colorDialogColor_ = line(n).FontColor;
    const std::optional<TColor> chosen = platform::dialogs().chooseColor(colorDialogColor_);
    if (!chosen) return;
    colorDialogColor_ = *chosen;
    if (!isLine(n)) return;
    // Marks the page when the colour differs from the line's.
    document_.undoStack().push(new SetFontColor(document_, n, *chosen));
    showLineFont(n);
}

void TBitMovOptMain::ShadowColor1Click() {
    if (isLine(TITLENUM)) colorDialogColor_ = line(TITLENUM).ShadowColor;
    const std::optional<TColor> chosen = platform::dialogs().chooseColor(colorDialogColor_);
    if (!chosen) return;
    colorDialogColor_ = *chosen;
    document_.undoStack().push(new SetShadowColor(document_, popupLine, *chosen));
}

void TBitMovOptMain::ShadowOnOff1Click() {
    document_.undoStack().push(new SetShadowOn(document_, popupLine, !line(popupLine).ShadowOn));
}

// ---- The direction tool bar ---------------------------------------------------------------

void TBitMovOptMain::directionButtonClick(int n, bool in) {
    DirectionSet = in ? QStringLiteral("In") : QStringLiteral("Out");
    TITLENUM = std::uint8_t(n);
    settoolbarbuttons(n);
    directiontoolbar->adjustSize();
    const int top = editFor(n)->mapTo(this, QPoint(0, 0)).y() - 28;
    int left = t1dirbutton->mapTo(this, QPoint(0, 0)).x();
    if (!in) {
        left = T1DirOutButton->mapTo(this, QPoint(0, 0)).x() + T1DirOutButton->width() -
               directiontoolbar->width();
    }
    directiontoolbar->move(left, top);
    directiontoolbar->show();
    directiontoolbar->raise();
}

void TBitMovOptMain::settoolbarbuttons(int n) {
    if (!isLine(n)) return;
    SpeedButton1->setChecked(line(n).BlurOn);
    SpeedButton2->setChecked(line(n).GradientOn);
    SpeedButton3->setChecked(line(n).ShadowOn);
}

void TBitMovOptMain::dirClick(int k) {
    ChosenDirection = k;
    setdirectionButton(DirectionSet, TITLENUM, k - 1, k);
}

void TBitMovOptMain::setdirectionButton(const QString& way, int n, int glyph, std::int32_t code) {
    const bool in = way == QLatin1String("In");
    WorkBitmap->fill(platform::clWhite);
    if (isLine(n)) {
        showDirectionPicture(in, n, glyph);
        // Stores the code and its path arming, clears a path left, and marks the page when
        // the six codes differ from the page as last loaded or saved.
        document_.undoStack().push(new SetDirection(document_, in, n, code));
    } else if (document_.directionsDifferFromBuffer()) {
        setsav(true);
    }
    directiontoolbar->hide();
}

void TBitMovOptMain::showDirectionPicture(bool in, int n, int glyph) {
    *WorkBitmap = platform::Bitmap::fromQImage(imageList2(glyph), platform::PixelFormat::Bits24);
    QToolButton* b = in ? inButton(n) : outButton(n);
    b->setIcon(glyphIcon(WorkBitmap->toQImage()));
    b->setProperty("directionCode", glyph + 1);
}

void TBitMovOptMain::SpeedButton1Click() {
    if (isLine(TITLENUM))
        document_.undoStack().push(new SetBlurOn(document_, TITLENUM, SpeedButton1->isChecked()));
}

void TBitMovOptMain::SpeedButton2Click() {
    // The effects window's OK needs what the press found, to tell a press and a window that
    // together changed nothing from an edit.
    struct Forget {
        std::optional<GradientPress>& press;
        ~Forget() { press.reset(); }
    } forget{gradientPress_};
    const bool down = SpeedButton2->isChecked();
    if (isLine(TITLENUM)) {
        gradientPress_ = GradientPress{TITLENUM, line(TITLENUM).GradientOn, document_.changed()};
        document_.undoStack().push(new SetGradientOn(document_, TITLENUM, down));
    }
    if (down && accessories_.showEffects) accessories_.showEffects();
}

void TBitMovOptMain::SpeedButton3Click() {
    if (isLine(TITLENUM))
        document_.undoStack().push(new SetShadowOn(document_, TITLENUM, SpeedButton3->isChecked()));
}

void TBitMovOptMain::fontbuttonClick() {
    if (isLine(TITLENUM)) FontTypeSizw1Click();
}

void TBitMovOptMain::FontTypeSizw1Click() {
    if (accessories_.showFontChooser) accessories_.showFontChooser();
}

void TBitMovOptMain::ToolButton9Click() {
    directiontoolbar->hide();
    platform::pump();
}

// ---- Undo and redo ------------------------------------------------------------------------

bool TBitMovOptMain::eventFilter(QObject* watched, QEvent* event) {
    // In the edit boxes, undo and redo are the page's, not the box's own; and Ctrl+A opens the
    // align screen, the usual way there after typing a title, instead of selecting the text.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            pressed == Undo1->shortcut() || pressed == Redo1->shortcut() ||
            pressed == Align2->shortcut()) {
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TBitMovOptMain::showTexts(bool fromStart) {
    for (int n = 1; n <= 3; ++n) {
        QLineEdit* e = editFor(n);
        if (e->text() == document_.text(n)) continue;
        const QSignalBlocker block(e);
        e->setText(document_.text(n));
        e->setCursorPosition(fromStart ? 0 : int(e->text().size()));
    }
}

void TBitMovOptMain::showRestored() {
    showTexts(false);
    showSettings();
    for (int n = 1; n <= 3; ++n) {
        showLineFont(n);
        showPreview(n);
        const std::int32_t in = line(n).InDirection, out = line(n).OutDirection;
        if (in >= 1 && in <= 13) showDirectionPicture(true, n, in - 1);
        if (out >= 1 && out <= 13) showDirectionPicture(false, n, out - 1);
    }
    settoolbarbuttons(TITLENUM);
}

void TBitMovOptMain::showPreview(int n) {
    const QString& file = line(n).BitmapFile;
    if (file == shownPicture_[n - 1]) return;
    if (file.isEmpty())
        hidePreview(n);
    else
        loadbimage(file, preview(n), previewLabel(n));
}

void TBitMovOptMain::hidePreview(int n) {
    previewLabel(n)->clear();
    preview(n)->hide();
    shownPicture_[n - 1].clear();
}

int TBitMovOptMain::sliderDrag(const QSlider* slider) const {
    return slider->isSliderDown() ? sliderDrags_ : 0;
}

} // namespace velmora
