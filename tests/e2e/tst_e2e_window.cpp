// The real program in a real window under Xvfb (started by CTest through xvfb-run, at 96 dpi:
// 15 twips a pixel) and openbox, driven as a user would, against the device simulator; what
// it sends is read from the simulator's log.

#include "harness.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace {

const QByteArray settings = "1380,2280\r\n\"127.0.0.2\"\r\n#TRUE#\r\n";

} // namespace

class tst_e2e_window : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void polls_until_full_status();
    void connect_dials_blinks_and_lights();
    void hang_up();
    void close_ends_and_stores_position();
    void cleanupTestCase();

private:
    QString lamp_colour(); // "lit", "unlit", "red" or "other"
    QPoint client_origin();
    void click(int twips_x, int twips_y);

    QProcess m_wm;
    std::unique_ptr<Device> m_device;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_client;
    QString m_window;
    int m_polls_at_close = 0;
};

void tst_e2e_window::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == "xcb", "run under xvfb-run");
    start_tied(m_wm, "openbox", { "--sm-disable" });
    QTRY_VERIFY_WITH_TIMEOUT(QProcess::execute("sh", { "-c", "wmctrl -m >/dev/null 2>&1" }) == 0, 5000);
    m_device = std::make_unique<Device>(QStringList { "--dial-time", "1500", "--silent" });
    QVERIFY(m_device->count("listening on 127.0.0.2:9118"));
    m_dir.reset(directory_for_client(settings));
    m_client.setWorkingDirectory(m_dir->path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    m_client.setProcessEnvironment(env);
    start_tied(m_client, client_binary(), {});
    QVERIFY(m_client.state() == QProcess::Running);
    QTRY_VERIFY_WITH_TIMEOUT(
        !(m_window = run("xdotool",
                            { "search", "--all", "--pid", QString::number(m_client.processId()),
                                "--name", "^Tembrill Connect$" })
                         .trimmed())
             .isEmpty(),
        10000);
    m_window = m_window.split('\n').first();
    QTest::qWait(500); // the window manager has framed and placed it
}

void tst_e2e_window::polls_until_full_status()
{
    // Silent device: a poll a second, lamps red.
    QTRY_VERIFY_WITH_TIMEOUT(m_device->count("ff ff 01 01 00  poll") >= 2, 5000);
    QVERIFY(m_device->count("in  127.0.0.1:9118 ff ff 01 01 00") >= 2);
    QCOMPARE(lamp_colour(), QString("red"));
    m_device->key('x'); // answer from now on
    QTRY_VERIFY_WITH_TIMEOUT(m_device->count("out 127.0.0.1:9118 fe fe 18 18") == 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(lamp_colour(), QString("unlit"), 3000);
    const int polls = m_device->count("poll");
    QTest::qWait(2500);
    QCOMPARE(m_device->count("poll"), polls);
}

void tst_e2e_window::connect_dials_blinks_and_lights()
{
    click(840 + 855 / 2, 10 + 255 / 2);
    QTRY_VERIFY_WITH_TIMEOUT(
        m_device->count("in  127.0.0.1:9118 ff ff 02 02 00  connect") == 1, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_device->count("line down, dialing") == 1, 3000);
    QStringList seen;
    for (int i = 0; i < 12; ++i) {
        seen << lamp_colour();
        QTest::qWait(37);
    }
    QVERIFY2(seen.contains("lit") && seen.contains("unlit"), qPrintable(seen.join(',')));
    QTRY_VERIFY_WITH_TIMEOUT(m_device->count("status 254 line up") == 1, 5000);
    QTest::qWait(300);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(lamp_colour(), QString("lit"));
        QTest::qWait(60);
    }
}

void tst_e2e_window::hang_up()
{
    click(840 + 855 / 2, 10 + 255 / 2);
    QTRY_VERIFY_WITH_TIMEOUT(
        m_device->count("in  127.0.0.1:9118 ff ff 03 03 00  hang up") == 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(lamp_colour(), QString("unlit"), 3000);
}

void tst_e2e_window::close_ends_and_stores_position()
{
    // Move the window somewhere known, then close it through the window manager.
    run("wmctrl", { "-i", "-r", m_window, "-e", "0,300,200,-1,-1" });
    QTest::qWait(500);
    const QByteArray extents = run("xprop", { "-id", m_window, "_NET_FRAME_EXTENTS" });
    const QRegularExpressionMatch e
        = QRegularExpression("= (\\d+), (\\d+), (\\d+), (\\d+)").match(QString(extents));
    QVERIFY2(e.hasMatch(), extents.constData());
    const QPoint origin = client_origin();
    const int frame_x = origin.x() - e.captured(1).toInt();
    const int frame_y = origin.y() - e.captured(3).toInt();
    const QString info = run("xwininfo", { "-id", m_window });
    const int outer = QRegularExpression("Width:\\s+(\\d+)").match(info).captured(1).toInt()
        + e.captured(1).toInt() + e.captured(2).toInt();
    QVERIFY2(std::abs(outer * 15 - 2648) <= 15, qPrintable(QString::number(outer)));

    const int in_before = m_device->count("in  ");
    run("wmctrl", { "-i", "-c", m_window });
    QVERIFY(m_client.waitForFinished(5000));
    QCOMPARE(m_client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_client.exitCode(), 0);
    QTest::qWait(1500);
    QCOMPARE(m_device->count("in  "), in_before);
    QFile f(m_dir->filePath("remote.inf"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(),
        QByteArray::number(frame_y * 15) + ',' + QByteArray::number(frame_x * 15)
            + "\r\n\"127.0.0.2\"\r\n#TRUE#\r\n");
}

void tst_e2e_window::cleanupTestCase()
{
    if (m_client.state() != QProcess::NotRunning) {
        m_client.kill();
        m_client.waitForFinished(2000);
    }
    m_device.reset();
    m_wm.kill();
    m_wm.waitForFinished(2000);
}

QPoint tst_e2e_window::client_origin()
{
    const QString info = run("xwininfo", { "-id", m_window });
    const auto x = QRegularExpression("Absolute upper-left X:\\s+(-?\\d+)").match(info);
    const auto y = QRegularExpression("Absolute upper-left Y:\\s+(-?\\d+)").match(info);
    return { x.captured(1).toInt(), y.captured(1).toInt() };
}

QString tst_e2e_window::lamp_colour()
{
    // The line's lamp: 16 by 16 pixels at 555, 15 twips; its middle.
    const QPoint at = client_origin() + QPoint(555 / 15 + 8, 15 / 15 + 8);
    const QImage img
        = QGuiApplication::primaryScreen()->grabWindow(0, at.x() - 1, at.y() - 1, 3, 3).toImage();
    const QColor c = img.pixelColor(1, 1);
    if (c.green() > 150 && c.green() > c.red() + 40)
        return "lit";
    if (c.red() > 150 && c.red() > c.green() + 40)
        return "red";
    if (std::max({ c.red(), c.green(), c.blue() }) < 140)
        return "unlit";
    return "other";
}

void tst_e2e_window::click(int twips_x, int twips_y)
{
    run("xdotool",
        { "mousemove", "--window", m_window, QString::number(twips_x / 15),
            QString::number(twips_y / 15), "click", "1" });
}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    tst_e2e_window test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_window.moc"
