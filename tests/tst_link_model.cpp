#include "platform_fakes.h"

#include "link/link_model.h"

#include <QTest>

using namespace wire;

namespace {

constexpr int up = flag_link_up;
constexpr int dialing = flag_dialing;
constexpr int second = flag_multilink_up;

const char* name(Lamp lamp)
{
    const char* names[] = { "unlit", "lit", "red" };
    return names[int(lamp)];
}

// The model as the window has it right after start: lamps red, polling on.
LinkModel started()
{
    LinkModel m;
    m.reset_constat();
    m.restart_polling();
    return m;
}

// One event of a row, in order: a datagram arrives, the clock is set, a timer ticks, or the
// lamps turn red.
struct Step {
    enum Kind { Datagram, Clock, Blink, Poll, Count, Red } kind;
    QByteArray datagram = {};
    TimeOfDay at = {};
};
using Steps = QList<Step>;

Step bytes(const char* hex) { return { Step::Datagram, QByteArray::fromHex(hex) }; }

// A status datagram: type, type, flags, flags.
Step status(int type, int flags)
{
    QByteArray datagram(4, char(type));
    datagram[2] = datagram[3] = char(flags);
    return { Step::Datagram, datagram };
}

Step at(float seconds, qint64 day = 1) { return { Step::Clock, {}, { day, seconds } }; }
const Step blink { Step::Blink };
const Step poll { Step::Poll };
const Step count { Step::Count };
const Step red { Step::Red };

// Runs the steps on a model; returns the polls sent.
int run(LinkModel& m, const Steps& steps)
{
    FakeClock clock;
    int polls = 0;
    for (const Step& step : steps) {
        if (step.kind == Step::Datagram)
            m.socket_DataArrival(step.datagram, clock);
        else if (step.kind == Step::Clock)
            clock.t = step.at;
        else if (step.kind == Step::Blink)
            m.Timer1_Timer();
        else if (step.kind == Step::Poll)
            polls += m.Timer2_Timer();
        else if (step.kind == Step::Count)
            m.Timer3_Timer(clock);
        else
            m.reset_constat();
    }
    return polls;
}

// What a status shows, whatever the rights.
struct Shown {
    QStringList lamps; // line, second channel: lit, unlit or blink
    QStringList captions;
    QList<int> commands; // sent by connect, multilink
    bool blinking; // Timer1
    bool counting; // Timer3
    bool second_time; // the second channel's duration is visible
};

} // namespace

Q_DECLARE_METATYPE(Shown)
Q_DECLARE_METATYPE(Steps)

class tst_link_model : public QObject {
    Q_OBJECT
private slots:
    void display_data();
    void display();
    void durations_data();
    void durations();
    void events_data();
    void events();
};

void tst_link_model::display_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("flags");
    QTest::addColumn<Shown>("shown");
    QTest::addColumn<int>("connect_right"); // the right that enables it; 0: left as it was
    QTest::addColumn<int>("multilink_right");
    // A plain status leaves both buttons as they were; a full one sets each from its right.
    const auto rows
        = [](const char* state, int flags, const Shown& shown, int connect, int multilink) {
              QTest::addRow("%s, status", state) << int(reply_status) << flags << shown << 0 << 0;
              QTest::addRow("%s, full status", state)
                  << int(reply_full_status) << flags << shown << connect << multilink;
          };
    // Captions and the commands their buttons send.
    const QStringList idle { "Connect", "Multilink" };
    const QList<int> idle_sends { cmd_connect, cmd_multilink };
    const QStringList line { "Hang up", "Multilink" };
    const QList<int> line_sends { cmd_hang_up, cmd_multilink };
    const QStringList both { "Hang up", "Singlelink" };
    const QList<int> both_sends { cmd_hang_up, cmd_singlelink };
    rows("idle", 0, { { "unlit", "unlit" }, idle, idle_sends, false, false, false }, right_connect,
        right_multilink);
    rows("line dialing", dialing, { { "blink", "unlit" }, line, line_sends, true, false, false },
        right_hang_up, 0);
    rows("line up", up, { { "lit", "unlit" }, line, line_sends, false, true, false }, right_hang_up,
        right_multilink);
    rows("second dialing", up | dialing,
        { { "lit", "blink" }, both, both_sends, true, true, false }, right_hang_up,
        right_singlelink);
    rows("both up", up | second, { { "lit", "lit" }, both, both_sends, false, true, true },
        right_hang_up, right_singlelink);
    rows("both up, dialing", up | dialing | second,
        { { "lit", "blink" }, both, both_sends, true, true, true }, right_hang_up,
        right_singlelink);
    rows("second only", second,
        { { "unlit", "lit" }, { "Connect", "Singlelink" }, { cmd_connect, cmd_singlelink }, false,
            false, true },
        right_connect, right_singlelink);
    rows("second up, line dialing", dialing | second,
        { { "blink", "lit" }, both, both_sends, true, false, true }, right_hang_up,
        right_singlelink);
}

void tst_link_model::display()
{
    QFETCH(int, type);
    QFETCH(int, flags);
    QFETCH(Shown, shown);
    QFETCH(int, connect_right);
    QFETCH(int, multilink_right);
    // Each right alone, and none, on buttons that start enabled and disabled.
    for (const int right : { 0, 0x08, 0x10, 0x20, 0x40 }) {
        for (const bool before : { true, false }) {
            LinkModel m = started();
            m.display.connect_enabled = m.display.multilink_enabled = before;
            run(m, { status(type, flags | right) });
            const QByteArray with
                = QString("right %1, before %2").arg(right).arg(before).toLatin1();
            const bool connect = connect_right ? right == connect_right : before;
            QVERIFY2(m.display.connect_enabled == connect, "connect: " + with);
            const bool multilink = multilink_right ? right == multilink_right : before;
            QVERIFY2(m.display.multilink_enabled == multilink, "multilink: " + with);
        }
    }
    LinkModel m = started();
    run(m, { status(type, flags) });
    QCOMPARE(
        QStringList({ m.display.connect_caption, m.display.multilink_caption }), shown.captions);
    QCOMPARE(QList<int>({ m.connect_command(), m.multilink_command() }), shown.commands);
    QCOMPARE(m.display.Timer1, shown.blinking);
    QCOMPARE(m.display.Timer3, shown.counting);
    QCOMPARE(m.display.multilink_time_visible, shown.second_time); // no carry yet
    // Over three blink ticks a blinking lamp shows lit, unlit, lit; any other keeps its picture.
    // What it means stays.
    const Lamp* pictures[] = { &m.display.connected, &m.display.multilinked };
    const LampState* meanings[] = { &m.display.line, &m.display.second };
    const QMap<QString, LampState> meaning { { "blink", LampState::SettingUp },
        { "lit", LampState::Lit }, { "unlit", LampState::Unlit } };
    QStringList seen[2];
    for (int tick = 0; tick < 3; ++tick) {
        m.Timer1_Timer();
        for (int lamp = 0; lamp < 2; ++lamp) {
            seen[lamp] << name(*pictures[lamp]);
            QCOMPARE(*meanings[lamp], meaning[shown.lamps[lamp]]);
        }
    }
    const QStringList blinking { "lit", "unlit", "lit" };
    for (int lamp = 0; lamp < 2; ++lamp) {
        const QString& l = shown.lamps[lamp];
        QCOMPARE(seen[lamp], l == "blink" ? blinking : QStringList(3, l));
    }
}

void tst_link_model::durations_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QStringList>("labels"); // the line's, the second channel's
    QTest::addColumn<bool>("second_shown");
    const int both = up | second;
    QTest::newRow("up at 10:00:01.5: the even second")
        << Steps { at(36001.5), status(reply_status, up), at(36005.9), count }
        << QStringList { "00:00:03", "00:00:00" } << false;
    QTest::newRow("second channel 90.5 s shows 90")
        << Steps { at(36100.5), status(reply_status, both), at(36191.7), count }
        << QStringList { "00:01:31", "00:01:30" } << true;
    QTest::newRow("carry of 90.5 s is 90")
        << Steps { at(36100.5), status(reply_status, both), at(36191), count,
               status(reply_status, up), at(36200), status(reply_status, both), at(36205), count }
        << QStringList { "00:01:45", "00:01:35" } << true;
    QTest::newRow("carry 90.6 s goes on")
        << Steps { at(36100.4), status(reply_status, both), at(36191), count,
               status(reply_status, up), at(36200), status(reply_status, both), at(36205), count }
        << QStringList { "00:01:45", "00:01:36" } << true;
    QTest::newRow("line down keeps the total") << Steps { at(36100.6), status(reply_status, both),
        at(36191), count, status(reply_status, 0), count }
                                               << QStringList { "00:01:30", "00:01:30" } << true;
    QTest::newRow("line up anew clears the carry")
        << Steps { at(36100.6), status(reply_status, both), at(36191), count,
               status(reply_status, 0), status(reply_status, up) }
        << QStringList { "00:01:30", "00:01:30" } << false;
    QTest::newRow("line, then both up; clock set back") << Steps {
        at(36000), status(reply_status, up), status(reply_status, both), at(35000), count
    } << QStringList { "00:00:00", "00:00:00" } << true;
    QTest::newRow("five days and an hour")
        << Steps { at(36000, 1), status(reply_status, both), at(39600, 6), count }
        << QStringList { "121:00:00", "121:00:00" } << true;
}

void tst_link_model::durations()
{
    QFETCH(Steps, steps);
    QFETCH(QStringList, labels);
    QFETCH(bool, second_shown);
    LinkModel m = started();
    run(m, steps);
    QCOMPARE(QStringList({ m.display.online_text, m.display.multilink_text }), labels);
    QCOMPARE(m.display.multilink_time_visible, second_shown);
}

void tst_link_model::events_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QStringList>("lamps");
    QTest::addColumn<int>("polls");
    QTest::addColumn<bool>("polling"); // Timer2 left on
    QTest::newRow("invalid, short or other types change nothing") << Steps { bytes("fefd0101"),
        bytes("fefe0908"), bytes("fefe01"), status(255, up), status(251, up | second),
        status(0, 0) } << QStringList { "red", "red" } << 0 << true;
    QTest::newRow("polls until a full status, and one more tick") << Steps {
        poll, poll, status(reply_status, 0), poll, status(reply_full_status, 0), poll, poll
    } << QStringList { "unlit", "unlit" } << 3 << false;
    QTest::newRow("a longer datagram counts; a repoll restarts polling, keeps the lamps")
        << Steps { bytes("fefe0505ff"), poll, status(reply_repoll, 0), poll }
        << QStringList { "lit", "lit" } << 1 << true;
    QTest::newRow("red again, the call blinks on")
        << Steps { status(reply_status, up | dialing), red, blink, blink }
        << QStringList { "red", "unlit" } << 0 << true;
    QTest::newRow("the blink phase is shared") << Steps { status(reply_status, dialing), blink,
        status(reply_status, up), status(reply_status, up | dialing), blink }
                                               << QStringList { "lit", "unlit" } << 0 << true;
}

void tst_link_model::events()
{
    QFETCH(Steps, steps);
    QFETCH(QStringList, lamps);
    QFETCH(int, polls);
    QFETCH(bool, polling);
    LinkModel m = started();
    QCOMPARE(run(m, steps), polls);
    QCOMPARE(QStringList({ name(m.display.connected), name(m.display.multilinked) }), lamps);
    QCOMPARE(m.display.Timer2, polling);
    QCOMPARE(m.status_seen, !polling);
}

QTEST_APPLESS_MAIN(tst_link_model)
#include "tst_link_model.moc"
