#pragma once
#include <QString>

class QLabel;
class QWidget;

namespace velmora {

// A label that shows one figure beside its caption. Assistive technology reads it as
// "caption: figure". It shows its design caption (at first "?") until it is written.
QLabel* figureLabel(QWidget* parent, const QString& caption,
                    const QString& design = QStringLiteral("?"));
// Writes a figure, keeping its accessible name in step.
void setFigure(QLabel* label, const QString& text);
// Places a window in the middle of its screen.
void centreOnScreen(QWidget& window);

} // namespace velmora
