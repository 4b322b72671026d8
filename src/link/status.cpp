// Link state and its display: status datagrams set the flags, the flags set lamps, captions,
// enabled buttons and the blink and duration timers.

#include "link/duration.h"
#include "main/main_window.h"
#include "platform/time_source.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace wire;

void Main::handle_status(const Reply& reply)
{
    const qint16 type = reply[0];
    const qint16 flags = reply[2];

    if (type == reply_repoll) {
        status_seen = false;
        set_timer_enabled(Timer2, true);
        return;
    }
    if (type < reply_repoll || type > reply_full_status)
        return;

    if (flags & flag_link_up) {
        if (!link_up) {
            const TimeOfDay now = m_clock->now();
            multilink_carry = 0;
            online_start = round_half_even(now.seconds);
            online_start_day = now.day;
        }
        link_up = true;
        set_timer_enabled(Timer3, true);
    } else {
        link_up = false;
        set_timer_enabled(Timer3, false);
    }

    dialing = (flags & flag_dialing) != 0;

    if (flags & flag_multilink_up) {
        if (!multilink_up) {
            const TimeOfDay now = m_clock->now();
            multilink_start = now.seconds;
            multilink_start_day = now.day;
        }
        multilink_up = true;
        multilink_time->setVisible(true);
    } else {
        if (multilink_up)
            multilink_carry = round_half_even(multilink_secs);
        multilink_up = false;
        if (multilink_carry == 0)
            multilink_time->setVisible(false);
    }

    show_state();

    if (type == reply_full_status) {
        status_seen = true;
        update_buttons(flags);
    }
}

void Main::show_state()
{
    if (link_up) {
        connected->setPixmap(led_on->pixmap());
        connect->setText(QStringLiteral("Hang up"));
    } else {
        connected->setPixmap(led_off->pixmap());
        connect->setText(QStringLiteral("Connect"));
    }
    if (multilink_up) {
        multilinked->setPixmap(led_on->pixmap());
        multilink->setText(QStringLiteral("Singlelink"));
    } else {
        multilinked->setPixmap(led_off->pixmap());
        multilink->setText(QStringLiteral("Multilink"));
    }
    if (dialing) {
        set_timer_enabled(Timer1, true);
        if (link_up)
            multilink->setText(QStringLiteral("Singlelink"));
        else
            connect->setText(QStringLiteral("Hang up"));
    } else {
        set_timer_enabled(Timer1, false);
    }
}

void Main::update_buttons(const qint16& rights)
{
    if (!link_up && !dialing)
        connect->setEnabled(rights & right_connect);
    if (link_up || dialing)
        connect->setEnabled(rights & right_hang_up);
    if (!multilink_up && !dialing)
        multilink->setEnabled(rights & right_multilink);
    if (multilink_up || (link_up && dialing))
        multilink->setEnabled(rights & right_singlelink);
}

void Main::reset_constat()
{
    connected->setPixmap(led_red->pixmap());
    multilinked->setPixmap(led_red->pixmap());
    connected->repaint();
    multilinked->repaint();
}
