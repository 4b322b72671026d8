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
    // A box that must be read before the caller goes on (the program ends after it).
    virtual void show_and_wait(const QString& text) = 0;
    // Said where no one may be looking at the screen: one line on standard error.
    virtual void print_error(const QString& line) = 0;
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
    void show_and_wait(const QString& text) override;
    void print_error(const QString& line) override;
    // Characters of a message shown at the most.
    static constexpr int max_text = 1000;

private:
    QMessageBox* make_box(const QString& text);

    QPointer<QWidget> m_parent;
    QPointer<QMessageBox> m_box;
};
