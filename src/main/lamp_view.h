#pragma once

#include <QPainter>
#include <QPixmap>
#include <QWidget>

// A lamp: shows one of the three pictures. A QLabel updates its geometry with each picture;
// a lamp that blinks ten times a second only needs to repaint itself. Screen readers read it
// as a label (Main's accessibility factory), with its name: what it shows.
class LampView : public QWidget {
public:
    using QWidget::QWidget;
    void setPixmap(const QPixmap& pixmap)
    {
        m_pixmap = pixmap;
        update();
    }
    QPixmap pixmap() const { return m_pixmap; }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawPixmap(0, 0, m_pixmap); }

private:
    QPixmap m_pixmap;
};
