#include "main/direction_glyphs.h"

#include <cmath>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora {

namespace {

constexpr int Size = 16;
const QColor Key(192, 192, 192); // the transparent colour
const QColor Red(220, 0, 0);
const QColor Blue(0, 0, 200);

QImage blank() {
    QImage img(Size, Size, QImage::Format_RGB32);
    img.fill(Key);
    return img;
}

// An arrow through the centre in direction (dx, dy), from `from` to `to` along it.
void arrow(QPainter& p, double dx, double dy, double from = -5.5, double to = 5.5) {
    const double len = std::hypot(dx, dy);
    const double ux = dx / len, uy = dy / len;
    const QPointF c(7.5, 7.5);
    const QPointF tail = c + QPointF(ux * from, uy * from);
    const QPointF tip = c + QPointF(ux * to, uy * to);
    p.setPen(QPen(Red, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(tail, tip - QPointF(ux * 2, uy * 2));
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip - QPointF(ux * 5 - uy * 4, uy * 5 + ux * 4));
    head.lineTo(tip - QPointF(ux * 5 + uy * 4, uy * 5 - ux * 4));
    head.closeSubpath();
    p.fillPath(head, Red);
}

void letter(QPainter& p, const QString& text, const QBrush& brush, QPointF offset = {}) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(14);
    f.setBold(true);
    QPainterPath path;
    path.addText(0, 0, f, text);
    const QRectF r = path.boundingRect();
    path.translate(QPointF(8 - r.center().x(), 8 - r.center().y()) + offset);
    p.fillPath(path, brush);
}

void pencil(QPainter& p) {
    p.setPen(Qt::NoPen);
    QPolygonF body({{4, 14}, {2, 12}, {11, 3}, {13, 5}});
    p.setBrush(QColor(240, 200, 0));
    p.drawPolygon(body);
    p.setBrush(QColor(230, 120, 120)); // the eraser
    p.drawPolygon(QPolygonF({{11, 3}, {13, 1}, {15, 3}, {13, 5}}));
    p.setBrush(QColor(40, 40, 40)); // the lead
    p.drawPolygon(QPolygonF({{1, 15}, {2, 12}, {4, 14}}));
    p.setPen(QPen(QColor(120, 90, 0), 1));
    p.drawLine(QPointF(3, 13), QPointF(12, 4));
}

void walker(QPainter& p) {
    // The ground leaves the corners in the key colour.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 255, 255));
    p.drawRect(1, 1, 14, 8);
    p.setBrush(QColor(255, 255, 0));
    p.drawRect(1, 9, 14, 6);
    p.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(8.5, 3.5), 1.6, 1.6);
    p.drawLine(QPointF(8, 5.5), QPointF(7, 10));      // body
    p.drawLine(QPointF(7, 10), QPointF(4.5, 14));     // back leg
    p.drawLine(QPointF(7, 10), QPointF(10, 13.5));    // front leg
    p.drawLine(QPointF(8, 6.5), QPointF(11, 8.5));    // front arm
    p.drawLine(QPointF(8, 6.5), QPointF(5, 8));       // back arm
}

void draw(QPainter& p, int index) {
    switch (index) {
    case 0: arrow(p, 1, 1); break;
    case 1: arrow(p, -1, -1); break;
    case 2: arrow(p, 1, -1); break;
    case 3: arrow(p, -1, 1); break;
    case 4: arrow(p, 1, 0); break;
    case 5: arrow(p, -1, 0); break;
    case 6: arrow(p, 0, 1); break;
    case 7: arrow(p, 0, -1); break;
    case 8: // a bar at the left, an arrow leaving it
        p.fillRect(1, 2, 2, 12, Red);
        arrow(p, 1, 0, -3.5, 7);
        break;
    case 9: // a bar at the right, an arrow leaving it to the left
        p.fillRect(13, 2, 2, 12, Red);
        arrow(p, -1, 0, -3.5, 7);
        break;
    case 10: pencil(p); break;
    case 11: letter(p, QStringLiteral("F"), QColor(110, 110, 110)); break;
    case 12: walker(p); break;
    case 13: // smoothing: a blue A with a soft halo
        letter(p, QStringLiteral("A"), QColor(150, 150, 230), {-1, 0});
        letter(p, QStringLiteral("A"), QColor(150, 150, 230), {1, 0});
        letter(p, QStringLiteral("A"), QColor(110, 110, 220), {0, 1});
        letter(p, QStringLiteral("A"), Blue);
        break;
    case 14: { // the gradient: light at the top, deep blue at the bottom
        QLinearGradient g(0, 1, 0, 15);
        g.setColorAt(0, QColor(200, 220, 255));
        g.setColorAt(1, QColor(0, 0, 160));
        p.fillRect(2, 1, 12, 14, g);
        break;
    }
    case 15: // S with a shadow
        letter(p, QStringLiteral("S"), QColor(90, 90, 90), {1.5, 1.5});
        letter(p, QStringLiteral("S"), Blue, {-0.5, -0.5});
        break;
    case 16: { // F in several colours
        QLinearGradient g(0, 2, 0, 14);
        g.setColorAt(0, Qt::red);
        g.setColorAt(0.33, QColor(255, 200, 0));
        g.setColorAt(0.66, QColor(0, 180, 0));
        g.setColorAt(1, Qt::blue);
        letter(p, QStringLiteral("F"), g);
        break;
    }
    case 17: // the font chooser: a large and a small letter
        letter(p, QStringLiteral("T"), Qt::black, {-2.5, 0});
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(11, 9, 15, 9);
        p.drawLine(13, 7, 13, 14);
        break;
    case 18: // hide the tool bar: a cross
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(4, 4, 11, 11);
        p.drawLine(11, 4, 4, 11);
        break;
    default: break;
    }
}

} // namespace

QImage imageList2(int index) {
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, index);
    return img;
}

QImage questionGlyph() {
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    letter(p, QStringLiteral("?"), Red);
    return img;
}

QIcon glyphIcon(const QImage& glyph) {
    if (glyph.isNull()) return {};
    QImage img = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = img.pixel(0, img.height() - 1);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (row[x] == key) row[x] = 0;
    }
    return QIcon(QPixmap::fromImage(img));
}

} // namespace velmora
