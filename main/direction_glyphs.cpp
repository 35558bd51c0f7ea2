#include "main/direction_glyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace velmora {

namespace {

void arrow(QPainter& p, int size, double dx, double dy) {
    const double c = size / 2.0, r = size * 0.36;
    const QPointF from(c - dx * r, c - dy * r), to(c + dx * r, c + dy * r);
    p.drawLine(from, to);
    const double len = std::hypot(dx, dy);
    const double ux = dx / len, uy = dy / len, head = size * 0.28;
    const QPointF left(to.x() - head * (ux * 0.8 - uy * 0.6),
                       to.y() - head * (uy * 0.8 + ux * 0.6));
    const QPointF right(to.x() - head * (ux * 0.8 + uy * 0.6),
                        to.y() - head * (uy * 0.8 - ux * 0.6));
    QPainterPath path;
    path.moveTo(to);
    path.lineTo(left);
    path.lineTo(right);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

} // namespace

QPixmap directionGlyph(int glyphIndex, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    if (glyphIndex < 0 || glyphIndex > 12) return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(20, 40, 120);
    p.setPen(QPen(ink, qMax(2, size / 10), Qt::SolidLine, Qt::RoundCap));
    const int code = glyphIndex + 1;
    switch (code) {
    case 1:
        arrow(p, size, 1, 1);
        break; // down and right
    case 2:
        arrow(p, size, -1, -1);
        break; // up and left
    case 3:
        arrow(p, size, 1, -1);
        break; // up and right
    case 4:
        arrow(p, size, -1, 1);
        break; // down and left
    case 5:
        arrow(p, size, 1, 0);
        break;
    case 6:
        arrow(p, size, -1, 0);
        break;
    case 7:
        arrow(p, size, 0, 1);
        break;
    case 8:
        arrow(p, size, 0, -1);
        break;
    case 9:
    case 10: {
        const int m = size / 6;
        const int edge = code == 9 ? m : size - m;
        p.drawLine(edge, m, edge, size - m);
        arrow(p, size, code == 9 ? 1 : -1, 0);
        break;
    }
    case 11: { // a pen
        p.setPen(QPen(ink, qMax(1, size / 12)));
        QPainterPath s;
        s.moveTo(size * 0.15, size * 0.75);
        s.cubicTo(size * 0.35, size * 0.2, size * 0.6, size * 0.95, size * 0.85, size * 0.3);
        p.drawPath(s);
        break;
    }
    case 12: { // a fade
        QLinearGradient g(0, 0, size, 0);
        g.setColorAt(0, Qt::black);
        g.setColorAt(1, Qt::white);
        p.setPen(QPen(ink, 1));
        p.setBrush(g);
        p.drawRect(QRectF(size * 0.15, size * 0.25, size * 0.7, size * 0.5));
        break;
    }
    case 13: // no movement
        p.setBrush(ink);
        p.drawEllipse(QPointF(size / 2.0, size / 2.0), size * 0.18, size * 0.18);
        break;
    }
    return pm;
}

} // namespace velmora
