#include "fakes.h"

#include "platform/message_boxes.h"
#include "settings/globals.h"
#include "settings/settings_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

class tst_main : public QObject {
    Q_OBJECT
private slots:
    void start_without_file();
    void start_from_file_data();
    void start_from_file();
    void width_switch_data();
    void width_switch();
    void captions_fit_their_controls();
    void settings_button_data();
    void settings_button();
    void close_writes_settings();
    void failed_write_keeps_old_file();
    void settings_path_is_fixed_at_start();
    void send_error_text_data();
    void send_error_text();
    void socket_error_shows_description();
    void one_box_at_a_time();
};

void tst_main::start_without_file()
{
    Rig rig;
    Main& m = *rig.main;
    QCOMPARE(Globals::ip_address, QString("192.168.1.100"));
    QCOMPARE(Globals::show_duration, true);
    QCOMPARE(rig.socket.remoteHost(), QString("192.168.1.100"));
    QCOMPARE(lamp(m, m.connected), QString("red"));
    QCOMPARE(lamp(m, m.multilinked), QString("red"));
    QVERIFY(!m.Timer1->isActive() && m.Timer2->isActive() && !m.Timer3->isActive());
    QVERIFY(rig.socket.sent.isEmpty()); // the first poll is a second away
    QCOMPARE(m.minimumSize(), m.maximumSize());
}

void tst_main::start_from_file_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("show");
    QTest::newRow("stored position")
        << QByteArray("1500,3000\r\n\"127.0.0.2\"\r\n#FALSE#\r\n") << true << "127.0.0.2" << false;
    QTest::newRow("partly on screen")
        << QByteArray("-300,-1500\r\n\"h\"\r\n#TRUE#\r\n") << true << "h" << true;
    // Wholly off every screen: opened at the default position instead (unreachable otherwise).
    QTest::newRow("off every screen")
        << QByteArray("900000,900000\r\n\"h\"\r\n#TRUE#\r\n") << false << "h" << true;
    QTest::newRow("empty address")
        << QByteArray("1500,3000\r\n\"\"\r\n#TRUE#\r\n") << true << "" << true;
}

void tst_main::start_from_file()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, moved);
    QFETCH(QString, host);
    QFETCH(bool, show);
    Rig rig(file, true);
    Main& m = *rig.main;
    const settings_file::Contents c = settings_file::parse(file);
    QCOMPARE(m.top() == c.position->top && m.left() == float(c.position->left), moved);
    if (!moved)
        QVERIFY(QGuiApplication::primaryScreen()->geometry().intersects(m.frameGeometry()));
    QCOMPARE(rig.socket.remoteHost(), host);
    QCOMPARE(Globals::show_duration, show);
}

void tst_main::width_switch_data()
{
    QTest::addColumn<bool>("show");
    QTest::addColumn<int>("twips");
    QTest::newRow("wide") << true << 2648;
    QTest::newRow("narrow") << false << 1815;
}

void tst_main::width_switch()
{
    QFETCH(bool, show);
    QFETCH(int, twips);
    Rig rig;
    Main& m = *rig.main;
    m.show();
    Globals::show_duration = show;
    const QPoint at = m.pos();
    const int height = m.height();
    m.set_window_width();
    const double px = 1440.0 / m.logicalDpiX();
    QVERIFY2(std::abs(m.outer_width_twips() - twips) <= px,
        qPrintable(QString::number(m.outer_width_twips())));
    QCOMPARE(m.pos(), at);
    QCOMPARE(m.height(), height);
    // Narrow: the duration labels lie beyond the client area; wide: inside it.
    QCOMPARE(m.online_time->geometry().right() < m.width(), show);
    QVERIFY(m.connect->geometry().right() < m.width());
}

void tst_main::captions_fit_their_controls()
{
    Rig rig;
    Main& m = *rig.main;
    for (const char* text : { "Connect", "Hang up", "Multilink", "Singlelink" })
        QVERIFY2(m.connect->fontMetrics().horizontalAdvance(text) <= m.connect->width() - 4, text);
    m.online_time->setText("00:00:00");
    QVERIFY(m.online_time->fontMetrics().horizontalAdvance("00:00:00") <= m.online_time->width());
}

void tst_main::settings_button_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("readdressed");
    QTest::newRow("OK, same address") << true << "Box.local" << true << false;
    QTest::newRow("OK, case changed") << true << "box.local" << true << true;
    QTest::newRow("OK, trailing blank") << true << "Box.local " << true << true;
    QTest::newRow("OK, new address") << true << "127.0.0.3" << true << true;
    QTest::newRow("OK, only switch") << true << "Box.local" << false << false;
    QTest::newRow("Abbrechen") << false << "127.0.0.9" << false << false;
}

void tst_main::settings_button()
{
    QFETCH(bool, accept);
    QFETCH(QString, address);
    QFETCH(bool, show);
    QFETCH(bool, readdressed);
    Rig rig("0,0\r\n\"Box.local\"\r\n#TRUE#\r\n", true);
    Main& m = *rig.main;
    rig.socket.deliver(254, 0x18); // the device has answered: lamps unlit, polling stops
    m.Timer2_Timer();
    QVERIFY(!m.Timer2->isActive());
    const int width = m.width();
    const int host_sets = rig.socket.host_sets;
    rig.settings.answer = [&] {
        if (accept) {
            Globals::ip_address = address;
            Globals::show_duration = show;
        }
        Globals::settings_accepted = accept;
    };
    m.CallOption->click();
    QCOMPARE(rig.settings.opened, 1);
    QCOMPARE(rig.socket.host_sets, host_sets + (readdressed ? 1 : 0));
    QCOMPARE(rig.socket.remoteHost(), readdressed ? address : QString("Box.local"));
    QCOMPARE(lamp(m, m.connected), readdressed ? QString("red") : QString("unlit"));
    QCOMPARE(m.status_seen, !readdressed);
    QCOMPARE(m.Timer2->isActive(), readdressed);
    QCOMPARE(m.width() == width, !accept || show);
    QCOMPARE(m.connect->text(), QString("Connect"));
}

void tst_main::close_writes_settings()
{
    Rig rig("1500,3000\r\n\"127.0.0.2\"\r\n#TRUE#\r\n", true);
    Main& m = *rig.main;
    rig.socket.deliver(254, 0x01 | 0x04 | 0x10); // line up: closing sends nothing all the same
    Globals::ip_address = "10.1.2.3";
    Globals::show_duration = false;
    m.set_position(1380, 2280.4f);
    QSignalSpy ended(&m, &Main::unloaded);
    m.close();
    QCOMPARE(ended.size(), 1);
    QVERIFY(rig.socket.sent.isEmpty());
    QCOMPARE(rig.file(), QByteArray("1380,2280.4\r\n\"10.1.2.3\"\r\n#FALSE#\r\n"));
}

void tst_main::failed_write_keeps_old_file()
{
    Rig rig("1,2\r\n\"keep\"\r\n#TRUE#\r\n", true);
    Main& m = *rig.main;
    // The directory cannot take the temporary file any more: the old settings must survive.
    QFile::rename(rig.dir.filePath("remote.inf"), rig.dir.filePath("old.inf"));
    QDir(rig.dir.path()).mkdir("remote.inf");
    QVERIFY(!m.write_settings());
    QSignalSpy ended(&m, &Main::unloaded);
    m.close();
    QCOMPARE(ended.size(), 1);
    QVERIFY(QFileInfo(rig.dir.filePath("remote.inf")).isDir());
    // An unwritable path: nothing written, nothing thrown.
    m.settings_path = rig.dir.filePath("missing/dir/remote.inf");
    QVERIFY(!m.write_settings());
}

void tst_main::settings_path_is_fixed_at_start()
{
    Rig rig;
    Main& m = *rig.main;
    const QString path = m.settings_path;
    QTemporaryDir other;
    QDir::setCurrent(other.path());
    m.close();
    QVERIFY(QFile::exists(path));
    QVERIFY(!QFile::exists(other.filePath("remote.inf")));
    // At the root the separator is doubled, and the path still names the file.
    QDir::setCurrent("/");
    FakeSocket s;
    FakeClock c;
    FakeBoxes b;
    FakeSettings o;
    Main root({ &s, &c, &b, &o });
    QCOMPARE(root.settings_path, QString("//remote.inf"));
    QCOMPARE(QFileInfo(root.settings_path).absoluteFilePath(), QString("/remote.inf"));
}

void tst_main::send_error_text_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("positive") << 10051
                              << QStringList { "Error sending data:\r 10051: unreachable" };
    QTest::newRow("negative") << -5 << QStringList { "Error sending data:\r-5: unreachable" };
    QTest::newRow("zero") << 0 << QStringList { "Error sending data:\r 0: unreachable" };
    QTest::newRow("126 is silent") << 126 << QStringList {};
}

void tst_main::send_error_text()
{
    QFETCH(int, number);
    QFETCH(QStringList, shown);
    Rig rig;
    rig.socket.fail = SocketError { number, "unreachable" };
    rig.main->connect->click();
    QCOMPARE(rig.boxes.shown, shown);
    QCOMPARE(lamp(*rig.main, rig.main->connected), QString("red"));
}

void tst_main::socket_error_shows_description()
{
    Rig rig;
    bool cancel = false;
    emit rig.socket.Error(10048, "Address in use", 0, "src", "", 0, &cancel);
    QCOMPARE(rig.boxes.shown, QStringList { "Address in use" });
    QVERIFY(rig.main->Timer2->isActive());
}

void tst_main::one_box_at_a_time()
{
    WidgetMessageBoxes boxes;
    boxes.show_message("Error sending data:\r 1: first");
    QMessageBox* first = boxes.openBox();
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), QString("Tembrill Connect"));
    boxes.show_message("second");
    QCOMPARE(boxes.openBox(), first);
    first->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!boxes.openBox());
    boxes.show_message("third");
    QVERIFY(boxes.openBox());
    QCOMPARE(boxes.openBox()->text(), QString("third"));
    boxes.openBox()->close();
}

QTEST_MAIN(tst_main)
#include "tst_main.moc"
