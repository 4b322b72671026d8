#pragma once

#include <QPointer>
#include <QString>

#include <QMessageBox>
class QWidget;

// Message boxes of the application: an OK button only, no icon, the title "Tembrill Connect".
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show_message(const QString& text) = 0;
};

// The real boxes. A box does not block the caller, so timers and datagrams go on being handled
// while it is open; and never more than one is open: a message that arrives while a box is
// still open is dropped instead of stacking a second box on the first.
class WidgetMessageBoxes : public MessageBoxes {
public:
    explicit WidgetMessageBoxes(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void show_message(const QString& text) override;
    // Characters of a message shown at the most.
    static constexpr int max_text = 1000;

private:
    QPointer<QWidget> m_parent;
    QPointer<QMessageBox> m_box;
};
