// The three timers: blink (Timer1), poll (Timer2), durations (Timer3).

#include "link/duration.h"
#include "main/main_window.h"
#include "platform/time_source.h"

#include <QLabel>
#include <QTimer>

#include <cmath>

namespace {
constexpr double seconds_per_day = 86400.0;
}

void Main::Timer1_Timer()
{
    if (!dialing)
        return;
    QLabel* lamp = link_up ? multilinked : connected;
    if (blink_phase == 0) {
        lamp->setPixmap(led_on->pixmap());
        blink_phase = 1;
    } else {
        lamp->setPixmap(led_off->pixmap());
        blink_phase = 0;
    }
}

void Main::Timer2_Timer()
{
    if (!status_seen)
        send_command(wire::command_marker, wire::cmd_poll);
    else
        Timer2->stop();
}

void Main::Timer3_Timer()
{
    // The time of day restarts at midnight; whole days since the start are added, so a count
    // goes on past midnight and past 24 hours.
    if (link_up) {
        const TimeOfDay now = m_clock->now();
        online_secs = double(std::floor(now.seconds)) - online_start
            + seconds_per_day * double(now.day - online_start_day);
        online_time->setText(format_duration(round_half_even(online_secs)));
    }
    if (multilink_up) {
        const TimeOfDay now = m_clock->now();
        const float whole = std::floor(now.seconds);
        const float since = whole - multilink_start;
        multilink_secs = double(since) + seconds_per_day * double(now.day - multilink_start_day)
            + multilink_carry;
        multilink_time->setText(format_duration(round_half_even(multilink_secs)));
    }
}
