#include "fakes.h"

#include "settings/globals.h"

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <sys/fsuid.h>
#include <unistd.h>

// What only the window shows: layout, width, the settings file at start and close, the dialog's
// result, the error boxes, and that the widgets follow the link model.
class tst_main : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void start_data();
    void start();
    void widgets_follow_the_model();
    void what_assistive_technology_reads();
    void settings_button_data();
    void settings_button();
    void close_writes_settings();
    void write_faults_data();
    void write_faults();
    void error_boxes_data();
    void error_boxes();
    void one_box_at_a_time();

private:
    static QString lamp(const Main& m, const QLabel* l);
};

QString tst_main::lamp(const Main& m, const QLabel* l)
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
    const QPixmap lit = m.led_on->pixmap();
    QCOMPARE(lit.devicePixelRatio(), m.devicePixelRatioF());
    QCOMPARE(lit.width(), qRound(m.connected->width() * m.devicePixelRatioF()));
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
    for (QWidget* w = m.connect->nextInFocusChain(); w != m.connect; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
    }
    QCOMPARE(order, QList<QWidget*>({ m.connect, m.multilink, m.CallOption }));
    // Blink, poll and duration timers, never early.
    for (const auto& [timer, ms] :
        { std::pair { m.Timer1, 100 }, { m.Timer2, 1000 }, { m.Timer3, 500 } }) {
        QCOMPARE(timer->interval(), ms);
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
    }
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
    QTest::newRow("empty address")    << QByteArray("1500,3000\r\n\"\"\r\n#TRUE#\r\n")  << ""          << QPoint(200, 100) << 2648;
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
    QCOMPARE(lamp(m, m.connected) + ' ' + lamp(m, m.multilinked), QString("red red"));
    QVERIFY(!m.Timer1->isActive() && m.Timer2->isActive() && !m.Timer3->isActive());
    QVERIFY(rig.socket.sent.isEmpty()); // the first poll is a second away
    m.show(); // the width is fitted to the frame once the window manager's moves have settled
    QTRY_VERIFY2(std::abs(m.outer_width_twips() - outer) <= 15,
        qPrintable(QString::number(m.outer_width_twips())));
    // Narrow: the duration labels lie beyond the client area; wide: inside it.
    QCOMPARE(m.online_time->geometry().right() < m.width(), outer == 2648);
}

void tst_main::widgets_follow_the_model()
{
    Rig rig;
    Main& m = *rig.main;
    rig.socket.deliver("fefe3b3b"); // line up, second channel being set up, rights
    QCOMPARE(lamp(m, m.connected) + ' ' + lamp(m, m.multilinked), QString("lit unlit"));
    QCOMPARE(m.connect->text() + ' ' + m.multilink->text(), QString("Hang up Singlelink"));
    QVERIFY(m.connect->isEnabled() && !m.multilink->isEnabled());
    QVERIFY(m.Timer1->isActive() && m.Timer2->isActive() && m.Timer3->isActive());
    QVERIFY(m.multilink_time->isHidden());
    m.Timer1_Timer();
    QCOMPARE(lamp(m, m.multilinked), QString("lit"));
    m.Timer2_Timer(); // a full status has come: polling stops, nothing sent
    QVERIFY(!m.Timer2->isActive() && rig.socket.sent.isEmpty());
    rig.socket.deliver("fefe5555"); // both up; the rights now enable multilink
    rig.clock.t.seconds = 36065;
    m.Timer3_Timer();
    QCOMPARE(m.online_time->text() + ' ' + m.multilink_time->text(), QString("00:01:05 00:01:05"));
    QVERIFY(!m.Timer1->isActive() && !m.multilink_time->isHidden() && m.multilink->isEnabled());
    QTest::keyClick(m.connect, Qt::Key_Return); // Enter presses a focused button
    m.multilink->click();
    QCOMPARE(rig.socket.sent,
        QList<QByteArray>(
            { QByteArray::fromHex("ffff030300"), QByteArray::fromHex("ffff050500") }));
}

void tst_main::what_assistive_technology_reads()
{
    Rig rig;
    Main& m = *rig.main;
    auto read = [](QWidget* w) {
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
        return i->text(QAccessible::Name) + ": " + i->text(QAccessible::Description);
    };
    QCOMPARE(read(m.CallOption), QString("Settings: Opens the settings dialog"));
    QCOMPARE(read(m.online_time), QString("00:00:00: How long the line has been up"));
    // A lamp says what it means; a blink tick changes its picture, not its meaning.
    QStringList heard;
    for (const char* event : { "", "fefe1818", "fdfd0202", "blink", "fdfd0101", "fdfd0303" }) {
        if (QByteArray(event) == "blink")
            m.Timer1_Timer();
        else if (*event)
            rig.socket.deliver(event);
        heard << read(m.connected) + ", " + read(m.multilinked);
    }
    QCOMPARE(heard,
        QStringList({ "Line: no status yet, Second channel: no status yet",
            "Line: unlit, Second channel: unlit", "Line: call being set up, Second channel: unlit",
            "Line: call being set up, Second channel: unlit", "Line: lit, Second channel: unlit",
            "Line: lit, Second channel: call being set up" }));
}

void tst_main::settings_button_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("readdressed");
    // clang-format off
    QTest::newRow("OK, same address")   << true  << "Box.local"  << true  << false;
    QTest::newRow("OK, case changed")   << true  << "box.local"  << true  << true;
    QTest::newRow("OK, trailing blank") << true  << "Box.local " << true  << true;
    QTest::newRow("OK, only switch")    << true  << "Box.local"  << false << false;
    QTest::newRow("Abbrechen")          << false << "127.0.0.9"  << false << false;
    // clang-format on
}

void tst_main::settings_button()
{
    QFETCH(bool, accept);
    QFETCH(QString, address);
    QFETCH(bool, show);
    QFETCH(bool, readdressed);
    Rig rig("0,0\r\n\"Box.local\"\r\n#TRUE#\r\n");
    Main& m = *rig.main;
    rig.socket.deliver("fefe1818"); // the device has answered: lamps unlit, polling stops
    m.Timer2_Timer();
    const int width = m.width();
    rig.settings.answer = [&] {
        if (accept) {
            Globals::ip_address = address;
            Globals::show_duration = show;
        }
        return accept;
    };
    m.CallOption->click();
    QCOMPARE(rig.socket.hosts.size(), readdressed ? 2 : 1);
    QCOMPARE(rig.socket.remoteHost(), readdressed ? address : QString("Box.local"));
    QCOMPARE(lamp(m, m.connected), readdressed ? QString("red") : QString("unlit"));
    QCOMPARE(m.link_model().status_seen, !readdressed);
    QCOMPARE(m.Timer2->isActive(), readdressed);
    QCOMPARE(m.width() == width, !accept || show);
}

void tst_main::close_writes_settings()
{
    Rig rig("1500,3000\r\n\"127.0.0.2\"\r\n#TRUE#\r\n");
    Main& m = *rig.main;
    rig.socket.deliver("fefe1515"); // line up: closing sends nothing all the same
    Globals::ip_address = "10.1.2.3";
    Globals::show_duration = false;
    m.set_position(1380, 2280.4f);
    QTemporaryDir other; // the file stays where it was when the window loaded
    QDir::setCurrent(other.path());
    QSignalSpy ended(&m, &Main::unloaded);
    m.close();
    QCOMPARE(ended.size(), 1);
    QVERIFY(rig.socket.sent.isEmpty());
    QFile file(rig.dir.filePath("remote.inf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("1380,2280.4\r\n\"10.1.2.3\"\r\n#FALSE#\r\n"));
    QVERIFY(!QFile::exists(other.filePath("remote.inf")));
    // A directory in the file's place, or no directory: nothing written, nothing thrown.
    QFile::remove(rig.dir.filePath("remote.inf"));
    QDir(rig.dir.path()).mkdir("remote.inf");
    QVERIFY(!m.write_settings());
    m.settings_path = rig.dir.filePath("missing/dir/remote.inf");
    QVERIFY(!m.write_settings());
    // At the root the separator is doubled, and the path still names the file.
    QDir::setCurrent("/");
    Main root({ &rig.socket, &rig.clock, &rig.boxes, &rig.settings });
    QCOMPARE(root.settings_path, QString("//remote.inf"));
}

void tst_main::write_faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("saved"); // the new settings; else the old file, byte for byte
    QTest::newRow("read-only directory, writable file") << "ro-dir" << true;
    QTest::newRow("read-only directory and file") << "ro-all" << false;
    QTest::newRow("full disk") << "full" << false;
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
    } else {
        QFile::setPermissions(rig.dir.filePath("remote.inf"),
            fault == "ro-dir" ? QFile::Permissions(0x6666) : QFile::Permissions(0x4444));
        QFile::setPermissions(dir, QFile::Permissions(0x5555)); // r-x for all
    }
    Globals::ip_address = "new";
    m.set_position(3, 4);
    // Root would write anyway: for this close it is nobody as far as files are concerned.
    if (root)
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
    QCOMPARE(now, saved ? QByteArray("3,4\r\n\"new\"\r\n#TRUE#\r\n") : old);
}

void tst_main::error_boxes_data()
{
    QTest::addColumn<int>("number"); // of a failed send; 0 with no send: the socket's error
    QTest::addColumn<QStringList>("shown");
    // clang-format off
    QTest::newRow("send, positive") << 10051 << QStringList { "Error sending data:\r 10051: unreachable" };
    QTest::newRow("send, negative") << -5    << QStringList { "Error sending data:\r-5: unreachable" };
    QTest::newRow("send, 126")      << 126   << QStringList {};
    QTest::newRow("socket error")   << 0     << QStringList { "unreachable" };
    // clang-format on
}

void tst_main::error_boxes()
{
    QFETCH(int, number);
    QFETCH(QStringList, shown);
    Rig rig;
    if (number) {
        rig.socket.fail = SocketError { number, "unreachable" };
        rig.main->connect->click();
    } else {
        bool cancel = false;
        emit rig.socket.Error(10048, "unreachable", 0, "src", "", 0, &cancel);
    }
    QCOMPARE(rig.boxes.shown, shown);
    QCOMPARE(lamp(*rig.main, rig.main->connected), QString("red"));
    QVERIFY(rig.main->Timer2->isActive());
}

void tst_main::one_box_at_a_time()
{
    WidgetMessageBoxes boxes;
    boxes.show_message("Error sending data:\r 1: first");
    QMessageBox* first = boxes.openBox();
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), QString("Tembrill Connect"));
    QCOMPARE(first->text(), QString("Error sending data:\n 1: first"));
    boxes.show_message("second");
    QCOMPARE(boxes.openBox(), first);
    first->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!boxes.openBox());
    boxes.show_message("third");
    QCOMPARE(boxes.openBox()->text(), QString("third"));
    boxes.openBox()->close();
}

QTEST_MAIN(tst_main)
#include "tst_main.moc"
