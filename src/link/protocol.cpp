// The main window's side of the datagram protocol: the command buttons, sending a command,
// reading a reply, and the socket's errors.

#include "main/main_window.h"

#include "platform/datagram_socket.h"
#include "platform/message_boxes.h"

void Main::connect_Click()
{
    send_command(wire::command_marker, wire::connect_command(link_up, dialing));
}

void Main::multilink_Click()
{
    send_command(wire::command_marker, wire::multilink_command(link_up, dialing, multilink_up));
}

void Main::send_command(const qint16& marker, const qint16& code)
{
    const QByteArray data = wire::command_bytes(marker, code);
    try {
        socket->sendData(data);
    } catch (const SocketError& e) {
        show_send_error(e.number, e.description);
    }
}

void Main::show_send_error(int number, const QString& description)
{
    if (number == 126)
        return;
    const QString num
        = number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
    m_boxes->show_message(QStringLiteral("Error sending data:") + QChar(13) + num
        + QStringLiteral(": ") + description);
}

void Main::socket_DataArrival(qint32)
{
    const std::optional<wire::Reply> reply = wire::read_reply(socket->getData());
    // Shorter than four bytes or with pairs that differ: dropped without a word.
    if (!reply || !wire::reply_valid(*reply))
        return;
    handle_status(*reply);
}

void Main::socket_Error(
    qint16, const QString& description, qint32, const QString&, const QString&, qint32, bool*)
{
    m_boxes->show_message(description);
}
