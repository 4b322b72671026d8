// The real binaries, driven as a user would, under Xvfb at 96 dpi (15 twips a pixel) with
// openbox; what the client sends is read from the simulator's log.

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// Started processes are killed by the kernel when the test dies, so nothing is left behind.
void start_tied(QProcess& process, const QString& program, const QStringList& args = {})
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(program, args);
    process.waitForStarted();
}

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int number(const QString& text, const QString& pattern)
{
    return QRegularExpression(pattern).match(text).captured(1).toInt();
}

} // namespace

class tst_e2e_window : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void click_dials_and_a_flood_leaves_the_lamp_blinking();
    void stops_keep_the_settings_data();
    void stops_keep_the_settings();

private:
    int logged(const QString& fragment); // lines of the simulator's log that hold it
    void key(char k) { m_device.write(&k, 1), m_device.waitForBytesWritten(1000); }
    // The line's lamp: "lit", "unlit", "red" or "other", sampled every 37 ms.
    QStringList lamp_colours(int samples);
    QString lamp_colour() { return lamp_colours(1).first(); }

    QProcess m_wm;
    QProcess m_device;
    QStringList m_log;
    QTemporaryDir m_dir;
    QProcess m_client;
    QString m_window;
};

void tst_e2e_window::initTestCase()
{
    // No session bus here: without an address, each client on a display of its own would start
    // one (D-Bus autolaunch) and leave it running.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    start_tied(m_wm, "openbox", { "--sm-disable" });
    QTRY_VERIFY_WITH_TIMEOUT(
        QProcess::execute("sh", { "-c", "wmctrl -m >/dev/null 2>&1" }) == 0, 5000);
    start_tied(m_device, TEMBRILL_DEVICE_BIN, { "--dial-time", "4000" });
    QTRY_VERIFY_WITH_TIMEOUT(logged("listening on 127.0.0.2:9118"), 5000);
    QFile settings(m_dir.filePath("remote.inf"));
    QVERIFY(settings.open(QIODevice::WriteOnly)
        && settings.write("1380,2280\r\n\"127.0.0.2\"\r\n#TRUE#\r\n") > 0);
    settings.close();
    m_client.setWorkingDirectory(m_dir.path());
    start_tied(m_client, TEMBRILL_CONNECT_BIN);
    const QStringList search { "search", "--all", "--pid", QString::number(m_client.processId()),
        "--name", "^Tembrill Connect$" };
    QTRY_VERIFY_WITH_TIMEOUT(
        !(m_window = run("xdotool", search).section('\n', 0, 0)).isEmpty(), 10000);
    // Polled and answered: the lamps turn from red.
    QTRY_COMPARE_WITH_TIMEOUT(lamp_colour(), QString("unlit"), 5000);
}

void tst_e2e_window::click_dials_and_a_flood_leaves_the_lamp_blinking()
{
    // A click on Connect sends the command from port 9118; while the device dials, it floods
    // the client with datagrams of mismatched pairs as fast as they go. The lamp must go on
    // blinking, and the device be heard afterwards.
    run("xdotool", { "mousemove", "--window", m_window, "84", "9", "click", "1" });
    QTRY_VERIFY_WITH_TIMEOUT(logged("in  127.0.0.1:9118 ff ff 02 02 00  connect") == 1, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(logged("line down, dialing") == 1, 3000);
    key('b');
    const QStringList seen = lamp_colours(16);
    key('b');
    QTRY_VERIFY_WITH_TIMEOUT(logged("flood off") == 1, 3000);
    QVERIFY2(seen.contains("lit") && seen.contains("unlit"), qPrintable(seen.join(',')));
    QTRY_VERIFY_WITH_TIMEOUT(logged("status 254 line up") == 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(lamp_colour(), QString("lit"), 3000);
    m_client.kill(); // the stops below start clients of their own, one at a time
    m_client.waitForFinished(3000);
}

void tst_e2e_window::stops_keep_the_settings_data()
{
    QTest::addColumn<int>("stop"); // a signal; 0: the close box; -1: the display goes away
    QTest::addColumn<int>("code");
    QTest::newRow("close box") << 0 << 0;
    QTest::newRow("SIGTERM") << int(SIGTERM) << 0;
    QTest::newRow("SIGHUP") << int(SIGHUP) << 0;
    QTest::newRow("SIGINT") << int(SIGINT) << 0;
    QTest::newRow("display gone") << -1 << 1; // Qt's own exit code when the display breaks
}

void tst_e2e_window::stops_keep_the_settings()
{
    // A client runs (moved by the window manager to a known place); remote.inf is spoilt
    // behind its back; the stop must write it anew, with the frame's position in twips.
    QFETCH(int, stop);
    QFETCH(int, code);
    QProcess display, client;
    QString name = qEnvironmentVariable("DISPLAY");
    if (stop < 0) { // a display of its own, without a window manager, to take away
        start_tied(display, "Xvfb", { "-displayfd", "1", "-nolisten", "tcp" });
        QVERIFY(display.waitForReadyRead(10000));
        name = ':' + QString::fromLatin1(display.readLine()).trimmed();
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", name);
    client.setProcessEnvironment(env);
    client.setWorkingDirectory(m_dir.path());
    start_tied(client, TEMBRILL_CONNECT_BIN);
    const QString search = QString("DISPLAY=%1 xdotool search --all --pid %2 --name "
                                   "'^Tembrill Connect$' | head -n 1")
                               .arg(name)
                               .arg(client.processId());
    QString window;
    QTRY_VERIFY_WITH_TIMEOUT(!(window = run("sh", { "-c", search }).trimmed()).isEmpty(), 20000);
    QString position = "-?\\d+(\\.\\d+)?,-?\\d+";
    if (stop >= 0) {
        run("wmctrl", { "-i", "-r", window, "-e", "0,300,200,-1,-1" });
        QTest::qWait(500);
        const QString extents = run("xprop", { "-id", window, "_NET_FRAME_EXTENTS" });
        const auto e = QRegularExpression("= (\\d+), (\\d+), (\\d+), (\\d+)").match(extents);
        QVERIFY2(e.hasMatch(), qPrintable(extents));
        const QString info = run("xwininfo", { "-id", window });
        const int left = number(info, "Absolute upper-left X:\\s+(-?\\d+)") - e.captured(1).toInt();
        const int top = number(info, "Absolute upper-left Y:\\s+(-?\\d+)") - e.captured(3).toInt();
        position = QString("%1,%2").arg(top * 15).arg(left * 15);
    }
    QFile spoilt(m_dir.filePath("remote.inf"));
    QVERIFY(spoilt.open(QIODevice::WriteOnly) && spoilt.write("spoilt") == 6);
    spoilt.close();
    if (stop == 0)
        run("wmctrl", { "-i", "-c", window });
    else if (stop > 0)
        ::kill(pid_t(client.processId()), stop);
    else
        display.kill();
    QVERIFY(client.waitForFinished(5000));
    QCOMPARE(client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(client.exitCode(), code);
    QVERIFY(spoilt.open(QIODevice::ReadOnly));
    const QString written = QString::fromLatin1(spoilt.readAll());
    QVERIFY2(QRegularExpression('^' + position + "\r\n\"127\\.0\\.0\\.2\"\r\n#TRUE#\r\n$")
                 .match(written)
                 .hasMatch(),
        qPrintable(written));
}

int tst_e2e_window::logged(const QString& fragment)
{
    QCoreApplication::processEvents();
    while (m_device.canReadLine())
        m_log << QString::fromUtf8(m_device.readLine()).trimmed();
    return int(std::count_if(
        m_log.begin(), m_log.end(), [&](const QString& line) { return line.contains(fragment); }));
}

QStringList tst_e2e_window::lamp_colours(int samples)
{
    QStringList seen;
    for (int i = 0; i < samples; ++i, QTest::qWait(37)) {
        // The lamp is 16 by 16 pixels at 555, 15 twips: its middle.
        const QString info = run("xwininfo", { "-id", m_window });
        const QPoint at(number(info, "Absolute upper-left X:\\s+(-?\\d+)") + 555 / 15 + 8,
            number(info, "Absolute upper-left Y:\\s+(-?\\d+)") + 15 / 15 + 8);
        const QColor c = QGuiApplication::primaryScreen()
                             ->grabWindow(0, at.x(), at.y(), 1, 1)
                             .toImage()
                             .pixelColor(0, 0);
        seen << (c.green() > 150 && c.green() > c.red() + 40       ? "lit"
                : c.red() > 150 && c.red() > c.green() + 40        ? "red"
                : std::max({ c.red(), c.green(), c.blue() }) < 140 ? "unlit"
                                                                   : "other");
    }
    return seen;
}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    tst_e2e_window test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_window.moc"
