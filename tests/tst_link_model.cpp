#include "link/link_model.h"
#include "platform/time_source.h"

#include <QTest>

namespace {

struct Clock : TimeSource {
    TimeOfDay now() const override { return t; }
    TimeOfDay t { 1, 36000 };
};

QString name(Lamp l) { return l == Lamp::Lit ? "lit" : l == Lamp::Unlit ? "unlit" : "red"; }

// The model as the window has it right after start: lamps red, polling on.
LinkModel started()
{
    LinkModel m;
    m.reset_constat();
    m.restart_polling();
    return m;
}

} // namespace

class tst_link_model : public QObject {
    Q_OBJECT
private slots:
    void display_table_data();
    void display_table();
    void sequences_data();
    void sequences();
};

void tst_link_model::display_table_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("lamps"); // line, second channel: lit, unlit or blink
    QTest::addColumn<QString>("captions");
    QTest::addColumn<int>("connect_right");
    QTest::addColumn<int>("multilink_right"); // 0: left as it was
    QTest::addColumn<QString>("codes"); // sent by connect and multilink
    // clang-format off
    QTest::newRow("idle")                    << 0 << "unlit unlit" << "Connect Multilink"  << 0x08 << 0x20 << "2 4";
    QTest::newRow("line dialing")            << 2 << "blink unlit" << "Hang up Multilink"  << 0x10 << 0    << "3 4";
    QTest::newRow("line up")                 << 1 << "lit unlit"   << "Hang up Multilink"  << 0x10 << 0x20 << "3 4";
    QTest::newRow("second dialing")          << 3 << "lit blink"   << "Hang up Singlelink" << 0x10 << 0x40 << "3 5";
    QTest::newRow("both up")                 << 5 << "lit lit"     << "Hang up Singlelink" << 0x10 << 0x40 << "3 5";
    QTest::newRow("both up, dialing")        << 7 << "lit blink"   << "Hang up Singlelink" << 0x10 << 0x40 << "3 5";
    QTest::newRow("second only")             << 4 << "unlit lit"   << "Connect Singlelink" << 0x08 << 0x40 << "2 5";
    QTest::newRow("second up, line dialing") << 6 << "blink lit"   << "Hang up Singlelink" << 0x10 << 0x40 << "3 5";
    // clang-format on
}

void tst_link_model::display_table()
{
    QFETCH(int, flags);
    QFETCH(QString, lamps);
    QFETCH(QString, captions);
    QFETCH(int, connect_right);
    QFETCH(int, multilink_right);
    QFETCH(QString, codes);
    for (const int type : { 253, 254 }) {
        for (const bool granted : { true, false }) {
            // The buttons start the other way round, so a right applied shows as a change.
            LinkModel m = started();
            m.display.connect_enabled = m.display.multilink_enabled = !granted;
            const int named = connect_right | multilink_right;
            const int rights = granted ? named : 0x78 & ~named;
            m.handle_status({ qint16(type), qint16(type), qint16(flags | rights) }, Clock());
            // Over two blink ticks a blinking lamp shows lit and unlit; any other keeps its
            // picture.
            QStringList seen[2];
            for (int tick = 0; tick < 3; ++tick, m.Timer1_Timer()) {
                seen[0] << name(m.display.connected);
                seen[1] << name(m.display.multilinked);
            }
            for (QStringList& s : seen)
                s = QStringList { s.removeDuplicates() == 1 ? "blink" : s.first() };
            QCOMPARE(seen[0][0] + ' ' + seen[1][0], lamps);
            QCOMPARE(m.display.connect_caption + ' ' + m.display.multilink_caption, captions);
            QCOMPARE(QString("%1 %2").arg(m.connect_command()).arg(m.multilink_command()), codes);
            QCOMPARE(m.display.Timer1, bool(flags & 2));
            QCOMPARE(m.display.Timer3, bool(flags & 1));
            QCOMPARE(m.display.multilink_time_visible, bool(flags & 4)); // no carry yet
            QCOMPARE(m.display.connect_enabled, type == 254 ? granted : !granted);
            QCOMPARE(
                m.display.multilink_enabled, type == 254 && multilink_right ? granted : !granted);
        }
    }
}

void tst_link_model::sequences_data()
{
    // A script from start: hex datagrams; "@s" or "@day/s" sets the clock; "blink", "poll",
    // "count" tick; "red" is reset_constat; "c", "m" click. The result: lamps, captions,
    // enabled, multilink_time visible, durations, timers 1-3, status_seen, codes sent.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("result");
    // clang-format off
    QTest::newRow("start")                       << ""                                   << "red red|Connect Multilink|11|1|00:00:00 00:00:00|010|0|";
    QTest::newRow("invalid or other types")      << "fefd0101 fefe0908 fefe01 ffff0101 fbfb0505 00000000" << "red red|Connect Multilink|11|1|00:00:00 00:00:00|010|0|";
    QTest::newRow("longer: the rest is ignored") << "fdfd0101ffee"                       << "lit unlit|Hang up Multilink|11|0|00:00:00 00:00:00|011|0|";
    QTest::newRow("polls until a full status")   << "poll poll fdfd0000 poll fefe0000 poll poll" << "unlit unlit|Connect Multilink|00|0|00:00:00 00:00:00|000|1|1 1 1";
    QTest::newRow("red until the next status")   << "fdfd0303 red blink blink"           << "red unlit|Hang up Singlelink|11|0|00:00:00 00:00:00|111|0|";
    QTest::newRow("blink phase is shared")       << "fdfd0202 blink fdfd0101 fdfd0303 blink" << "lit unlit|Hang up Singlelink|11|0|00:00:00 00:00:00|111|0|";
    QTest::newRow("up at 10:00:00.4")            << "@36000.4 fdfd0101 @36005.7 fefe0101 count" << "lit unlit|Hang up Multilink|00|0|00:00:05 00:00:00|011|1|";
    QTest::newRow("up at 10:00:00.6")            << "@36000.6 fdfd0101 @36001.1 count"   << "lit unlit|Hang up Multilink|11|0|00:00:00 00:00:00|011|0|";
    QTest::newRow("second channel 9.75 s")       << "@36000.25 fdfd0505 @36010.9 count"  << "lit lit|Hang up Singlelink|11|1|00:00:10 00:00:10|011|0|";
    QTest::newRow("carry 90.4 s stays shown")    << "@36100.6 fdfd0505 @36191 count fdfd0101" << "lit unlit|Hang up Multilink|11|1|00:01:30 00:01:30|011|0|";
    QTest::newRow("carry 90.6 s goes on")           << "@36100.4 fdfd0505 @36191 count fdfd0101 @36200 fdfd0505 @36205 count" << "lit lit|Hang up Singlelink|11|1|00:01:45 00:01:36|011|0|";
    QTest::newRow("line down keeps the total")   << "@36100.6 fdfd0505 @36191 count fdfd0000" << "unlit unlit|Connect Multilink|11|1|00:01:30 00:01:30|010|0|";
    QTest::newRow("line up anew clears it")      << "@36100.6 fdfd0505 @36191 count fdfd0000 fdfd0101" << "lit unlit|Hang up Multilink|11|0|00:01:30 00:01:30|011|0|";
    QTest::newRow("tick before the first second")  << "@36000.51 fdfd0101 @36000.99 count"  << "lit unlit|Hang up Multilink|11|0|00:00:00 00:00:00|011|0|";
    QTest::newRow("clock set back")               << "@36000 fdfd0505 @35000 count"         << "lit lit|Hang up Singlelink|11|1|00:00:00 00:00:00|011|0|";
    QTest::newRow("across midnight")             << "@10/86390 fdfd0505 @11/10.5 count"  << "lit lit|Hang up Singlelink|11|1|00:00:20 00:00:20|011|0|";
    // clang-format on
}

void tst_link_model::sequences()
{
    QFETCH(QString, script);
    QFETCH(QString, result);
    Clock clock;
    LinkModel m = started();
    QStringList sent;
    for (const QString& event : script.split(' ', Qt::SkipEmptyParts)) {
        if (event.startsWith('@')) {
            const QStringList at = event.mid(1).split('/');
            clock.t = { at.size() == 2 ? at[0].toLongLong() : 1, at.last().toFloat() };
        } else if (event == "blink")
            m.Timer1_Timer();
        else if (event == "poll" && m.Timer2_Timer())
            sent << "1";
        else if (event == "count")
            m.Timer3_Timer(clock);
        else if (event == "red")
            m.reset_constat();
        else if (event == "c" || event == "m")
            sent << QString::number(event == "c" ? m.connect_command() : m.multilink_command());
        else if (event != "poll") {
            m.socket_DataArrival(QByteArray::fromHex(event.toLatin1()), clock);
        }
    }
    const LinkDisplay& d = m.display;
    const QString actual = QStringList {
        name(d.connected) + ' ' + name(d.multilinked),
        d.connect_caption + ' ' + d.multilink_caption,
        QString("%1%2").arg(d.connect_enabled).arg(d.multilink_enabled),
        QString::number(d.multilink_time_visible),
        d.online_text + ' ' + d.multilink_text,
        QString("%1%2%3").arg(d.Timer1).arg(d.Timer2).arg(d.Timer3),
        QString::number(m.status_seen),
        sent.join(' '),
    }.join('|');
    QCOMPARE(actual, result);
}

QTEST_APPLESS_MAIN(tst_link_model)
#include "tst_link_model.moc"
