#include "platform/ui.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace ui {

static QFont make(const QStringList& families, double points, bool underline)
{
    // The first installed family of the list wins when the text is first drawn; naming them
    // all spares loading the whole font database before the window is shown.
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(points);
    f.setUnderline(underline);
    f.setWeight(QFont::Normal);
    return f;
}

QFont sans_font(double points, bool underline)
{
    return make({ "MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial", "Arimo",
                    "Helvetica" },
        points, underline);
}

QFont narrow_font(double points, bool underline)
{
    return make({ "Arial Narrow", "Liberation Sans Narrow", "Nimbus Sans Narrow",
                    "DejaVu Sans Condensed", "Liberation Sans" },
        points, underline);
}

int twips_to_px(const QWidget* w, double twips)
{
    // Far beyond any screen and still safe to add to: a stored position of any size (up to the
    // single-precision maximum) converts without overflow and stays off every screen.
    constexpr double limit = 1 << 28;
    return int(std::lround(std::clamp(twips * w->logicalDpiX() / 1440.0, -limit, limit)));
}

double px_to_twips(const QWidget* w, int px) { return px * 1440.0 / w->logicalDpiX(); }

QRect twips_rect(const QWidget* w, int left, int top, int width, int height)
{
    const int x = twips_to_px(w, left);
    const int y = twips_to_px(w, top);
    return QRect(x, y, twips_to_px(w, left + width) - x, twips_to_px(w, top + height) - y);
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twips_rect(widget->window(), left, top, width, height));
}

QLabel* add_label(QWidget* window, const QString& text, int left, int top, int width, int height)
{
    auto* label = new QLabel(text, window);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label, left, top, width, height);
    return label;
}

} // namespace ui
