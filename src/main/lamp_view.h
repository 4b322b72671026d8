#pragma once

#include <QAccessibleWidget>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

// A lamp: shows one of the three pictures. A QLabel updates its geometry with each picture;
// a lamp that blinks ten times a second only needs to repaint itself. Screen readers read it
// as a label, with its name: what it shows.
class LampView : public QWidget {
public:
    explicit LampView(QWidget* parent)
        : QWidget(parent)
    {
        static const bool installed = [] {
            QAccessible::installFactory(
                [](const QString&, QObject* object) -> QAccessibleInterface* {
                    auto* lamp = dynamic_cast<LampView*>(object);
                    return lamp ? new QAccessibleWidget(lamp, QAccessible::StaticText) : nullptr;
                });
            return true;
        }();
        Q_UNUSED(installed);
    }
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
