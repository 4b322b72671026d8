#include "fakes.h"

#include "link/duration.h"
#include "link/link_model.h"

namespace {

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

// A status datagram in hex: type, type, flags, flags.
QString status(int type, int flags)
{
    return QString("%1%1%2%2").arg(type, 2, 16, QChar('0')).arg(flags, 2, 16, QChar('0'));
}

// Runs a script on a started model: hex datagrams; "@seconds" or "@day/seconds" sets the clock;
// "blink", "poll" and "count" tick; "red" turns the lamps red. Returns the polls sent.
int run(LinkModel& m, const QStringList& script)
{
    FakeClock clock;
    int polls = 0;
    for (const QString& event : script) {
        if (event.startsWith('@')) {
            const QStringList at = event.mid(1).split('/');
            clock.t = { at.size() == 2 ? at[0].toLongLong() : 1, at.last().toFloat() };
        } else if (event == "blink") {
            m.Timer1_Timer();
        } else if (event == "poll") {
            polls += m.Timer2_Timer();
        } else if (event == "count") {
            m.Timer3_Timer(clock);
        } else if (event == "red") {
            m.reset_constat();
        } else {
            m.socket_DataArrival(QByteArray::fromHex(event.toLatin1()), clock);
        }
    }
    return polls;
}

} // namespace

class tst_link_model : public QObject {
    Q_OBJECT
private slots:
    void display_data();
    void display();
    void durations_data();
    void durations();
    void polling_data();
    void polling();
    void lamps_data();
    void lamps();
    void format_duration_data();
    void format_duration();
};

void tst_link_model::display_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("lamps"); // line, second channel: lit, unlit or blink
    QTest::addColumn<QStringList>("captions"); // also say which command each button sends
    QTest::addColumn<int>("multilink_right"); // 0: the button is left as it was
    const QStringList hang_up { "Hang up", "Multilink" };
    const QStringList both { "Hang up", "Singlelink" };
    QTest::newRow("idle") << 0 << QStringList { "unlit", "unlit" }
                          << QStringList { "Connect", "Multilink" } << 0x20;
    QTest::newRow("line dialing") << 2 << QStringList { "blink", "unlit" } << hang_up << 0;
    QTest::newRow("line up") << 1 << QStringList { "lit", "unlit" } << hang_up << 0x20;
    QTest::newRow("second dialing") << 3 << QStringList { "lit", "blink" } << both << 0x40;
    QTest::newRow("both up") << 5 << QStringList { "lit", "lit" } << both << 0x40;
    QTest::newRow("both up, dialing") << 7 << QStringList { "lit", "blink" } << both << 0x40;
    QTest::newRow("second only") << 4 << QStringList { "unlit", "lit" }
                                 << QStringList { "Connect", "Singlelink" } << 0x40;
    QTest::newRow("second up, line dialing") << 6 << QStringList { "blink", "lit" } << both << 0x40;
}

void tst_link_model::display()
{
    QFETCH(int, flags);
    QFETCH(QStringList, lamps);
    QFETCH(QStringList, captions);
    QFETCH(int, multilink_right);
    const bool dials = captions[0] == "Connect";
    // Each right alone, and none, on buttons that start enabled and disabled: a full status
    // sets a button from its own right only; a plain status leaves both as they were.
    for (const int right : { 0, 0x08, 0x10, 0x20, 0x40 }) {
        for (const bool before : { true, false }) {
            for (const int type : { 253, 254 }) {
                LinkModel m = started();
                m.display.connect_enabled = m.display.multilink_enabled = before;
                run(m, { status(type, flags | right) });
                const bool full = type == 254;
                QCOMPARE(m.display.connect_enabled, full ? right == (dials ? 8 : 16) : before);
                const bool set = full && multilink_right != 0;
                QCOMPARE(m.display.multilink_enabled, set ? right == multilink_right : before);
            }
        }
    }
    LinkModel m = started();
    run(m, { status(254, flags) });
    // Over two blink ticks a blinking lamp shows lit and unlit; any other keeps its picture.
    const Lamp* shown[] = { &m.display.connected, &m.display.multilinked };
    const LampState heard[] = { m.display.line, m.display.second };
    const QMap<QString, LampState> meaning { { "blink", LampState::SettingUp },
        { "lit", LampState::Lit }, { "unlit", LampState::Unlit } };
    for (int lamp = 0; lamp < 2; ++lamp) {
        QSet<QString> seen;
        for (int tick = 0; tick < 3; ++tick, m.Timer1_Timer())
            seen << name(*shown[lamp]);
        QCOMPARE(seen.size() == 2 ? "blink" : *seen.begin(), lamps[lamp]);
        QCOMPARE(heard[lamp], meaning[lamps[lamp]]);
    }
    QCOMPARE(QStringList({ m.display.connect_caption, m.display.multilink_caption }), captions);
    QCOMPARE(m.connect_command(), dials ? 2 : 3);
    QCOMPARE(m.multilink_command(), captions[1] == "Multilink" ? 4 : 5);
    QCOMPARE(m.display.Timer1, bool(flags & 2));
    QCOMPARE(m.display.Timer3, bool(flags & 1));
    QCOMPARE(m.display.multilink_time_visible, bool(flags & 4)); // no carry yet
    QVERIFY(m.status_seen);
}

void tst_link_model::durations_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("labels"); // the line's, the second channel's
    QTest::addColumn<bool>("second_shown");
    QTest::newRow("up at 10:00:00.5: the even second")
        << QStringList { "@36000.5", "fdfd0101", "@36005.9", "fefe0101", "count" }
        << QStringList { "00:00:05", "00:00:00" } << false;
    QTest::newRow("up at 10:00:01.5: the even second")
        << QStringList { "@36001.5", "fdfd0101", "@36005.9", "count" }
        << QStringList { "00:00:03", "00:00:00" } << false;
    QTest::newRow("second channel 90.5 s shows 90")
        << QStringList { "@36100.5", "fdfd0505", "@36191", "count" }
        << QStringList { "00:01:31", "00:01:30" } << true;
    QTest::newRow("carry 90.4 s stays shown")
        << QStringList { "@36100.6", "fdfd0505", "@36191", "count", "fdfd0101" }
        << QStringList { "00:01:30", "00:01:30" } << true;
    QTest::newRow("carry of 90.5 s is 90") << QStringList { "@36100.5", "fdfd0505", "@36191",
        "count", "fdfd0101", "@36200", "fdfd0505", "@36205", "count" }
                                           << QStringList { "00:01:45", "00:01:35" } << true;
    QTest::newRow("carry 90.6 s goes on") << QStringList { "@36100.4", "fdfd0505", "@36191",
        "count", "fdfd0101", "@36200", "fdfd0505", "@36205", "count" }
                                          << QStringList { "00:01:45", "00:01:36" } << true;
    QTest::newRow("line down keeps the total")
        << QStringList { "@36100.6", "fdfd0505", "@36191", "count", "fdfd0000", "count" }
        << QStringList { "00:01:30", "00:01:30" } << true;
    QTest::newRow("line up anew clears the carry")
        << QStringList { "@36100.6", "fdfd0505", "@36191", "count", "fdfd0000", "fdfd0101" }
        << QStringList { "00:01:30", "00:01:30" } << false;
    QTest::newRow("clock set back") << QStringList { "@36000", "fdfd0505", "@35000", "count" }
                                    << QStringList { "00:00:00", "00:00:00" } << true;
    QTest::newRow("a day and an hour")
        << QStringList { "@10/36000", "fdfd0505", "@11/39600", "count" }
        << QStringList { "25:00:00", "25:00:00" } << true;
}

void tst_link_model::durations()
{
    QFETCH(QStringList, script);
    QFETCH(QStringList, labels);
    QFETCH(bool, second_shown);
    LinkModel m = started();
    run(m, script);
    QCOMPARE(QStringList({ m.display.online_text, m.display.multilink_text }), labels);
    QCOMPARE(m.display.multilink_time_visible, second_shown);
}

void tst_link_model::polling_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<int>("polls");
    QTest::addColumn<bool>("polling"); // Timer2 left on
    QTest::newRow("until a full status, and one more tick")
        << QStringList { "poll", "poll", "fdfd0000", "poll", "fefe0000", "poll", "poll" } << 3
        << false;
    QTest::newRow("a repoll reply restarts it")
        << QStringList { "fefe0000", "poll", "fcfc0505", "poll" } << 1 << true;
}

void tst_link_model::polling()
{
    QFETCH(QStringList, script);
    QFETCH(int, polls);
    QFETCH(bool, polling);
    LinkModel m = started();
    QCOMPARE(run(m, script), polls);
    QCOMPARE(m.display.Timer2, polling);
    QCOMPARE(m.status_seen, !polling);
}

void tst_link_model::lamps_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("lamps");
    QTest::newRow("invalid, short or other types change nothing") << QStringList { "fefd0101",
        "fefe0908", "fefe01", "ffff0101", "fbfb0505", "00000000" } << QStringList { "red", "red" };
    QTest::newRow("a longer datagram: the rest is ignored")
        << QStringList { "fdfd0101ffee" } << QStringList { "lit", "unlit" };
    QTest::newRow("a repoll reply keeps the lamps")
        << QStringList { "fdfd0505", "fcfc0000" } << QStringList { "lit", "lit" };
    QTest::newRow("red again, the call blinks on")
        << QStringList { "fdfd0303", "red", "blink", "blink" } << QStringList { "red", "unlit" };
    QTest::newRow("the blink phase is shared") << QStringList { "fdfd0202", "blink", "fdfd0101",
        "fdfd0303", "blink" } << QStringList { "lit", "unlit" };
}

void tst_link_model::lamps()
{
    QFETCH(QStringList, script);
    QFETCH(QStringList, lamps);
    LinkModel m = started();
    run(m, script);
    QCOMPARE(QStringList({ name(m.display.connected), name(m.display.multilinked) }), lamps);
}

void tst_link_model::format_duration_data()
{
    QTest::addColumn<int>("secs");
    QTest::addColumn<QString>("text");
    QTest::newRow("61") << 61 << "00:01:01";
    QTest::newRow("360000") << 360000 << "100:00:00";
    QTest::newRow("-1") << -1 << "-01:59:59";
    QTest::newRow("largest") << 2147483647 << "596523:14:07";
}

void tst_link_model::format_duration()
{
    QFETCH(int, secs);
    QFETCH(QString, text);
    QCOMPARE(::format_duration(secs), text);
}

QTEST_APPLESS_MAIN(tst_link_model)
#include "tst_link_model.moc"
