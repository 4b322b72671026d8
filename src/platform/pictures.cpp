#include "platform/pictures.h"

#include <QPainter>
#include <QRadialGradient>

namespace pictures {

namespace {

    // A pixmap for `size` device-independent pixels at `dpr`, its painter working in a square
    // of `units` units, so every picture is drawn once and is crisp at any scale.
    QPixmap canvas(int size, qreal dpr)
    {
        QPixmap pm(QSize(size, size) * dpr);
        pm.setDevicePixelRatio(dpr);
        pm.fill(Qt::transparent);
        return pm;
    }

} // namespace

QPixmap lamp(Lamp kind, int size, qreal dpr)
{
    // Colour tells the roles apart, and so do brightness and shape for those who cannot tell
    // red from green: lit is bright with a highlight, unlit is dark, red is a square.
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
    QPixmap pm = canvas(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    QRadialGradient g(QPointF(6, 5.5), 9);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setBrush(g);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    if (kind == Lamp::Red)
        p.drawRoundedRect(QRectF(2, 2, 12, 12), 2, 2);
    else
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    if (kind == Lamp::Lit) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(QRectF(4.5, 4, 3.5, 2.5));
    }
    return pm;
}

QPixmap logo(int size, qreal dpr)
{
    QPixmap pm = canvas(size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
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

QIcon window_icon()
{
    QIcon icon;
    for (const int size : { 16, 24, 32, 48, 64, 128 })
        icon.addPixmap(logo(size, 1));
    return icon;
}

} // namespace pictures
