#include "link/link_model.h"

#include "link/duration.h"
#include "platform/time_source.h"

#include <algorithm>
#include <cmath>

using namespace wire;

namespace {
constexpr double seconds_per_day = 86400.0;
}

void LinkModel::socket_DataArrival(QByteArrayView datagram, const TimeSource& clock)
{
    // Shorter than four bytes or with pairs that differ: dropped without a word.
    const std::optional<Reply> reply = valid_reply(datagram);
    if (!reply)
        return;
    handle_status(*reply, clock);
}

void LinkModel::handle_status(const Reply& reply, const TimeSource& clock)
{
    const qint16 type = reply[0];
    const qint16 flags = reply[2];

    if (type == reply_repoll) {
        restart_polling();
        return;
    }
    if (type < reply_repoll || type > reply_full_status)
        return;
    ++statuses_handled;

    if (flags & flag_link_up) {
        if (!link_up) {
            const TimeOfDay now = clock.now();
            multilink_carry = 0;
            online_start = round_half_even(now.seconds);
            online_start_day = now.day;
        }
        link_up = true;
        display.Timer3 = true;
    } else {
        link_up = false;
        display.Timer3 = false;
    }

    dialing = (flags & flag_dialing) != 0;

    if (flags & flag_multilink_up) {
        if (!multilink_up) {
            const TimeOfDay now = clock.now();
            multilink_start = now.seconds;
            multilink_start_day = now.day;
        }
        multilink_up = true;
        display.multilink_time_visible = true;
    } else {
        if (multilink_up)
            multilink_carry = round_half_even(multilink_secs);
        multilink_up = false;
        if (multilink_carry == 0)
            display.multilink_time_visible = false;
    }

    show_state();

    if (type == reply_full_status) {
        status_seen = true;
        rights_known = true;
        update_buttons(flags);
    }
}

void LinkModel::show_state()
{
    static const QString connect_text = QStringLiteral("Connect");
    static const QString hang_up_text = QStringLiteral("Hang up");
    static const QString multilink_text = QStringLiteral("Multilink");
    static const QString singlelink_text = QStringLiteral("Singlelink");

    // Each caption names the command its button sends.
    display.connected = link_up ? Lamp::Lit : Lamp::Unlit;
    display.connect_caption = line_in_use() ? hang_up_text : connect_text;
    display.multilinked = multilink_up ? Lamp::Lit : Lamp::Unlit;
    display.multilink_caption = second_in_use() ? singlelink_text : multilink_text;
    display.Timer1 = dialing;
    display.line = line_setting_up() ? LampState::SettingUp
        : link_up                    ? LampState::Lit
                                     : LampState::Unlit;
    display.second = second_dialing() ? LampState::SettingUp
        : multilink_up                ? LampState::Lit
                                      : LampState::Unlit;
}

void LinkModel::update_buttons(qint16 rights)
{
    // A button is enabled by the right to send its command; the second channel's button is
    // left as it was while the line's call is being set up.
    display.connect_enabled = rights & (line_in_use() ? right_hang_up : right_connect);
    if (second_in_use())
        display.multilink_enabled = rights & right_singlelink;
    else if (!dialing)
        display.multilink_enabled = rights & right_multilink;
}

void LinkModel::reset_constat()
{
    display.connected = Lamp::Red;
    display.multilinked = Lamp::Red;
    display.line = display.second = LampState::NoStatus;
    rights_known = false;
}

void LinkModel::restart_polling()
{
    status_seen = false;
    display.Timer2 = true;
}

qint16 LinkModel::connect_command() const { return line_in_use() ? cmd_hang_up : cmd_connect; }

qint16 LinkModel::multilink_command() const
{
    return second_in_use() ? cmd_singlelink : cmd_multilink;
}

void LinkModel::Timer1_Timer()
{
    if (!dialing)
        return;
    Lamp& lamp = second_dialing() ? display.multilinked : display.connected;
    lamp = blink_phase == 0 ? Lamp::Lit : Lamp::Unlit;
    blink_phase = 1 - blink_phase;
}

bool LinkModel::Timer2_Timer()
{
    if (status_seen)
        display.Timer2 = false;
    return !status_seen;
}

void LinkModel::Timer3_Timer(const TimeSource& clock)
{
    // The time of day restarts at midnight; whole days since the start are added, so a count
    // goes on past midnight and past 24 hours. A clock set back (or a tick before the first
    // whole second) never shows a negative time: the count stays at 0 until it catches up.
    if (link_up) {
        const TimeOfDay now = clock.now();
        online_secs = std::max(0.0,
            double(std::floor(now.seconds)) - online_start
                + seconds_per_day * double(now.day - online_start_day));
        display.online_text = format_duration(round_half_even(online_secs));
    }
    if (multilink_up) {
        const TimeOfDay now = clock.now();
        const float whole = std::floor(now.seconds);
        const float since = whole - multilink_start;
        multilink_secs = std::max(0.0,
            double(since) + seconds_per_day * double(now.day - multilink_start_day)
                + multilink_carry);
        display.multilink_text = format_duration(round_half_even(multilink_secs));
    }
}
