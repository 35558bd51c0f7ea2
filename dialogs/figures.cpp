#include "dialogs/figures.h"

#include <QLabel>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace velmora {

QLabel* figureLabel(QWidget* parent, const QString& caption, const QString& design) {
    auto* l = new QLabel(parent);
    l->setProperty("caption", caption);
    setFigure(l, design);
    return l;
}

void setFigure(QLabel* label, const QString& text) {
    label->setText(text);
    const QString caption = label->property("caption").toString().trimmed();
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    label->setAccessibleName(caption.isEmpty() ? shown : caption + QStringLiteral(": ") + shown);
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window.move(area.x() + (area.width() - window.width()) / 2,
                area.y() + (area.height() - window.height()) / 2);
}

} // namespace velmora
