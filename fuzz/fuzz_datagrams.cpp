// Arbitrary bytes as events into the link model: datagrams (raw, or with agreeing pairs), and
// blink, poll and duration ticks with the clock moving on. Two oracles that do not share the
// model's logic: a datagram that is invalid or of another type changes nothing at all; and what
// a status shows of its flags (captions, lamp states, blink and duration timers, and the
// buttons a full status sets) does not depend on what came before it.

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

LinkModel started()
{
    LinkModel m;
    m.reset_constat();
    m.restart_polling();
    return m;
}

auto state(const LinkModel& m)
{
    return std::tuple(m.link_up, m.multilink_up, m.dialing, m.status_seen, m.online_start,
        m.multilink_start, m.multilink_carry, m.blink_phase, m.display);
}

// What a status shows of its flags alone; a full status sets the connect button too.
auto shown(const LinkModel& m, bool full)
{
    const LinkDisplay& d = m.display;
    return std::tuple(d.connect_caption, d.multilink_caption, d.line, d.second, d.Timer1, d.Timer3,
        full && d.connect_enabled);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Clock clock;
    LinkModel m = started();
    size_t i = 0;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        const uint8_t op = next();
        switch (op % 6) {
        case 0: { // a raw datagram of 0 to 7 bytes
            char bytes[8];
            const int n = next() % 8;
            for (int k = 0; k < n; ++k)
                bytes[k] = char(next());
            const auto before = state(m);
            m.socket_DataArrival(QByteArrayView(bytes, n), clock);
            const bool status = n >= 4 && bytes[0] == bytes[1] && bytes[2] == bytes[3]
                && uint8_t(bytes[0]) >= 252 && uint8_t(bytes[0]) <= 254;
            if (!status)
                require(state(m) == before);
            break;
        }
        case 1:
        case 2: { // a status of a type the client knows, after any history and on a fresh start
            const char type = char(252 + next() % 3);
            const char flags = char(next());
            const char bytes[] = { type, type, flags, flags };
            LinkModel fresh = started();
            fresh.display.connect_enabled = !m.display.connect_enabled;
            m.socket_DataArrival(QByteArrayView(bytes, 4), clock);
            fresh.socket_DataArrival(QByteArrayView(bytes, 4), clock);
            if (type != char(252))
                require(shown(m, type == char(254)) == shown(fresh, type == char(254)));
            break;
        }
        case 3:
            m.Timer1_Timer();
            break;
        case 4:
            m.Timer2_Timer();
            break;
        case 5: { // the clock moves on, across midnight too, then the durations tick
            clock.t.seconds += float(next()) * 97.3f;
            while (clock.t.seconds >= 86400.f) {
                clock.t.seconds -= 86400.f;
                ++clock.t.day;
            }
            m.Timer3_Timer(clock);
            break;
        }
        }
        require(!m.display.online_text.startsWith('-'));
        require(!m.display.multilink_text.startsWith('-'));
    }
    return 0;
}
