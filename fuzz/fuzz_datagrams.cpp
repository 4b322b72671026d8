// Arbitrary bytes as events into the link model: datagrams (raw, or with agreeing pairs), and
// blink, poll and duration ticks with the clock moving on. After every event: an invalid
// datagram changed nothing, and the display is what the flags say.

#include "link/link_model.h"
#include "platform/time_source.h"

#include <cstdlib>
#include <tuple>

namespace {

struct Clock : TimeSource {
    TimeOfDay now() const override { return t; }
    TimeOfDay t { 1, 36000 };
};

void require(bool condition)
{
    if (!condition)
        std::abort();
}

auto state(const LinkModel& m)
{
    return std::tuple(m.link_up, m.multilink_up, m.dialing, m.status_seen, m.online_start,
        m.multilink_start, m.multilink_carry, m.blink_phase, m.display);
}

void check_display(const LinkModel& m, bool status_seen_once)
{
    const LinkDisplay& d = m.display;
    require(d.Timer1 == m.dialing || !status_seen_once);
    require(d.Timer3 == m.link_up);
    require(!d.online_text.startsWith('-') && !d.multilink_text.startsWith('-'));
    if (!status_seen_once) {
        require(d.connected == Lamp::Red && d.multilinked == Lamp::Red);
        return;
    }
    require(
        d.connect_caption == QLatin1StringView((m.link_up || m.dialing) ? "Hang up" : "Connect"));
    require(d.multilink_caption
        == QLatin1StringView(
            (m.multilink_up || (m.link_up && m.dialing)) ? "Singlelink" : "Multilink"));
    require(d.multilink_time_visible == (m.multilink_up || m.multilink_carry != 0));
    const bool line_blinks = m.dialing && !m.link_up;
    const bool second_blinks = m.dialing && m.link_up;
    require(line_blinks ? d.connected != Lamp::Red
                        : d.connected == (m.link_up ? Lamp::Lit : Lamp::Unlit));
    require(second_blinks ? d.multilinked != Lamp::Red
                          : d.multilinked == (m.multilink_up ? Lamp::Lit : Lamp::Unlit));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Clock clock;
    LinkModel m;
    m.reset_constat();
    m.restart_polling();
    bool status_seen_once = false;
    size_t i = 0;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        const uint8_t op = next();
        switch (op % 7) {
        case 0:
        case 1: { // a raw datagram of 0 to 7 bytes
            char bytes[8];
            const int n = next() % 8;
            for (int k = 0; k < n; ++k)
                bytes[k] = char(next());
            const QByteArrayView datagram(bytes, n);
            const auto before = state(m);
            m.socket_DataArrival(datagram, clock);
            const auto reply = wire::read_reply(datagram);
            const bool valid = reply && wire::reply_valid(*reply);
            if (!valid)
                require(state(m) == before);
            else if ((*reply)[0] == wire::reply_status || (*reply)[0] == wire::reply_full_status)
                status_seen_once = true;
            break;
        }
        case 2:
        case 3: { // a datagram with agreeing pairs, mostly of the three types the client knows
            const uint8_t type = op % 2 ? uint8_t(252 + next() % 3) : next();
            const uint8_t flags = next();
            const char bytes[] = { char(type), char(type), char(flags), char(flags) };
            m.socket_DataArrival(QByteArrayView(bytes, 4), clock);
            status_seen_once |= type == wire::reply_status || type == wire::reply_full_status;
            break;
        }
        case 4:
            m.Timer1_Timer();
            break;
        case 5:
            m.Timer2_Timer();
            break;
        case 6: { // the clock moves on, across midnight too, then the durations tick
            clock.t.seconds += float(next()) * 97.3f;
            while (clock.t.seconds >= 86400.f) {
                clock.t.seconds -= 86400.f;
                ++clock.t.day;
            }
            m.Timer3_Timer(clock);
            break;
        }
        }
        check_display(m, status_seen_once);
    }
    return 0;
}
