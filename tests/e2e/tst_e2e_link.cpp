// Main with the real UDP socket against the simulator process: repoll replies, the second
// channel, and a flood of datagrams that must not starve the window's timers.

#include "../fakes.h"
#include "harness.h"

#include "platform/udp_socket.h"

#include <QPushButton>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

class tst_e2e_link : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void repoll_reply_restarts_polling();
    void second_channel();
    void flood_keeps_timers_ticking();
    void cleanupTestCase();

private:
    std::unique_ptr<Device> m_device;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UdpDatagramSocket> m_socket;
    SystemTime m_clock;
    FakeBoxes m_boxes;
    FakeSettings m_settings;
    std::unique_ptr<Main> m_main;
};

void tst_e2e_link::initTestCase()
{
    m_device = std::make_unique<Device>(QStringList { "--dial-time", "300" });
    m_dir.reset(directory_for_client("0,0\r\n\"127.0.0.2\"\r\n#TRUE#\r\n"));
    QDir::setCurrent(m_dir->path());
    m_socket = std::make_unique<UdpDatagramSocket>();
    QVERIFY(m_socket->isBound());
    m_main
        = std::make_unique<Main>(MainServices { m_socket.get(), &m_clock, &m_boxes, &m_settings });
    m_main->Timer2->setInterval(100); // poll quicker than once a second
    QTRY_VERIFY(m_main->status_seen);
    QTRY_VERIFY(!m_main->Timer2->isActive());
}

void tst_e2e_link::repoll_reply_restarts_polling()
{
    const int polls = m_device->count("  poll");
    m_device->key('p');
    QTRY_VERIFY(m_device->count("  poll") > polls);
    QTRY_VERIFY(m_main->status_seen && !m_main->Timer2->isActive());
    QVERIFY(m_boxes.shown.isEmpty());
}

void tst_e2e_link::second_channel()
{
    Main& m = *m_main;
    m.connect->click();
    QTRY_VERIFY(m.dialing && m.Timer1->isActive());
    QTRY_VERIFY(m.link_up && !m.dialing);
    QTRY_VERIFY(m.multilink->isEnabled());
    m.multilink->click();
    QTRY_VERIFY(m.link_up && m.dialing);
    QCOMPARE(m.multilink->text(), QString("Singlelink"));
    QTRY_VERIFY(m.multilink_up && !m.dialing);
    QVERIFY(m.multilink_time->isVisible() || !m.isVisible());
    QVERIFY(m.Timer3->isActive());
    m.multilink->click();
    QTRY_VERIFY(!m.multilink_up);
    QCOMPARE(m.multilink->text(), QString("Multilink"));
    m.connect->click();
    QTRY_VERIFY(!m.link_up);
    QCOMPARE(m.connect->text(), QString("Connect"));
    QVERIFY(m_device->count("ff ff 05 05 00  singlelink") == 1);
}

void tst_e2e_link::flood_keeps_timers_ticking()
{
    // From another thread, datagrams with mismatched pairs as fast as they go, from 127.0.0.3.
    std::atomic<bool> stop = false;
    std::atomic<long> sent = 0;
    // Stopped and joined on every way out of this test, a failed check included.
    struct Joiner {
        std::atomic<bool>& stop;
        std::thread thread;
        ~Joiner()
        {
            stop = true;
            thread.join();
        }
    } flood { stop, std::thread([&] {
                 const int fd = socket(AF_INET, SOCK_DGRAM, 0);
                 sockaddr_in from {}, to {};
                 from.sin_family = to.sin_family = AF_INET;
                 inet_pton(AF_INET, "127.0.0.3", &from.sin_addr);
                 inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
                 to.sin_port = htons(9118);
                 bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
                 const char bad[] = { char(0xfe), char(0xfd), 1, 1 };
                 for (long i = 0; i < 2000000 && !stop; ++i) {
                     sendto(fd, bad, sizeof bad, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
                     ++sent;
                 }
                 close(fd);
             }) };
    int ticks = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { ++ticks; });
    probe.start(20);
    QTest::qWait(1500);
    const int during = ticks;
    stop = true;
    QVERIFY2(sent > 10000, qPrintable(QString::number(sent)));
    QVERIFY2(during >= 15, qPrintable(QString::number(during))); // of about 75
    // Afterwards the device is heard as before.
    QTest::qWait(200);
    m_device->key('c');
    QTRY_VERIFY_WITH_TIMEOUT(m_main->link_up, 5000);
    QVERIFY2(m_boxes.shown.isEmpty(), qPrintable(m_boxes.shown.join('|')));
}

void tst_e2e_link::cleanupTestCase()
{
    m_main.reset();
    m_socket.reset();
    m_device.reset();
    QDir::setCurrent(QDir::tempPath());
}

QTEST_MAIN(tst_e2e_link)
#include "tst_e2e_link.moc"
