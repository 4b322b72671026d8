#include "platform/pictures.h"

#include <QPainter>
#include <QRadialGradient>

namespace pictures {

QPixmap lamp(Lamp kind)
{
    QColor light, dark;
    switch (kind) {
    case Lamp::Lit:
        light = QColor(150, 255, 140);
        dark = QColor(0, 150, 0);
        break;
    case Lamp::Unlit:
        light = QColor(120, 140, 120);
        dark = QColor(35, 55, 35);
        break;
    case Lamp::Red:
        light = QColor(255, 150, 140);
        dark = QColor(190, 0, 0);
        break;
    }
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(6, 5.5), 9);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setBrush(g);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return pm;
}

QPixmap logo()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A blue disc with a white "T" and two small signal arcs.
    p.setPen(Qt::NoPen);
    QLinearGradient g(0, 0, 0, 32);
    g.setColorAt(0, QColor(60, 120, 210));
    g.setColorAt(1, QColor(20, 60, 140));
    p.setBrush(g);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 8, 16, 4));
    p.drawRect(QRectF(14, 8, 4, 17));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 210, 60), 2));
    p.drawArc(QRectF(19, 14, 8, 8), -60 * 16, 120 * 16);
    p.drawArc(QRectF(17, 11, 14, 14), -60 * 16, 120 * 16);
    return pm;
}

QIcon window_icon() { return QIcon(logo()); }

} // namespace pictures
