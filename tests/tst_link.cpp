#include "fakes.h"

#include <QPushButton>
#include <QTimer>

class tst_link : public QObject {
    Q_OBJECT
private slots:
    void display_table_data();
    void display_table();
    void invalid_and_other_datagrams_change_nothing();
    void repoll_reply();
    void reset_constat_until_next_status();
    void blinking();
    void polling_stops_after_one_silent_tick();
    void line_duration_data();
    void line_duration();
    void second_channel_carry();
    void durations_across_midnight();
};

void tst_link::display_table_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("line_lamp");
    QTest::addColumn<QString>("second_lamp");
    QTest::addColumn<QString>("connect_caption");
    QTest::addColumn<QString>("multilink_caption");
    QTest::addColumn<int>("connect_right");
    QTest::addColumn<int>("multilink_right"); // 0: left as it was
    QTest::newRow("idle") << 0 << "unlit"
                          << "unlit"
                          << "Connect"
                          << "Multilink" << 0x08 << 0x20;
    QTest::newRow("line dialing") << 2 << "blink"
                                  << "unlit"
                                  << "Hang up"
                                  << "Multilink" << 0x10 << 0;
    QTest::newRow("line up") << 1 << "lit"
                             << "unlit"
                             << "Hang up"
                             << "Multilink" << 0x10 << 0x20;
    QTest::newRow("second dialing") << 3 << "lit"
                                    << "blink"
                                    << "Hang up"
                                    << "Singlelink" << 0x10 << 0x40;
    QTest::newRow("both up") << 5 << "lit"
                             << "lit"
                             << "Hang up"
                             << "Singlelink" << 0x10 << 0x40;
    QTest::newRow("both up, dialing") << 7 << "lit"
                                      << "blink"
                                      << "Hang up"
                                      << "Singlelink" << 0x10 << 0x40;
    QTest::newRow("second only") << 4 << "unlit"
                                 << "lit"
                                 << "Connect"
                                 << "Singlelink" << 0x08 << 0x40;
    QTest::newRow("second up, line dialing") << 6 << "blink"
                                             << "lit"
                                             << "Hang up"
                                             << "Singlelink" << 0x10 << 0x40;
}

void tst_link::display_table()
{
    QFETCH(int, flags);
    QFETCH(QString, line_lamp);
    QFETCH(QString, second_lamp);
    QFETCH(QString, connect_caption);
    QFETCH(QString, multilink_caption);
    QFETCH(int, connect_right);
    QFETCH(int, multilink_right);
    for (int type : { 253, 254 }) {
        for (bool granted : { true, false }) {
            Rig rig;
            Main& m = *rig.main;
            m.connect->setEnabled(!granted);
            m.multilink->setEnabled(!granted);
            const int named = connect_right | multilink_right;
            const int rights = granted ? named : (0x78 & ~named);
            rig.socket.deliver(type, flags | rights);
            const QString at = QString("type %1, rights %2").arg(type).arg(rights, 0, 16);

            // A blinking lamp alternates over two ticks; the other keeps its picture.
            QStringList line { lamp(m, m.connected) }, second { lamp(m, m.multilinked) };
            for (int i = 0; i < 2; ++i) {
                m.Timer1_Timer();
                line << lamp(m, m.connected);
                second << lamp(m, m.multilinked);
            }
            auto shows = [](const QStringList& seen, const QString& expected) {
                if (expected == "blink")
                    return seen.contains("lit") && seen.contains("unlit") && seen[1] != seen[2];
                return seen.count(expected) == seen.size();
            };
            QVERIFY2(shows(line, line_lamp), qPrintable(at + ": " + line.join(',')));
            QVERIFY2(shows(second, second_lamp), qPrintable(at + ": " + second.join(',')));
            QCOMPARE(m.connect->text(), connect_caption);
            QCOMPARE(m.multilink->text(), multilink_caption);
            QCOMPARE(m.Timer1->isActive(), bool(flags & 2));
            QCOMPARE(m.Timer3->isActive(), bool(flags & 1));
            QCOMPARE(m.status_seen, type == 254);
            QCOMPARE(m.multilink_time->isHidden(), !(flags & 4)); // no carry yet
            const bool applied = type == 254;
            QVERIFY2(m.connect->isEnabled() == (applied ? granted : !granted), qPrintable(at));
            QVERIFY2(m.multilink->isEnabled() == (applied && multilink_right ? granted : !granted),
                qPrintable(at));
        }
    }
}

void tst_link::invalid_and_other_datagrams_change_nothing()
{
    Rig rig;
    Main& m = *rig.main;
    for (const char* hex : { "fefd0101", "fefe01", "ffff0101", "fbfb0505" })
        rig.socket.deliver(QByteArray::fromHex(hex));
    QCOMPARE(lamp(m, m.connected), QString("red"));
    QVERIFY(!m.link_up && !m.status_seen && rig.boxes.shown.isEmpty());
    rig.socket.deliver(QByteArray::fromHex("fdfd0101ffee")); // longer: the rest is ignored
    QVERIFY(m.link_up);
}

void tst_link::repoll_reply()
{
    Rig rig;
    Main& m = *rig.main;
    rig.socket.deliver(254, 0x01 | 0x04 | 0x10 | 0x40);
    m.Timer2_Timer();
    QVERIFY(!m.Timer2->isActive());
    rig.socket.deliver(252, 0x00);
    QVERIFY(!m.status_seen);
    QVERIFY(m.Timer2->isActive());
    QVERIFY(m.link_up && m.multilink_up);
    QCOMPARE(lamp(m, m.connected), QString("lit"));
    QCOMPARE(m.multilink->text(), QString("Singlelink"));
    QVERIFY(m.connect->isEnabled() && m.multilink->isEnabled());
    m.Timer2_Timer();
    QCOMPARE(rig.socket.sent.last(), QByteArray::fromHex("ffff010100"));
}

void tst_link::reset_constat_until_next_status()
{
    Rig rig;
    Main& m = *rig.main;
    rig.socket.deliver(253, 0x01 | 0x02); // line up, second channel being set up
    m.reset_constat();
    QCOMPARE(lamp(m, m.connected), QString("red"));
    QCOMPARE(lamp(m, m.multilinked), QString("red"));
    m.Timer1_Timer();
    m.Timer3_Timer();
    QCOMPARE(lamp(m, m.connected), QString("red"));
    QVERIFY(lamp(m, m.multilinked) != "red"); // the blinking lamp goes on blinking
    QCOMPARE(m.connect->text(), QString("Hang up"));
    rig.socket.deliver(253, 0x01);
    QCOMPARE(lamp(m, m.connected), QString("lit"));
    QCOMPARE(lamp(m, m.multilinked), QString("unlit"));
}

void tst_link::blinking()
{
    Rig rig;
    Main& m = *rig.main;
    // One phase shared by both lamps and never reset.
    rig.socket.deliver(253, 0x02);
    m.Timer1_Timer();
    QCOMPARE(lamp(m, m.connected), QString("lit"));
    rig.socket.deliver(253, 0x01); // line up: the blink stops and the lamp is set from the flags
    QVERIFY(!m.Timer1->isActive());
    QCOMPARE(lamp(m, m.connected), QString("lit"));
    rig.socket.deliver(253, 0x03);
    m.Timer1_Timer(); // phase was left at 1: this tick darkens
    QCOMPARE(lamp(m, m.multilinked), QString("unlit"));
    m.Timer1_Timer();
    QCOMPARE(lamp(m, m.multilinked), QString("lit"));
    QCOMPARE(lamp(m, m.connected), QString("lit"));
    rig.socket.deliver(253, 0x01);
    m.Timer1_Timer(); // not dialing: the tick does nothing
    QCOMPARE(lamp(m, m.multilinked), QString("unlit"));
}

void tst_link::polling_stops_after_one_silent_tick()
{
    Rig rig;
    Main& m = *rig.main;
    for (int i = 0; i < 3; ++i)
        m.Timer2_Timer();
    rig.socket.deliver(253, 0x00); // a plain status does not stop polling
    m.Timer2_Timer();
    QCOMPARE(rig.socket.sent, QList<QByteArray>(4, QByteArray::fromHex("ffff010100")));
    rig.socket.deliver(254, 0x00);
    QVERIFY(m.Timer2->isActive());
    m.Timer2_Timer();
    QCOMPARE(rig.socket.sent.size(), 4);
    QVERIFY(!m.Timer2->isActive());
}

void tst_link::line_duration_data()
{
    QTest::addColumn<float>("up");
    QTest::addColumn<float>("tick");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("text");
    QTest::newRow("10:00:00.4") << 36000.4f << 36005.7f << 36000 << "00:00:05";
    QTest::newRow("10:00:00.6") << 36000.6f << 36001.1f << 36001 << "00:00:00";
    QTest::newRow("half to even, down") << 36000.5f << 36010.0f << 36000 << "00:00:10";
    QTest::newRow("half to even, up") << 36001.5f << 36010.0f << 36002 << "00:00:08";
    QTest::newRow("an hour") << 0.f << 3600.9f << 0 << "01:00:00";
}

void tst_link::line_duration()
{
    QFETCH(float, up);
    QFETCH(float, tick);
    QFETCH(int, start);
    QFETCH(QString, text);
    Rig rig;
    Main& m = *rig.main;
    rig.clock.t.seconds = up;
    rig.socket.deliver(253, 0x01);
    QCOMPARE(m.online_start, start);
    rig.clock.t.seconds = tick;
    rig.socket.deliver(254, 0x01); // a repeated link-up does not restart the count
    QCOMPARE(m.online_start, start);
    m.Timer3_Timer();
    QCOMPARE(m.online_time->text(), text);
}

void tst_link::second_channel_carry()
{
    Rig rig;
    Main& m = *rig.main;
    rig.clock.t.seconds = 36000.25f;
    rig.socket.deliver(253, 0x05);
    rig.clock.t.seconds = 36010.9f;
    m.Timer3_Timer();
    QCOMPARE(m.multilink_time->text(), QString("00:00:10")); // 36010 - 36000.25 = 9.75

    rig.socket.deliver(253, 0x00);
    rig.clock.t.seconds = 36100.6f;
    rig.socket.deliver(253, 0x01); // the line comes up anew: no carry
    QCOMPARE(m.multilink_carry, 0);
    rig.socket.deliver(253, 0x05);
    rig.clock.t.seconds = 36191.0f;
    m.Timer3_Timer(); // 36191 - 36100.6 = 90.4
    rig.socket.deliver(253, 0x01);
    QCOMPARE(m.multilink_carry, 90);
    QVERIFY(!m.multilink_time->isHidden());
    rig.clock.t.seconds = 36200.0f;
    rig.socket.deliver(253, 0x05);
    rig.clock.t.seconds = 36205.0f;
    m.Timer3_Timer();
    QCOMPARE(m.multilink_time->text(), QString("00:01:35"));
    // Line down keeps the total shown; the line coming up anew clears it and hides the label.
    rig.socket.deliver(253, 0x00);
    QVERIFY(!m.multilink_time->isHidden());
    rig.socket.deliver(253, 0x01);
    QCOMPARE(m.multilink_carry, 0);
    QVERIFY(m.multilink_time->isHidden());
}

void tst_link::durations_across_midnight()
{
    Rig rig;
    Main& m = *rig.main;
    rig.clock.t = { 10, 86390.f };
    rig.socket.deliver(253, 0x05);
    rig.clock.t = { 11, 10.5f };
    m.Timer3_Timer();
    QCOMPARE(m.online_time->text(), QString("00:00:20"));
    QCOMPARE(m.multilink_time->text(), QString("00:00:20"));
    rig.clock.t = { 13, 10.f };
    m.Timer3_Timer();
    QCOMPARE(m.online_time->text(), QString("48:00:20"));
    QCOMPARE(m.multilink_time->text(), QString("48:00:20"));
}

QTEST_MAIN(tst_link)
#include "tst_link.moc"
