#include "widgets/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

QColor colourOf(Glyph g)
{
    switch (g) {
    case Glyph::Song: return QColor(0x2e, 0x7d, 0xd2);
    case Glyph::Record: return QColor(0xd3, 0x2f, 0x2f);
    case Glyph::Convert: return QColor(0x38, 0x8e, 0x3c);
    case Glyph::Setting: return QColor(0x61, 0x61, 0x61);
    case Glyph::About: return QColor(0x00, 0x83, 0x8f);
    case Glyph::Exit: return QColor(0x8e, 0x24, 0xaa);
    case Glyph::Remove: return QColor(0xc6, 0x28, 0x28);
    case Glyph::Loudness: return QColor(0x6a, 0x1b, 0x9a);
    case Glyph::Chorus: return QColor(0x00, 0x89, 0x7b);
    case Glyph::Busy: case Glyph::BusyLarge: return QColor(0xff, 0x8f, 0x00);
    default: return QColor(0x37, 0x47, 0x4f);
    }
}

void triangle(QPainter &p, double x0, double y0, double x1, double y1, double x2, double y2)
{
    p.drawPolygon(QPolygonF({QPointF(x0, y0), QPointF(x1, y1), QPointF(x2, y2)}));
}

// A curved arrow turning back to the left (mirrored: to the right).
void turnArrow(QPainter &p, bool mirrored)
{
    p.save();
    if (mirrored) {
        p.translate(100, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(Qt::white, 10, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath path(QPointF(34, 40));
    path.cubicTo(QPointF(60, 24), QPointF(84, 40), QPointF(76, 64));
    path.lineTo(QPointF(70, 74));
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    triangle(p, 18, 44, 40, 24, 44, 54);
    p.restore();
}

// Draws the glyph on a 100 x 100 canvas in white.
void drawShape(QPainter &p, Glyph g)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPen thick(Qt::white, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (g) {
    case Glyph::Song: case Glyph::AppIcon: // a quaver
        p.drawEllipse(QRectF(24, 58, 26, 20));
        p.drawRect(QRectF(42, 22, 8, 46));
        triangle(p, 50, 22, 76, 34, 50, 42);
        break;
    case Glyph::Record: // a microphone
        p.drawRoundedRect(QRectF(38, 18, 24, 40), 12, 12);
        p.setPen(thick);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(28, 30, 44, 38), 180 * 16, 180 * 16);
        p.drawLine(QPointF(50, 68), QPointF(50, 82));
        break;
    case Glyph::Convert: // two arrows
        triangle(p, 20, 36, 56, 20, 56, 52);
        triangle(p, 80, 64, 44, 48, 44, 80);
        break;
    case Glyph::Setting: // a gear
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(50, 50);
            p.rotate(i * 45);
            p.drawRect(QRectF(-7, -34, 14, 16));
            p.restore();
        }
        p.drawEllipse(QRectF(24, 24, 52, 52));
        break;
    case Glyph::About: // "i"
        p.drawEllipse(QRectF(43, 18, 14, 14));
        p.drawRect(QRectF(43, 40, 14, 42));
        break;
    case Glyph::Exit: case Glyph::Remove: // a cross
        p.setPen(QPen(Qt::white, 14, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(28, 28), QPointF(72, 72));
        p.drawLine(QPointF(72, 28), QPointF(28, 72));
        break;
    case Glyph::Add:
        p.drawRect(QRectF(42, 20, 16, 60));
        p.drawRect(QRectF(20, 42, 60, 16));
        break;
    case Glyph::Up: triangle(p, 50, 22, 80, 74, 20, 74); break;
    case Glyph::Down: triangle(p, 50, 78, 80, 26, 20, 26); break;
    case Glyph::Play: triangle(p, 30, 20, 80, 50, 30, 80); break;
    case Glyph::Stop: p.drawRect(QRectF(26, 26, 48, 48)); break;
    case Glyph::Pause:
        p.drawRect(QRectF(26, 22, 16, 56));
        p.drawRect(QRectF(58, 22, 16, 56));
        break;
    case Glyph::Previous:
        p.drawRect(QRectF(20, 24, 10, 52));
        triangle(p, 30, 50, 78, 24, 78, 76);
        break;
    case Glyph::Next:
        p.drawRect(QRectF(70, 24, 10, 52));
        triangle(p, 70, 50, 22, 24, 22, 76);
        break;
    case Glyph::Undo: turnArrow(p, false); break;
    case Glyph::Redo: turnArrow(p, true); break;
    case Glyph::Loudness: // bars rising to a level line
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(20 + i * 16, 76 - 12 * (i + 1), 10, 12 * (i + 1)));
        p.drawRect(QRectF(16, 22, 68, 6));
        break;
    case Glyph::Chorus: // a repeat sign: two bars and two dots
        p.drawRect(QRectF(22, 20, 8, 60));
        p.drawRect(QRectF(38, 20, 6, 60));
        p.drawEllipse(QRectF(56, 32, 12, 12));
        p.drawEllipse(QRectF(56, 56, 12, 12));
        break;
    case Glyph::Busy: p.drawEllipse(QRectF(30, 30, 40, 40)); break;
    case Glyph::BusyLarge: p.drawEllipse(QRectF(15, 15, 70, 70)); break;
    }
}

} // namespace

QPixmap drawGlyph(Glyph glyph, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    p.setPen(Qt::NoPen);
    p.setBrush(colourOf(glyph));
    p.drawRoundedRect(QRectF(4, 4, 92, 92), 18, 18);
    drawShape(p, glyph);
    return pm;
}

QIcon glyphIcon(Glyph glyph)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(drawGlyph(glyph, size));
    return icon;
}
