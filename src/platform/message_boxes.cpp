#include "platform/message_boxes.h"

#include <QMessageBox>
#include <QRegularExpression>

#include <cstdio>
#include <memory>

QMessageBox* WidgetMessageBoxes::make_box(const QString& text)
{
    // A lone carriage return breaks the line, as the message texts expect. A text that quotes
    // something huge is cut: laying it out would freeze the window.
    QString shown = text.size() > max_text ? text.left(max_text) + QChar(0x2026) : text;
    shown.replace(QRegularExpression(QStringLiteral("\r(?!\n)")), QStringLiteral("\n"));
    auto* box = new QMessageBox(
        QMessageBox::NoIcon, QStringLiteral("Tembrill Connect"), shown, QMessageBox::Ok, m_parent);
    box->setWindowModality(Qt::ApplicationModal);
    box->setTextFormat(Qt::PlainText);
    return box;
}

void WidgetMessageBoxes::show_message(const QString& text)
{
    if (m_box)
        return;
    QMessageBox* box = make_box(text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_box = box;
    box->show();
}

void WidgetMessageBoxes::show_and_wait(const QString& text)
{
    const std::unique_ptr<QMessageBox> box(make_box(text));
    box->exec();
}

void WidgetMessageBoxes::print_error(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}
