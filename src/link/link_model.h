#pragma once

#include "link/wire.h"
#include "platform/lamp.h"

#include <QByteArrayView>
#include <QString>

class TimeSource;

// Words, here and in the window:
//   line = link = online: the device's first channel (flag_link_up, link_up, the `connect`
//     button, the `connected` lamp, `online_time`).
//   second channel = multilink: the channel added while the line is up (flag_multilink_up,
//     multilink_up, the `multilink` button, the `multilinked` lamp, `multilink_time`).
//   dialing: a call is being set up; the line's while the line is down, else the second
//     channel's.
// A lamp has a picture (Lamp: red, lit, unlit), what it shows at this moment, and a meaning
// (LampState), what the picture stands for: red is no status yet, and a lamp whose call is being
// set up alternates lit and unlit pictures while its meaning stays "setting up".

// What a lamp means, for assistive technology: unlike its picture, it does not change with
// each blink.
enum class LampState : quint8 { NoStatus, Unlit, Lit, SettingUp };

// What the strip window shows of the link, and which of its three timers run. The defaults are
// the window's design: unlit lamps, "Connect" and "Multilink", everything enabled and visible.
struct LinkDisplay {
    Lamp connected = Lamp::Unlit;
    Lamp multilinked = Lamp::Unlit;
    LampState line = LampState::Unlit;
    LampState second = LampState::Unlit;
    QString connect_caption = QStringLiteral("Connect");
    QString multilink_caption = QStringLiteral("Multilink");
    bool connect_enabled = true;
    bool multilink_enabled = true;
    bool multilink_time_visible = true;
    QString online_text = QStringLiteral("00:00:00");
    QString multilink_text = QStringLiteral("00:00:00");
    bool Timer1 = false; // blink, 100 ms
    bool Timer2 = false; // poll, 1000 ms
    bool Timer3 = false; // durations, 500 ms

    bool operator==(const LinkDisplay&) const = default;
};

// The device link as the client sees it: the link flags, the polling state, the start times and
// carries the durations are counted from, and the display that follows from them. An event goes
// in (a datagram, a tick) with the time of day, the model changes, and the window puts what
// changed on its widgets. Nothing here knows a widget, a timer or a socket.
class LinkModel {
public:
    bool link_up = false;
    bool multilink_up = false;
    bool dialing = false;
    bool status_seen = false;
    // A full status has come since start or since the address changed: the rights are known.
    bool rights_known = false;
    // Statuses handled (types 253 and 254), counted for those who watch the link.
    quint64 statuses_handled = 0;
    double online_secs = 0;
    qint32 online_start = 0;
    double multilink_secs = 0;
    float multilink_start = 0;
    qint32 multilink_carry = 0;
    // Days on which the line and the second channel came up, so a count goes on past midnight.
    qint64 online_start_day = 0;
    qint64 multilink_start_day = 0;
    // Shared by both lamps and never reset: 0 lights the blinking lamp on the next tick.
    int blink_phase = 0;

    LinkDisplay display;

    // A datagram has arrived: a valid one goes to handle_status, any other is dropped.
    void socket_DataArrival(QByteArrayView datagram, const TimeSource& clock);
    void handle_status(const wire::Reply& reply, const TimeSource& clock);
    void show_state();
    void update_buttons(qint16 rights);
    // Both lamps red until the device answers again.
    void reset_constat();
    // The line is up or its call is being set up: its button hangs up.
    bool line_in_use() const { return link_up || dialing; }
    // The line's call is being set up: dialing while the line is down.
    bool line_setting_up() const { return dialing && !link_up; }
    // The second channel's call is being set up: dialing while the line is up.
    bool second_dialing() const { return link_up && dialing; }
    // The second channel is up or its call is being set up: its button drops it.
    bool second_in_use() const { return multilink_up || second_dialing(); }
    // Polling starts (again) until the next full status.
    void restart_polling();

    // The command each button sends, from the flags at the moment of the click.
    qint16 connect_command() const;
    qint16 multilink_command() const;

    void Timer1_Timer();
    // True when a poll is to be sent.
    bool Timer2_Timer();
    void Timer3_Timer(const TimeSource& clock);
};
