#include "platform/message_boxes.h"

#include <QMessageBox>
#include <QRegularExpression>

void WidgetMessageBoxes::show_message(const QString& text)
{
    if (m_box)
        return;
    // A lone carriage return breaks the line, as the message texts expect. A text that quotes
    // something huge is cut: laying it out would freeze the window.
    QString shown = text.size() > max_text ? text.left(max_text) + QChar(0x2026) : text;
    shown.replace(QRegularExpression(QStringLiteral("\r(?!\n)")), QStringLiteral("\n"));
    auto* box = new QMessageBox(
        QMessageBox::NoIcon, QStringLiteral("Tembrill Connect"), shown, QMessageBox::Ok, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setTextFormat(Qt::PlainText);
    m_box = box;
    box->show();
}
