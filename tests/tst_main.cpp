#include "fakes.h"

#include "main/lamp.h"

#include "settings/globals.h"

#include <QAccessible>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <csignal>
#include <malloc.h>
#include <sys/fsuid.h>
#include <sys/wait.h>
#include <unistd.h>

// What only the window shows: layout, position and width, the widgets following the link model
// through events, the dialog's result, the error boxes, and the settings file at close.
class tst_main : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void start_data();
    void start();
    void events_data();
    void events();
    void write_faults_data();
    void write_faults();

private:
    static QString lamp(const Main& m, const LampView* l);
};

QString tst_main::lamp(const Main& m, const LampView* l)
{
    const qint64 key = l->pixmap().cacheKey();
    return key == m.led_on->pixmap().cacheKey() ? "lit"
        : key == m.led_off->pixmap().cacheKey() ? "unlit"
        : key == m.led_red->pixmap().cacheKey() ? "red"
                                                : "?";
}

void tst_main::layout()
{
    Rig rig;
    Main& m = *rig.main;
    // Pictures are drawn for their size at the screen's pixel ratio (run at 1 and 2).
    const QPixmap shown = m.connected->pixmap();
    QCOMPARE(shown.devicePixelRatio(), m.devicePixelRatioF());
    QCOMPARE(shown.width(), qRound(m.connected->width() * m.devicePixelRatioF()));
    // Every caption fits its control at the chosen font (run at 96 and 144 dpi).
    for (const char* text : { "Connect", "Hang up", "Multilink", "Singlelink" })
        QVERIFY2(m.connect->fontMetrics().horizontalAdvance(text) <= m.connect->width() - 4, text);
    QVERIFY(m.online_time->fontMetrics().horizontalAdvance("00:00:00") <= m.online_time->width());
    if (m.logicalDpiX() != 96)
        return;
    // At 96 dpi, 15 twips a pixel; edges are rounded to the nearest pixel.
    const QList<std::pair<QWidget*, QRect>> rects { { m.CallOption, { 0, 0, 10, 37 } },
        { m.connect, { 56, 1, 57, 17 } }, { m.multilink, { 56, 17, 57, 17 } },
        { m.connected, { 37, 1, 16, 16 } }, { m.multilinked, { 37, 17, 16, 16 } },
        { m.online_time, { 120, 3, 49, 17 } }, { m.multilink_time, { 120, 19, 49, 17 } },
        { m.Image3, { 8, 0, 32, 32 } } };
    for (const auto& [widget, rect] : rects)
        QCOMPARE(widget->geometry(), rect);
    QCOMPARE(m.height(), 38);
    // Tab order: connect, multilink, the settings button.
    QList<QWidget*> order { m.connect };
    for (QWidget* w = m.connect->nextInFocusChain(); w != m.connect; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
    QCOMPARE(order, QList<QWidget*>({ m.connect, m.multilink, m.CallOption }));
    // Blink, poll and duration timers, never early.
    QCOMPARE(QString("%1 %2 %3")
                 .arg(m.Timer1->interval())
                 .arg(m.Timer2->interval())
                 .arg(m.Timer3->interval()),
        "100 1000 500");
    QVERIFY(m.Timer1->timerType() == Qt::PreciseTimer && m.Timer2->timerType() == Qt::PreciseTimer
        && m.Timer3->timerType() == Qt::PreciseTimer);
}

void tst_main::start_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: none
    QTest::addColumn<QString>("host");
    QTest::addColumn<QPoint>("at"); // client position in pixels
    QTest::addColumn<int>("outer"); // outer width in twips
    // clang-format off
    QTest::newRow("no file")          << QByteArray()                                   << "192.168.1.100" << QPoint(94, 92)   << 2648;
    QTest::newRow("stored, narrow")   << QByteArray("1500,3000\r\n\"127.0.0.2\"\r\n#FALSE#\r\n") << "127.0.0.2" << QPoint(200, 100) << 1815;
    QTest::newRow("partly on screen") << QByteArray("-300,-1500\r\n\"h\"\r\n#TRUE#\r\n") << "h"         << QPoint(-100, -20) << 2648;
    QTest::newRow("off every screen") << QByteArray("900000,900000\r\n\"h\"\r\n#TRUE#\r\n") << "h"       << QPoint(94, 92)   << 2648;
    QTest::newRow("wide, right part on screen") << QByteArray("1500,-2250\r\n\"h\"\r\n#TRUE#\r\n") << "h" << QPoint(-150, 100) << 2648;
    QTest::newRow("top beyond any pixel") << QByteArray("6.4e10,0\r\n\"h\"\r\n#TRUE#\r\n") << "h"  << QPoint(94, 92)   << 2648;
    // clang-format on
}

void tst_main::start()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, host);
    QFETCH(QPoint, at);
    QFETCH(int, outer);
    Rig rig(file);
    Main& m = *rig.main;
    QCOMPARE(rig.socket.hosts, QStringList { host });
    QCOMPARE(Globals::ip_address, host);
    QCOMPARE(m.pos(), at);
    m.show(); // the width is fitted to the frame once the window manager's moves have settled
    QTRY_VERIFY2(std::abs(m.outer_width_twips() - outer) <= 15,
        qPrintable(QString::number(m.outer_width_twips())));
    // Narrow: the duration labels lie beyond the client area; wide: inside it.
    QCOMPARE(m.online_time->geometry().right() < m.width(), outer == 2648);
}

void tst_main::events_data()
{
    // From remote.inf "Box.local", switch on, a script: hex datagrams; "@s" sets the clock;
    // "blink", "poll", "count" tick; "c", "m", "enter" press; "ok:<address, ~ a blank>:<0|1>"
    // and "cancel" answer the dialog; "fail:<n>" fails the next send; "error" is a socket
    // error; "day[:<hex>,...]" is a day of seconds from 10:00, each with those datagrams and
    // the ticks, that must not grow the heap (only its last second's sends are shown). Shown:
    // lamps (heard), captions, enabled, multilink_time shown, durations, timers 1-3, remote
    // hosts, commands sent, boxes.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("shown");
    // clang-format off
    QTest::newRow("start")                 << ""                                  << "red red (no status yet, no status yet)|Connect Multilink|11|1|00:00:00 00:00:00|010|Box.local||";
    QTest::newRow("line up, second dialing") << "fefe3b3b"                        << "lit unlit (lit, call being set up)|Hang up Singlelink|10|0|00:00:00 00:00:00|111|Box.local||";
    QTest::newRow("a blink is no change")  << "fefe3b3b blink poll"               << "lit lit (lit, call being set up)|Hang up Singlelink|10|0|00:00:00 00:00:00|101|Box.local||";
    QTest::newRow("durations, commands")   << "fefe5555 @36065 count enter m"     << "lit lit (lit, lit)|Hang up Singlelink|11|1|00:01:05 00:01:05|011|Box.local|3 5|";
    QTest::newRow("OK, same address")      << "fefe1818 poll ok:Box.local:1"      << "unlit unlit (unlit, unlit)|Connect Multilink|10|0|00:00:00 00:00:00|000|Box.local||";
    QTest::newRow("OK, case changed")      << "fefe1818 poll ok:box.local:1"      << "red red (no status yet, no status yet)|Connect Multilink|10|0|00:00:00 00:00:00|010|Box.local box.local||";
    QTest::newRow("OK, trailing blank")    << "fefe1818 poll ok:Box.local~:1"     << "red red (no status yet, no status yet)|Connect Multilink|10|0|00:00:00 00:00:00|010|Box.local Box.local ||";
    QTest::newRow("OK, only the switch")   << "fefe1818 poll ok:Box.local:0"      << "unlit unlit (unlit, unlit)|Connect Multilink|10|0|00:00:00 00:00:00|000|Box.local||";
    QTest::newRow("Abbrechen")             << "fefe1818 poll cancel"              << "unlit unlit (unlit, unlit)|Connect Multilink|10|0|00:00:00 00:00:00|000|Box.local||";
    QTest::newRow("send error")            << "fail:10051 c"                      << "red red (no status yet, no status yet)|Connect Multilink|11|1|00:00:00 00:00:00|010|Box.local||Error sending data:\r 10051: unreachable";
    QTest::newRow("send error, negative")  << "fail:-5 c"                         << "red red (no status yet, no status yet)|Connect Multilink|11|1|00:00:00 00:00:00|010|Box.local||Error sending data:\r-5: unreachable";
    QTest::newRow("send error 126")        << "fail:126 c"                        << "red red (no status yet, no status yet)|Connect Multilink|11|1|00:00:00 00:00:00|010|Box.local||";
    QTest::newRow("socket error")          << "error"                             << "red red (no status yet, no status yet)|Connect Multilink|11|1|00:00:00 00:00:00|010|Box.local||unreachable";
    QTest::newRow("a silent day")          << "day"                               << "red red (no status yet, no status yet)|Connect Multilink|11|1|00:00:00 00:00:00|010|Box.local|1|";
    QTest::newRow("a day up, then a restart") << "fefe1515 day fcfc0000 poll"     << "lit lit (lit, lit)|Hang up Singlelink|10|1|24:00:00 24:00:00|011|Box.local|1|";
    QTest::newRow("flags on every datagram") << "day:fefe3b3b,fdfd0505,fefe1818" << "unlit unlit (unlit, unlit)|Connect Multilink|10|0|00:00:00 00:00:00|000|Box.local||";
    // clang-format on
}

void tst_main::events()
{
    QFETCH(QString, script);
    QFETCH(QString, shown);
    Rig rig("0,0\r\n\"Box.local\"\r\n#TRUE#\r\n");
    Main& m = *rig.main;
    const int width = m.width();
    bool cancel = false;
    const QHash<QString, std::function<void()>> act { { "blink", [&] { m.Timer1_Timer(); } },
        { "poll", [&] { m.Timer2_Timer(); } }, { "count", [&] { m.Timer3_Timer(); } },
        { "c", [&] { m.connect->click(); } }, { "m", [&] { m.multilink->click(); } },
        { "enter", [&] { QTest::keyClick(m.connect, Qt::Key_Return); } },
        { "error", [&] { emit rig.socket.Error(10048, "unreachable", 0, "", "", 0, &cancel); } } };
    for (const QString& event : script.split(' ', Qt::SkipEmptyParts)) {
        const QStringList part = event.split(':');
        if (act.contains(event))
            act[event]();
        else if (event.startsWith('@'))
            rig.clock.t.seconds = event.mid(1).toFloat();
        else if (part[0] == "day") {
            size_t settled = 0;
            for (int second = 1; second <= 86400; ++second) {
                rig.socket.sent.clear();
                rig.clock.t = { 1 + (36000 + second) / 86400, float((36000 + second) % 86400) };
                for (const QString& status : part.value(1).split(',', Qt::SkipEmptyParts))
                    rig.socket.deliver(status.toLatin1());
                m.Timer1_Timer(), m.Timer2_Timer(), m.Timer3_Timer(), m.Timer3_Timer();
                if (second == 43200) // every digit of a duration has been measured by now
                    settled = mallinfo2().uordblks;
            }
            QVERIFY(mallinfo2().uordblks <= settled); // the C library's heap; not ASan's own
        } else if (part[0] == "fail")
            rig.socket.fail = SocketError { part[1].toInt(), "unreachable" };
        else if (part[0] == "ok" || part[0] == "cancel") {
            rig.settings.answer = [&] {
                if (part[0] == "ok")
                    Globals::ip_address = QString(part[1]).replace('~', ' '),
                    Globals::show_duration = part[2] == "1";
                return part[0] == "ok";
            };
            m.CallOption->click();
            // The width follows the switch at once, and only after OK.
            QCOMPARE(m.width() < width, part[0] == "ok" && part[2] == "0");
        } else
            rig.socket.deliver(event.toLatin1());
    }
    auto heard = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description);
    };
    QStringList sent;
    for (const QByteArray& d : rig.socket.sent)
        sent << QString::number(d[2]);
    const QString actual = QStringList { lamp(m, m.connected) + ' ' + lamp(m, m.multilinked) + " ("
            + heard(m.connected) + ", " + heard(m.multilinked) + ')',
        m.connect->text() + ' ' + m.multilink->text(),
        QString("%1%2").arg(m.connect->isEnabled()).arg(m.multilink->isEnabled()),
        QString::number(!m.multilink_time->isHidden()),
        m.online_time->text() + ' ' + m.multilink_time->text(),
        QString("%1%2%3")
            .arg(m.Timer1->isActive())
            .arg(m.Timer2->isActive())
            .arg(m.Timer3->isActive()),
        rig.socket.hosts.join(' '), sent.join(' '), rig.boxes.shown.join('+') }
                               .join('|');
    QCOMPARE(actual, shown);
}

void tst_main::write_faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("saved"); // the new settings; else the old file, byte for byte
    QTest::newRow("writable") << "none" << true;
    QTest::newRow("read-only directory, writable file") << "ro-dir" << true;
    QTest::newRow("read-only directory and file") << "ro-all" << false;
    QTest::newRow("full disk") << "full" << false;
    QTest::newRow("killed while writing") << "killed" << true;
}

void tst_main::write_faults()
{
    QFETCH(QString, fault);
    QFETCH(bool, saved);
    const QByteArray old = "1,2\r\n\"old\"\r\n#TRUE#\r\n";
    Rig rig(old);
    Main& m = *rig.main;
    const bool root = geteuid() == 0;
    QString dir = rig.dir.path();
    if (fault == "full") {
        if (!root)
            QSKIP("a full disk is a tiny tmpfs, which only root can mount");
        dir = rig.dir.filePath("disk");
        QVERIFY(QDir().mkdir(dir));
        QVERIFY(QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=16k", "tmpfs", dir }) == 0);
        QFile f(dir + "/remote.inf"), filler(dir + "/filler");
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size() && f.flush());
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(512, 'x')) == 512 && filler.flush()) { }
        m.settings_path = dir + "/remote.inf";
    } else if (fault.startsWith("ro")) {
        QFile::setPermissions(rig.dir.filePath("remote.inf"),
            fault == "ro-dir" ? QFile::Permissions(0x6666) : QFile::Permissions(0x4444));
        QFile::setPermissions(dir, QFile::Permissions(0x5555)); // r-x for all
    }
    rig.socket.deliver("fefe1515"); // line up: closing sends nothing all the same
    Globals::ip_address = "new";
    Globals::show_duration = false;
    m.set_position(1380, 2280.4f);
    const QByteArray written = "1380,2280.4\r\n\"new\"\r\n#FALSE#\r\n";
    for (int run = 0; fault == "killed" && run < 200; ++run) { // old or new, never a part
        const pid_t writer = fork();
        while (writer == 0)
            m.write_settings();
        usleep(run * 10); // from before the first write to deep into the loop
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        QFile file(m.settings_path);
        QVERIFY(
            file.open(QIODevice::ReadOnly) && (QList { old, written }.contains(file.readAll())));
    }
    QTemporaryDir other; // the file stays where it was when the window loaded
    QDir::setCurrent(other.path());
    // Root would write anyway: for this close it is nobody as far as files are concerned.
    if (root && fault != "none" && fault != "killed")
        setfsuid(65534);
    QSignalSpy ended(&m, &Main::unloaded);
    m.close();
    if (root)
        setfsuid(0);
    QFile file(m.settings_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray now = file.readAll();
    if (fault == "full")
        QProcess::execute("umount", { dir });
    QFile::setPermissions(rig.dir.path(), QFile::Permissions(0x7700));
    QCOMPARE(ended.size(), 1); // the window closes all the same
    QVERIFY(rig.socket.sent.isEmpty() && !QFile::exists(other.filePath("remote.inf")));
    QCOMPARE(now, saved ? written : old);
    // At the root the separator is doubled, and the path still names the file.
    QDir::setCurrent("/");
    QCOMPARE(Main({ &rig.socket, &rig.clock, &rig.boxes, &rig.settings }).settings_path,
        QString("//remote.inf"));
}

QTEST_MAIN(tst_main)
#include "tst_main.moc"
