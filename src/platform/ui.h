#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>

class QLabel;
class QString;
class QWidget;

namespace ui {

// The old Windows faces first, then metric-compatible substitutes, so captions keep the widths
// they were laid out for; the first installed one is used.
QFont sans_font(double points, bool underline = false);
QFont narrow_font(double points, bool underline = false);

// Twips (1440 to the inch) to device-independent pixels through the screen's logical DPI.
int twips_to_px(const QWidget* w, double twips);
double px_to_twips(const QWidget* w, int px);
QRect twips_rect(const QWidget* w, int left, int top, int width, int height);

// Puts a child widget where the layout has it, in twips of its window.
void place(QWidget* widget, int left, int top, int width, int height);
// A new label of the window, text at its top left, placed in twips.
QLabel* add_label(QWidget* window, const QString& text, int left, int top, int width, int height);

} // namespace ui
