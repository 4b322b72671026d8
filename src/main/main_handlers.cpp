// The main window's event handlers: start-up and shut-down with the settings file, the settings
// button, the command buttons, the socket and the three timers. Each hands its event to the link
// model and then puts what changed on the widgets.

#include "main/main_window.h"

#include "main/lamp_view.h"

#include "link/duration.h"
#include "platform/datagram_socket.h"
#include "platform/message_boxes.h"
#include "platform/regular_file.h"
#include "platform/settings_opener.h"
#include "settings/globals.h"
#include "settings/settings_file.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <climits>
#include <unistd.h>

namespace {

// Far more than three lines ever need; a larger file is read only this far.
constexpr qint64 max_read = 1 << 20;

const QString& meaning(LampState state)
{
    static const QString said[] = { QStringLiteral("no status yet"), QStringLiteral("unlit"),
        QStringLiteral("lit"), QStringLiteral("call being set up") };
    return said[size_t(state)];
}

QString send_error_text(int number, const QString& description)
{
    const QString num
        = number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
    return QStringLiteral("Error sending data:") + QChar(13) + num + QStringLiteral(": ")
        + description;
}

// Switches a timer on without restarting a running one, or off.
void set_timer_enabled(QTimer* timer, bool enabled)
{
    if (!enabled)
        timer->stop();
    else if (!timer->isActive())
        timer->start();
}

} // namespace

void Main::Form_Load()
{
    model.link_up = false;
    model.multilink_up = false;
    model.dialing = false;
    model.display.Timer1 = false;
    // Fixed now: a later change of the current directory does not move the file. The separator
    // is always appended, so a root directory gives a doubled one, which works as well. With no
    // current directory (it was deleted) there is no file to read or write.
    char cwd[PATH_MAX];
    settings_path = ::getcwd(cwd, sizeof cwd)
        ? QFile::decodeName(cwd) + QDir::separator() + QStringLiteral("remote.inf")
        : QString();
    read_settings();
    set_window_width();
    reset_constat();
    model.restart_polling();
    model.online_secs = 0;
    model.multilink_secs = 0;
    show_link();
}

QString Main::Form_Unload()
{
    // A failed write leaves the previous file intact; the window closes all the same.
    return write_settings();
}

bool Main::save_settings()
{
    const QString why = write_settings();
    tell_not_saved(why, false);
    return why.isEmpty();
}

void Main::tell_not_saved(const QString& why, bool in_a_box)
{
    if (why.isEmpty())
        return;
    const QString path = settings_path.isEmpty() ? QStringLiteral("remote.inf") : settings_path;
    if (in_a_box)
        m_boxes->show_and_wait(QStringLiteral("Settings not saved to %1:\n%2").arg(path, why));
    else if (!std::exchange(m_told_on_stderr, true))
        m_boxes->print_error(
            QStringLiteral("tembrill-connect: settings not saved to %1: %2").arg(path, why));
}

void Main::read_settings()
{
    const settings_file::Contents c
        = settings_file::parse(regular_file::read(settings_path, max_read));
    if (c.position)
        place_window(c.position->top, c.position->left, c.show_duration);
    socket->setRemoteHost(c.address);
    Globals::ip_address = c.address;
    Globals::show_duration = c.show_duration;
}

QString Main::write_settings()
{
    return regular_file::replace(settings_path,
        settings_file::format({ settings_file::Position { top(), left() }, Globals::ip_address,
            Globals::show_duration }));
}

void Main::CallOption_Click()
{
    const QString remembered = Globals::ip_address;
    const bool accepted = m_settings->open_settings();
    if (!accepted || m_unloaded)
        return;
    set_window_width();
    if (Globals::ip_address != remembered) {
        socket->setRemoteHost(Globals::ip_address);
        reset_constat();
        model.restart_polling();
        show_link();
        emit shown_changed();
    }
}

void Main::reset_constat()
{
    model.reset_constat();
    show_link();
}

void Main::connect_Click() { send_command(wire::command_marker, model.connect_command()); }

void Main::multilink_Click() { send_command(wire::command_marker, model.multilink_command()); }

void Main::send_command(const qint16& marker, const qint16& code)
{
    if (const std::optional<SocketError> e = send(marker, code))
        show_send_error(e->number, e->description);
}

std::optional<SocketError> Main::send(qint16 marker, qint16 code)
{
    try {
        socket->sendData(wire::command_bytes(marker, code));
    } catch (const SocketError& e) {
        return e;
    }
    emit command_sent(code);
    return std::nullopt;
}

void Main::show_send_error(int number, const QString& description)
{
    if (number == 126)
        return;
    m_boxes->show_message(send_error_text(number, description));
}

void Main::socket_DataArrival(qint32)
{
    const quint64 handled = model.statuses_handled;
    model.socket_DataArrival(socket->getData(), *m_clock);
    show_link();
    if (model.statuses_handled != handled)
        emit status_handled();
}

WouldSend Main::would_send(Button button) const
{
    const bool line = button == Button::Connect;
    const bool enabled = line ? model.display.connect_enabled : model.display.multilink_enabled;
    return { line ? model.connect_command() : model.multilink_command(),
        !model.rights_known ? Refusal::NoStatus
            : enabled       ? Refusal::None
                            : Refusal::NotAllowed };
}

QString Main::send_button(Button button)
{
    const qint16 code
        = button == Button::Connect ? model.connect_command() : model.multilink_command();
    const std::optional<SocketError> e = send(wire::command_marker, code);
    return e ? send_error_text(e->number, e->description) : QString();
}

quint32 Main::line_seconds() const
{
    return quint32(std::max(0, round_half_even(model.online_secs)));
}

quint32 Main::second_seconds() const
{
    return quint32(std::max(0, round_half_even(model.multilink_secs)));
}

void Main::socket_Error(
    qint16, const QString& description, qint32, const QString&, const QString&, qint32, bool*)
{
    m_boxes->show_message(description);
}

void Main::Timer1_Timer()
{
    model.Timer1_Timer();
    show_link();
}

void Main::Timer2_Timer()
{
    if (model.Timer2_Timer())
        send_command(wire::command_marker, wire::cmd_poll);
    show_link();
}

void Main::Timer3_Timer()
{
    model.Timer3_Timer(*m_clock);
    show_link();
}

void Main::show_link()
{
    const LinkDisplay& d = model.display;
    if (d == m_shown)
        return;
    if (d.connected != m_shown.connected)
        connected->setPixmap(picture(d.connected));
    if (d.multilinked != m_shown.multilinked)
        multilinked->setPixmap(picture(d.multilinked));
    if (d.connect_caption != m_shown.connect_caption)
        connect->setText(d.connect_caption);
    if (d.multilink_caption != m_shown.multilink_caption)
        multilink->setText(d.multilink_caption);
    if (d.connect_enabled != m_shown.connect_enabled)
        connect->setEnabled(d.connect_enabled);
    if (d.multilink_enabled != m_shown.multilink_enabled)
        multilink->setEnabled(d.multilink_enabled);
    if (d.multilink_time_visible != m_shown.multilink_time_visible)
        multilink_time->setVisible(d.multilink_time_visible);
    if (d.online_text != m_shown.online_text)
        online_time->setText(d.online_text);
    if (d.multilink_text != m_shown.multilink_text)
        multilink_time->setText(d.multilink_text);
    if (d.Timer1 != m_shown.Timer1)
        set_timer_enabled(Timer1, d.Timer1);
    if (d.Timer2 != m_shown.Timer2)
        set_timer_enabled(Timer2, d.Timer2);
    if (d.Timer3 != m_shown.Timer3)
        set_timer_enabled(Timer3, d.Timer3);
    // A lamp is read with what it means, which does not change with each blink. A change is
    // said once the link has settled for a moment, so a flood of statuses is no flood of speech.
    if (d.line != m_shown.line)
        connected->setAccessibleName("Line " + meaning(d.line));
    if (d.second != m_shown.second)
        multilinked->setAccessibleName("Second channel " + meaning(d.second));
    if (d.line != m_shown.line || d.second != m_shown.second)
        m_announce->start();
    m_shown = d;
    emit shown_changed();
}

void Main::announce_link()
{
    // Screen readers say a notification when it shows: the notice, which no one sees, shows
    // anew with the link's state.
    const QString state = QStringLiteral("Line %1, second channel %2")
                              .arg(meaning(model.display.line), meaning(model.display.second));
    if (m_notice->accessibleName() == state)
        return;
    m_notice->setAccessibleName(state);
    m_notice->hide();
    m_notice->show();
}
